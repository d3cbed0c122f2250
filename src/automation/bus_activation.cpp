#include "automation/bus_activation.h"

#include "automation/class_factory.h"
#include "automation/main_thread.h"
#include "automation/remote_object.h"
#include "platform/charset.h"
#include "platform/hive.h"
#include "platform/process.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

namespace quillbrook::bus {
namespace {

QString serviceName()
{
    return QString::fromLatin1(kServiceName);
}

bool nameHasOwner(const QDBusConnection& connection)
{
    const QDBusReply<bool> owned = connection.interface()->isServiceRegistered(serviceName());
    return owned.isValid() && owned.value();
}

std::string defaultValue(const RegistryKey& root, const std::string& path)
{
    auto key = root.openSubKey(path, KEY_QUERY_VALUE);
    if (!key.ok())
        return {};
    auto value = key.value().queryValue("");
    if (!value.ok() || value.value().type != REG_SZ)
        return {};
    const std::string& data = value.value().data;
    return data.substr(0, data.find('\0'));
}

// Waits until someone owns the name, `server` ends or `timeout` passes; whether the name is owned.
bool waitForName(const QDBusConnection& connection, const ChildProcess& server, std::chrono::milliseconds timeout)
{
    QEventLoop loop;
    // Watching starts before the first look, so an owner that appears in between is not missed.
    QDBusServiceWatcher watcher(serviceName(), connection, QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QSocketNotifier ended(server.pidfd(), QSocketNotifier::Read);
    QObject::connect(&ended, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeout);
    if (!nameHasOwner(connection))
        loop.exec();
    // A server that lost the race for the name ends after someone else owns it.
    return nameHasOwner(connection);
}

// Whether the bus itself can start the server: an activation file for the name in one of its
// service folders (the per-user one "RegServer" writes, or the installation's).
bool busCanStart(const QDBusConnection& connection)
{
    const QDBusReply<QStringList> names = connection.interface()->activatableServiceNames();
    return names.isValid() && names.value().contains(serviceName());
}

[[nodiscard]] HRESULT startServer(const QDBusConnection& connection, const QString& classId,
                                  std::chrono::milliseconds timeout)
{
    std::string commandLine;
    const HRESULT registered = localServerCommandLine(classId, commandLine);
    // The bus starts the server whenever it can, whoever asks: the server, and the editors it
    // starts, then always have the session's activation environment, not that of the client that
    // happened to ask first. A user whom the installation's activation file serves has no class
    // keys until the server's first start writes them.
    if (busCanStart(connection)) {
        QDBusMessage start = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("StartServiceByName"));
        start << serviceName() << 0u;
        const QDBusMessage started = connection.call(start, QDBus::Block, static_cast<int>(timeout.count()));
        return started.type() == QDBusMessage::ReplyMessage || nameHasOwner(connection) ? S_OK
                                                                                        : CO_E_SERVER_EXEC_FAILURE;
    }
    if (FAILED(registered))
        return registered;
    auto server = startProcess(commandLine + " " + kEmbeddingSwitch);
    if (!server.ok())
        return CO_E_SERVER_EXEC_FAILURE;
    return waitForName(connection, server.value(), timeout) ? S_OK : CO_E_SERVER_EXEC_FAILURE;
}

} // namespace

[[nodiscard]] HRESULT localServerCommandLine(const QString& classId, std::string& commandLine)
{
    auto classesRoot = RegistryKey::openRoot(HiveRoot::ClassesRoot, KEY_READ);
    if (!classesRoot.ok())
        return REGDB_E_CLASSNOTREG;
    const std::string id = toNarrow(classId);
    std::string clsid = id;
    if (!Guid::parse(id)) {
        clsid = defaultValue(classesRoot.value(), id + "\\CLSID");
        if (!Guid::parse(clsid))
            return CO_E_CLASSSTRING;
    }
    commandLine = defaultValue(classesRoot.value(), "CLSID\\" + clsid + "\\LocalServer32");
    return commandLine.empty() ? REGDB_E_CLASSNOTREG : S_OK;
}

Activation activate(QDBusConnection connection, const QString& classId, std::chrono::milliseconds timeout)
{
    if (!connection.isConnected())
        return {RPC_E_DISCONNECTED, {}};
    if (!nameHasOwner(connection)) {
        if (const HRESULT result = startServer(connection, classId, timeout); FAILED(result))
            return {result, {}};
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName(), QString::fromLatin1(kClassFactoryPath),
                                       QString::fromLatin1(kClassFactoryInterface), QStringLiteral("CreateInstance"));
    call << classId;
    // The server was found or started above; the bus must not start another one behind our back.
    call.setAutoStartService(false);
    const QDBusMessage reply = connection.call(call);
    const HRESULT result = RemoteObject::resultOf(reply);
    if (FAILED(result) || reply.arguments().size() < 2)
        return {FAILED(result) ? result : E_UNEXPECTED, {}};
    return {result, ObjectReference{reply.service(), qdbus_cast<QDBusObjectPath>(reply.arguments().at(1))}};
}

} // namespace quillbrook::bus
