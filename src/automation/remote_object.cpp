#include "automation/remote_object.h"

#include "automation/blocking_call.h"
#include "automation/bus_values.h"
#include "automation/main_thread.h"
#include "automation/remote_dispatch.h"

#include <QDBusError>
#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

namespace quillbrook::bus {

namespace {

struct RemoteInterface {
    Guid iid;
    QString busInterface;
    RemoteFacetCreator creator;
};

// The process's one table of remote interfaces, like the class table of class_factory.cpp: each
// room that defines an interface registers its facet creator at start-up, and proxies of every
// connection, made later on the main thread, read it.
class RemoteInterfaceTable {
public:
    void add(RemoteInterface entry)
    {
        const std::lock_guard lock(mutex_);
        std::erase_if(entries_, [&](const RemoteInterface& existing) { return existing.iid == entry.iid; });
        entries_.push_back(std::move(entry));
    }

    std::optional<RemoteInterface> find(const Guid& iid) const
    {
        const std::lock_guard lock(mutex_);
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [&](const RemoteInterface& entry) { return entry.iid == iid; });
        return found == entries_.end() ? std::nullopt : std::optional<RemoteInterface>(*found);
    }

private:
    mutable std::mutex mutex_;
    std::vector<RemoteInterface> entries_;
};

RemoteInterfaceTable& remoteInterfaces()
{
    static RemoteInterfaceTable table;
    return table;
}

[[nodiscard]] HRESULT errorResult(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    if (name == QLatin1String(kHresultErrorName))
        return parseHresultText(reply.errorMessage()).value_or(E_FAIL);
    if (name == u"org.freedesktop.DBus.Error.NameHasNoOwner")
        return RPC_E_DISCONNECTED;
    switch (QDBusError(reply).type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoReply:
    case QDBusError::Disconnected:
    case QDBusError::NoServer:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
    case QDBusError::UnknownObject: return RPC_E_DISCONNECTED;
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownProperty: return E_NOTIMPL;
    // What the original's Invoke answers for a put of a property without one.
    case QDBusError::PropertyReadOnly: return DISP_E_MEMBERNOTFOUND;
    case QDBusError::InvalidArgs: return E_INVALIDARG;
    case QDBusError::AccessDenied: return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    case QDBusError::NoMemory: return E_OUTOFMEMORY;
    default: return E_FAIL;
    }
}

} // namespace

void registerRemoteInterface(const Guid& iid, const QString& busInterface, RemoteFacetCreator creator)
{
    remoteInterfaces().add({iid, busInterface, std::move(creator)});
}

std::shared_ptr<RemoteObject> RemoteObject::create(ObjectMarshaller& marshaller, const ObjectReference& reference)
{
    return std::make_shared<RemoteObject>(marshaller, reference);
}

RemoteObject::RemoteObject(ObjectMarshaller& marshaller, ObjectReference reference)
    : marshaller_(marshaller), reference_(std::move(reference)), connection_(marshaller.connection())
{}

RemoteObject::~RemoteObject()
{
    if (reference_.isNull() || !connection_.isConnected())
        return;
    QDBusMessage release = QDBusMessage::createMethodCall(reference_.service, reference_.path.path(),
                                                          QLatin1String(kDispatchInterface), QStringLiteral("Release"));
    release.setAutoStartService(false);
    connection_.send(release);
}

QDBusMessage RemoteObject::call(const QString& busInterface, const QString& method, const QVariantList& arguments) const
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(reference_.service, reference_.path.path(), busInterface, method);
    message.setArguments(arguments);
    // A reference names a running process's object; starting a new server could not find it.
    message.setAutoStartService(false);
    return callAndWait(connection_, message);
}

HRESULT RemoteObject::resultOf(const QDBusMessage& reply)
{
    switch (reply.type()) {
    case QDBusMessage::ReplyMessage: {
        const QVariantList arguments = reply.arguments();
        if (!arguments.isEmpty() && arguments.front().metaType() == QMetaType::fromType<qint32>())
            return arguments.front().toInt();
        return S_OK;
    }
    case QDBusMessage::ErrorMessage: return errorResult(reply);
    default: return RPC_E_DISCONNECTED;
    }
}

QVariant RemoteObject::toArgument(const std::shared_ptr<Dispatchable>& object) const
{
    return QVariant::fromValue(object ? marshaller_.toReference(object, reference_.service) : ObjectReference{});
}

std::shared_ptr<Dispatchable> RemoteObject::objectFrom(const QVariant& argument) const
{
    const auto reference = referenceFrom(argument);
    return reference ? marshaller_.fromReference(*reference) : nullptr;
}

Guid RemoteObject::canonicalInterface() const
{
    return IID_IDispatch;
}

std::shared_ptr<Dispatchable> RemoteObject::createFacet(const Guid& iid)
{
    if (iid == IID_IDispatch)
        return std::make_shared<RemoteDispatch>(sharedSelf<RemoteObject>());
    const auto entry = remoteInterfaces().find(iid);
    if (!entry)
        return nullptr;
    const QDBusMessage reply =
        call(QLatin1String(kUnknownInterface), QStringLiteral("QueryInterface"), {entry->busInterface});
    const QVariantList arguments = reply.arguments();
    if (reply.type() != QDBusMessage::ReplyMessage || arguments.isEmpty() || !arguments.front().toBool())
        return nullptr;
    return entry->creator(sharedSelf<RemoteObject>());
}

} // namespace quillbrook::bus
