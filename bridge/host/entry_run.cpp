#include "bridge/host/entry_run.h"

#include "automation/bus_activation.h"
#include "automation/remote_object.h"
#include "interfaces/ifileopenservice.h"
#include "interfaces/iservice.h"

#include <QDBusError>
#include <QDBusMessage>
#include <memory>

namespace quillbrook::bridge {
namespace {

struct Run {
    AsyncCalls& calls;
    QDBusConnection connection;
    EntryScript script;
    bus::ObjectReference element;
    std::function<void(HRESULT)> done;
    bus::ObjectReference service;
};

QString instanceInterface(const InterfaceInfo& info)
{
    return QString::fromLatin1(bus::kInstanceInterfacePrefix) + QStringView(info.name).toString();
}

QDBusMessage callOn(const bus::ObjectReference& object, const QString& interface, const QString& method,
                    const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(object.service, object.path.path(), interface, method);
    message.setArguments(arguments);
    // The object lives in a running server; a new one could not have it.
    message.setAutoStartService(false);
    return message;
}

void release(const QDBusConnection& connection, const bus::ObjectReference& object)
{
    connection.send(callOn(object, QLatin1String(bus::kDispatchInterface), QStringLiteral("Release")));
}

void finish(const std::shared_ptr<Run>& run, HRESULT result)
{
    if (!run->service.isNull())
        release(run->connection, run->service);
    run->done(result);
}

// The script's last call, and the end of the run.
void callLast(const std::shared_ptr<Run>& run, const QString& interface, const char* method)
{
    run->calls.call(run->connection,
                    callOn(run->service, interface, QLatin1String(method), {QVariant::fromValue(run->element)}),
                    [run](const QDBusMessage& reply) { finish(run, bus::RemoteObject::resultOf(reply)); });
}

void callScript(const std::shared_ptr<Run>& run)
{
    if (run->script.kind == EntryScript::Kind::OpenFile) {
        callLast(run, instanceInterface(IFileOpenService::interfaceInfo()), "OpenFile");
        return;
    }
    const QString interface = instanceInterface(IService::interfaceInfo());
    run->calls.call(run->connection,
                    callOn(run->service, interface, QStringLiteral("LoadFromMenuExt"), {run->script.label}),
                    [run, interface](const QDBusMessage& reply) {
                        // A script stops at the first call that fails.
                        if (const HRESULT result = bus::RemoteObject::resultOf(reply); FAILED(result))
                            finish(run, result);
                        else
                            callLast(run, interface, "Register");
                    });
}

void created(const std::shared_ptr<Run>& run, HRESULT result, const bus::ObjectReference& service)
{
    if (FAILED(result)) {
        finish(run, result);
        return;
    }
    run->service = service;
    callScript(run);
}

} // namespace

void createServerObject(AsyncCalls& calls, const QDBusConnection& connection, const QString& classId,
                        std::function<void(HRESULT, const bus::ObjectReference&)> created)
{
    QDBusMessage create = QDBusMessage::createMethodCall(
        QString::fromLatin1(bus::kServiceName), QString::fromLatin1(bus::kClassFactoryPath),
        QString::fromLatin1(bus::kClassFactoryInterface), QStringLiteral("CreateInstance"));
    create << classId;
    // The bus starts the server from its activation file when nobody owns the name.
    calls.call(connection, create, [connection, classId, created = std::move(created)](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage) {
            if (QDBusError(reply).type() == QDBusError::ServiceUnknown) {
                // No activation file: start the server as the class's registration names it.
                const bus::Activation activation = bus::activate(connection, classId);
                created(activation.result, activation.object);
                return;
            }
            const bool spawnFailed = reply.errorName().startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn"));
            created(spawnFailed ? bus::CO_E_SERVER_EXEC_FAILURE : bus::RemoteObject::resultOf(reply), {});
            return;
        }
        const HRESULT result = bus::RemoteObject::resultOf(reply);
        const QVariantList arguments = reply.arguments();
        if (SUCCEEDED(result) && arguments.size() < 2) {
            created(E_UNEXPECTED, {});
            return;
        }
        created(result, SUCCEEDED(result)
                            ? bus::ObjectReference{reply.service(), qdbus_cast<QDBusObjectPath>(arguments.at(1))}
                            : bus::ObjectReference{});
    });
}

void callOnNewService(AsyncCalls& calls, const QDBusConnection& connection, const QString& method,
                      const QVariantList& arguments, std::function<void(HRESULT)> done)
{
    createServerObject(calls, connection, QString::fromLatin1(kServiceProgId),
                       [&calls, connection, method, arguments,
                        done = std::move(done)](HRESULT result, const bus::ObjectReference& service) {
                           if (FAILED(result)) {
                               done(result);
                               return;
                           }
                           const QString interface = instanceInterface(IService::interfaceInfo());
                           calls.call(connection, callOn(service, interface, method, arguments),
                                      [connection, service, done](const QDBusMessage& reply) {
                                          release(connection, service);
                                          done(bus::RemoteObject::resultOf(reply));
                                      });
                       });
}

void runEntry(AsyncCalls& calls, const QDBusConnection& connection, const EntryScript& script,
              const bus::ObjectReference& element, std::function<void(HRESULT)> done)
{
    auto run = std::make_shared<Run>(Run{calls, connection, script, element, std::move(done), {}});
    const QString classId =
        QString::fromLatin1(script.kind == EntryScript::Kind::OpenFile ? kFileOpenProgId : kServiceProgId);
    createServerObject(calls, connection, classId,
                       [run](HRESULT result, const bus::ObjectReference& service) { created(run, result, service); });
}

} // namespace quillbrook::bridge
