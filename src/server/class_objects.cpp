#include "server/class_objects.h"

#include "fileopen/file_open_service_class.h"
#include "interfaces/remote_page.h"
#include "service/service_class.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <chrono>
#include <cstdio>

namespace quillbrook {
namespace {

bool ownedByAnother(const QDBusConnection& connection)
{
    const QDBusReply<bool> owned = connection.interface()->isServiceRegistered(QString::fromLatin1(bus::kServiceName));
    return owned.isValid() && owned.value();
}

void complain(const char* what, const QDBusConnection& connection)
{
    std::fprintf(stderr, "quillbrook: %s: %s\n", what, connection.lastError().message().toLocal8Bit().constData());
}

} // namespace

ClassObjects::ClassObjects() = default;

ClassObjects::~ClassObjects()
{
    // Nothing is left to report to at the end.
    ignoreResult(revoke());
}

HRESULT ClassObjects::registerAll(QDBusConnection connection)
{
    if (!connection.isConnected()) {
        complain("cannot reach the session bus", connection);
        return E_FAIL;
    }
    bus::registerBusTypes();
    // Page objects that clients hand to Register and OpenFile are served by other processes.
    registerRemotePageInterfaces();
    classes_.push_back(registerServiceClass());
    classes_.push_back(registerFileOpenServiceClass());
    exporter_ = std::make_unique<bus::BusExporter>(connection);
    // Clients such as busctl and gdbus make one call per process: a client's objects outlive its
    // leaving the bus by this long, as the original broker kept a silent client's references.
    exporter_->setLeaveGrace(std::chrono::minutes(6));
    if (!exporter_->registerClassFactory()) {
        complain("cannot export the class factory", connection);
        ignoreResult(revoke()); // the failure above is the one reported
        return E_FAIL;
    }
    if (!exporter_->ownServiceName()) {
        const bool servedElsewhere = ownedByAnother(connection);
        if (!servedElsewhere)
            complain("cannot own the service name", connection);
        ignoreResult(revoke()); // the failure above is the one reported
        return servedElsewhere ? S_FALSE : E_FAIL;
    }
    nameOwned_ = true;
    return S_OK;
}

HRESULT ClassObjects::revoke()
{
    if (nameOwned_)
        exporter_->releaseServiceName();
    nameOwned_ = false;
    exporter_.reset();
    classes_.clear();
    return S_OK;
}

} // namespace quillbrook
