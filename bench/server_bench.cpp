// The automation server's figures, measured on a private bus and home with the real programs:
// activation (server not running, client call to first answer), a property round trip over the
// bus, CPU used while idle (utime + stime of /proc/<pid>/stat over one second) and resident memory
// with 1,000 ended sessions held. A plain program that prints them; not a test.
#include "automation/blocking_call.h"
#include "automation/bus_activation.h"
#include "platform/hive.h"
#include "support/bus/private_bus.h"
#include "support/page/test_page.h"
#include "support/page_bus/served_page.h"
#include "support/temporary_home.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>

#include <signal.h>
#include <sys/syscall.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

using namespace quillbrook;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kActivations = 5;
constexpr int kRoundTrips = 2000;
constexpr int kSessions = 1000;

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

pid_t serverPid(const QDBusConnection& connection)
{
    const QDBusReply<uint> pid = connection.interface()->servicePid(QString::fromLatin1(bus::kServiceName));
    return pid.isValid() ? static_cast<pid_t>(pid.value()) : 0;
}

void stopServer(pid_t pid)
{
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    kill(pid, SIGTERM);
    pollfd entry{pidfd, POLLIN, 0};
    poll(&entry, 1, 10000);
    close(pidfd);
}

std::string procField(pid_t pid, const char* file)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

long cpuTicks(pid_t pid)
{
    const std::string stat = procField(pid, "stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            utime = std::stol(field);
        if (index == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

std::string residentMemory(pid_t pid)
{
    const std::string status = procField(pid, "status");
    const auto at = status.find("VmRSS:");
    return at == std::string::npos ? "?" : status.substr(at + 6, status.find('\n', at) - at - 6);
}

QDBusMessage call(const bus::ObjectReference& object, const char* interface, const QString& method,
                  const QVariantList& arguments = {})
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(object.service, object.path.path(), QString::fromLatin1(interface), method);
    message.setArguments(arguments);
    return message;
}

QDBusMessage setProperty(const bus::ObjectReference& object, const QString& name, const QVariant& value)
{
    return call(object, "org.freedesktop.DBus.Properties", QStringLiteral("Set"),
                {QStringLiteral("org.fernhollow.Quillbrook.IService"), name, QVariant::fromValue(QDBusVariant(value))});
}

QDBusMessage getProperty(const bus::ObjectReference& object, const QString& name)
{
    return call(object, "org.freedesktop.DBus.Properties", QStringLiteral("Get"),
                {QStringLiteral("org.fernhollow.Quillbrook.IService"), name});
}

// A new service object from the running server, serving this thread's page objects while it waits
// (a session ending meanwhile calls them).
bus::ObjectReference createService(QDBusConnection& client)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(bus::kServiceName), QString::fromLatin1(bus::kClassFactoryPath),
        QString::fromLatin1(bus::kClassFactoryInterface), QStringLiteral("CreateInstance"));
    call << QStringLiteral("Quillbrook.Service");
    const QDBusMessage reply = bus::callAndWait(client, call);
    if (reply.arguments().size() < 2)
        return {};
    return {reply.service(), qdbus_cast<QDBusObjectPath>(reply.arguments().at(1))};
}

} // namespace

int main(int argc, char** argv)
{
    // Each figure shows as soon as it is measured, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication application(argc, argv);
    testing::TemporaryHome home;
    home.setEnvironment("QT_QPA_PLATFORM", "offscreen");
    {
        auto settings = RegistryKey::openRoot(HiveRoot::CurrentUser)
                            .value()
                            .createSubKey("Software\\Fernhollow\\Quillbrook", KEY_ALL_ACCESS);
        const std::string zero(4, '\0');
        if (settings.value().setValue("DelayToDeleteTemporaryFile", REG_DWORD, zero) != ERROR_SUCCESS
            || settings.value().setValue("BackupLastDeletedFile", REG_DWORD, zero) != ERROR_SUCCESS) {
            std::printf("cannot write the benchmark's settings\n");
            return 1;
        }
    }
    testing::PrivateBus privateBus;
    if (!privateBus.ok()) {
        std::fprintf(stderr, "%s\n", privateBus.error().c_str());
        return 1;
    }
    privateBus.useAsSessionBus();
    bus::registerBusTypes();
    if (QProcess::execute(QStringLiteral(QUILLBROOK_PROGRAM), {QStringLiteral("/RegServer")}) != 0)
        return 1;
    QDBusConnection client = privateBus.connect(QStringLiteral("bench"));

    std::vector<double> activations;
    for (int i = 0; i < kActivations; ++i) {
        const auto start = Clock::now();
        const auto activation = bus::activate(client, QStringLiteral("Quillbrook.Service"));
        activations.push_back(milliseconds(Clock::now() - start));
        if (FAILED(activation.result))
            return 1;
        stopServer(serverPid(client));
    }
    std::sort(activations.begin(), activations.end());
    std::printf("activation (not running -> first answer): median %.1f ms, max %.1f ms over %d\n",
                activations[activations.size() / 2], activations.back(), kActivations);

    const auto service = bus::activate(client, QStringLiteral("Quillbrook.Service"));
    const pid_t pid = serverPid(client);
    const auto start = Clock::now();
    for (int i = 0; i < kRoundTrips; ++i) {
        client.call(setProperty(service.object, QStringLiteral("Label"), QStringLiteral("Item %1").arg(i)));
        client.call(getProperty(service.object, QStringLiteral("Label")));
    }
    std::printf("property round trip (Set or Get of Label): %.3f ms each over %d\n",
                milliseconds(Clock::now() - start) / (2.0 * kRoundTrips), 2 * kRoundTrips);

    const long ticksBefore = cpuTicks(pid);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::printf("idle CPU over 1 s: %ld clock ticks (utime+stime)\n", cpuTicks(pid) - ticksBefore);
    std::printf("resident memory, 1 object: %s\n", residentMemory(pid).c_str());

    std::vector<bus::ObjectReference> objects;
    for (int i = 0; i < kSessions; ++i)
        objects.push_back(bus::activate(client, QStringLiteral("Quillbrook.Service")).object);
    std::printf("resident memory, %d more objects held: %s\n", kSessions, residentMemory(pid).c_str());

    QDBusConnection pageConnection = privateBus.connect(QStringLiteral("page"));
    const auto page = testing::TestPage::create(QStringLiteral("Bench page"), QStringLiteral("http://example.test/"));
    testing::ServedPage served(pageConnection, page);
    std::vector<bus::ObjectReference> sessions;
    const auto sessionsStart = Clock::now();
    for (int i = 0; i < kSessions; ++i) {
        const bus::ObjectReference created = createService(client);
        // An editor that fails at once ends its session at once; one that succeeded as fast would
        // count as having handed its file to another instance, keeping the session until the
        // page goes.
        bus::callAndWait(client,
                         setProperty(created, QStringLiteral("EditorProgramFile"), QStringLiteral("/bin/false")));
        const auto box = page->addTextArea(QStringLiteral("box%1").arg(i));
        const QDBusMessage registered =
            bus::callAndWait(client, call(created, "org.fernhollow.Quillbrook.IService", QStringLiteral("Register"),
                                          {QVariant::fromValue(served.referenceOf(box->element()))}));
        if (registered.arguments().value(0).toInt() != 0) {
            std::printf("Register over the bus failed with 0x%08X: no session figures\n",
                        registered.arguments().value(0).toUInt());
            stopServer(pid);
            return 1;
        }
        sessions.push_back(created);
    }
    // Every session has ended once its editor is gone and its file deleted: Active is false again.
    // The calls serve the page meanwhile (the server asks it about its sessions), and a bound
    // keeps a session that never ends from holding the benchmark.
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    std::size_t active = sessions.size();
    while (active > 0 && Clock::now() < deadline) {
        active = static_cast<std::size_t>(
            std::count_if(sessions.begin(), sessions.end(), [&](const bus::ObjectReference& object) {
                const QDBusMessage reply = bus::callAndWait(client, getProperty(object, QStringLiteral("Active")));
                return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toInt() != 0;
            }));
    }
    if (active > 0) {
        std::printf("%zu of %d sessions had not ended after 60 s: no session figures\n", active, kSessions);
        stopServer(pid);
        return 1;
    }
    std::printf("%d sessions started and ended in %.0f ms; resident memory with them held: %s\n", kSessions,
                milliseconds(Clock::now() - sessionsStart), residentMemory(pid).c_str());
    stopServer(pid);
    return 0;
}
