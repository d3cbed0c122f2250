#include "support/programs/server_on_bus.h"

#include "automation/bus_contract.h"
#include "support/main_thread_loop.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QMap>

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

namespace quillbrook::testing {
namespace {

QString serviceName()
{
    return QString::fromLatin1(bus::kServiceName);
}

} // namespace

ServerOnBus::ServerOnBus()
{
    testApplication();
    // The bus hands its own environment to the servers it starts: set everything up before it.
    home_.setEnvironment("QT_QPA_PLATFORM", "offscreen");
    const auto services = home_.root() / "data" / "dbus-1" / "services";
    std::filesystem::create_directories(services);
    bus_ = std::make_unique<PrivateBus>(PrivateBus::Options{services});
    if (!bus_->ok())
        ADD_FAILURE() << bus_->error();
    bus_->useAsSessionBus();
    observer_ = bus_->connect(QStringLiteral("observer"));
}

void ServerOnBus::setEnvironment(const std::string& name, const std::optional<std::string>& value)
{
    home_.setEnvironment(name, value);
    if (value)
        setActivationEnvironment({{name, *value}});
}

void ServerOnBus::setActivationEnvironment(const std::map<std::string, std::string>& variables)
{
    qDBusRegisterMetaType<QMap<QString, QString>>();
    QMap<QString, QString> map;
    for (const auto& [name, value] : variables)
        map.insert(QString::fromStdString(name), QString::fromStdString(value));
    QDBusMessage update = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    update << QVariant::fromValue(map);
    const QDBusMessage reply = observer_.call(update);
    if (reply.type() != QDBusMessage::ReplyMessage)
        ADD_FAILURE() << "cannot set the bus's activation environment: " << reply.errorMessage().toStdString();
}

ServerOnBus::~ServerOnBus()
{
    while (serverPid())
        if (!stopServer())
            break;
}

ProgramRun ServerOnBus::runQuillbrook(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{quillbrookProgram()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, home_.root());
}

void ServerOnBus::registerQuillbrook()
{
    const auto run = runQuillbrook({"/RegServer"});
    ASSERT_EQ(run.status, 0) << run.err;
}

QDBusConnection ServerOnBus::connectClient(const QString& name)
{
    return bus_->connect(name);
}

std::optional<pid_t> ServerOnBus::serverPid()
{
    const QDBusReply<uint> pid = observer_.interface()->servicePid(serviceName());
    if (!pid.isValid())
        return std::nullopt;
    return static_cast<pid_t>(pid.value());
}

bool ServerOnBus::waitForServiceName(bool owned, std::chrono::milliseconds timeout)
{
    QDBusServiceWatcher watcher(serviceName(), observer_);
    bool changed = true;
    bool reached = false;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceOwnerChanged, [&] { changed = true; });
    // Asks the bus again only after an owner change.
    return runEventLoopUntil(
        [&] {
            if (!reached && std::exchange(changed, false)) {
                const QDBusReply<bool> reply = observer_.interface()->isServiceRegistered(serviceName());
                reached = reply.isValid() && reply.value() == owned;
            }
            return reached;
        },
        timeout);
}

bool ServerOnBus::stopServer()
{
    const auto pid = serverPid();
    if (!pid)
        return true;
    kill(*pid, SIGTERM);
    return waitForProcessEnd(*pid, std::chrono::seconds(10));
}

std::string ServerOnBus::quillbrookProgram() const
{
    return std::filesystem::canonical(QUILLBROOK_PROGRAM).string();
}

bool waitForProcessEnd(pid_t pid, std::chrono::milliseconds timeout)
{
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0)
        return errno == ESRCH;
    pollfd entry{pidfd, POLLIN, 0};
    int ready = 0;
    do
        ready = poll(&entry, 1, static_cast<int>(timeout.count()));
    while (ready < 0 && errno == EINTR);
    close(pidfd);
    return ready > 0;
}

} // namespace quillbrook::testing
