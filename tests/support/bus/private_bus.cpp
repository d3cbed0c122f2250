#include "support/bus/private_bus.h"

#include <QFile>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace quillbrook::testing {

namespace {

using namespace std::chrono_literals;

// The daemon prints its address once it listens; a daemon that has not done so by then never will.
constexpr auto kStartTimeout = 10s;

QByteArray configuration(const std::filesystem::path& socket, const std::filesystem::path& serviceDirectory)
{
    QByteArray text = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" + QByteArray::fromStdString(socket.string())
                      + R"(</listen>
  <auth>EXTERNAL</auth>
)";
    if (!serviceDirectory.empty())
        text += "  <servicedir>" + QByteArray::fromStdString(serviceDirectory.string()) + "</servicedir>\n";
    text += R"(  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
    return text;
}

// The first line the daemon writes to `fd`, or empty when it closes the pipe or the deadline passes.
QString readAddress(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    QByteArray text;
    while (!text.contains('\n')) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return {};
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return {};
        std::array<char, 256> buffer{};
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got <= 0)
            return {};
        text.append(buffer.data(), got);
    }
    return QString::fromUtf8(text.left(text.indexOf('\n'))).trimmed();
}

} // namespace

PrivateBus::PrivateBus() : PrivateBus(Options{}) {}

PrivateBus::PrivateBus(const Options& options)
{
    if (!start(options)) {
        address_.clear();
        daemon_.reset();
    }
}

PrivateBus::~PrivateBus()
{
    for (const QString& name : connections_)
        QDBusConnection::disconnectFromBus(name);
    if (daemon_) {
        daemon_->signal(SIGTERM);
        daemon_->waitForExit(kStartTimeout);
    }
    if (previousSessionAddress_) {
        if (*previousSessionAddress_)
            setenv("DBUS_SESSION_BUS_ADDRESS", (*previousSessionAddress_)->c_str(), 1);
        else
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
}

std::filesystem::path PrivateBus::folder() const
{
    return folder_.path().toStdString();
}

bool PrivateBus::start(const Options& options)
{
    if (!folder_.isValid()) {
        error_ = "no temporary folder: " + folder_.errorString().toStdString();
        return false;
    }
    const std::filesystem::path config = folder() / "bus.conf";
    const std::filesystem::path log = folder() / "daemon.log";
    QFile configFile(QString::fromStdString(config.string()));
    if (!configFile.open(QIODevice::WriteOnly)
        || configFile.write(configuration(folder() / "socket", options.serviceDirectory)) < 0) {
        error_ = "cannot write " + config.string();
        return false;
    }
    configFile.close();

    std::array<int, 2> pipeEnds{};
    if (pipe2(pipeEnds.data(), O_CLOEXEC) != 0) {
        error_ = "no pipe";
        return false;
    }
    const OwnedFd readEnd(pipeEnds[0]);
    OwnedFd writeEnd(pipeEnds[1]);
    const OwnedFd logFile(open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    const OwnedFd nothing(open("/dev/null", O_RDONLY | O_CLOEXEC));
    daemon_ = std::make_unique<TestChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--config-file=" + config.string(), "--nofork", "--print-address=1"},
        std::vector<std::pair<int, int>>{{0, nothing.get()}, {1, writeEnd.get()}, {2, logFile.get()}});
    writeEnd.reset();
    if (daemon_->pid() <= 0) {
        error_ = "cannot start dbus-daemon";
        return false;
    }
    address_ = readAddress(readEnd.get());
    if (address_.isEmpty()) {
        QFile messages(QString::fromStdString(log.string()));
        messages.open(QIODevice::ReadOnly);
        error_ = "dbus-daemon printed no address: " + messages.readAll().toStdString();
        return false;
    }
    return true;
}

QString PrivateBus::qualified(const QString& name) const
{
    // Connection names are process-wide in QtDBus; the folder makes them unique per bus.
    return folder_.path() + QLatin1Char(':') + name;
}

QDBusConnection PrivateBus::connect(const QString& name)
{
    const QString fullName = qualified(name);
    connections_.append(fullName);
    return QDBusConnection::connectToBus(address_, fullName);
}

void PrivateBus::disconnect(const QString& name)
{
    const QString fullName = qualified(name);
    connections_.removeAll(fullName);
    QDBusConnection::disconnectFromBus(fullName);
}

void PrivateBus::useAsSessionBus()
{
    if (!previousSessionAddress_) {
        const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        previousSessionAddress_.emplace(previous ? std::optional<std::string>(previous) : std::nullopt);
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.toLocal8Bit().constData(), 1);
}

} // namespace quillbrook::testing
