// Activation by ProgID against the real server on a private bus: starting it, serving both
// classes from one process, serving a later client after the first released everything, and the
// broker's failures.
#include "automation/bus_activation.h"
#include "automation/class_factory.h"
#include "hive_dump.h"
#include "support/programs/server_on_bus.h"

#include <QDBusMessage>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace quillbrook::testing {
namespace {

TEST_F(ServerOnBus, ActivationByProgIdStartsTheServerWhichServesBothClasses)
{
    registerQuillbrook();
    ASSERT_FALSE(serverPid());
    QDBusConnection client = connectClient(QStringLiteral("client"));

    const auto service = bus::activate(client, QStringLiteral("Quillbrook.Service"));
    ASSERT_EQ(service.result, S_OK);
    EXPECT_FALSE(service.object.isNull());
    const auto pid = serverPid();
    ASSERT_TRUE(pid);

    const auto fileOpen = bus::activate(client, QStringLiteral("Quillbrook.FileOpenService.1"));
    ASSERT_EQ(fileOpen.result, S_OK);
    EXPECT_EQ(fileOpen.object.service, service.object.service);
    EXPECT_NE(fileOpen.object.path, service.object.path);
    EXPECT_EQ(serverPid(), pid);
}

TEST_F(ServerOnBus, ALaterClientIsServedByTheSameProcessAfterTheFirstReleasedEverything)
{
    registerQuillbrook();
    QDBusConnection first = connectClient(QStringLiteral("first"));
    const auto created = bus::activate(first, QStringLiteral("Quillbrook.Service"));
    ASSERT_EQ(created.result, S_OK);
    const auto pid = serverPid();
    const QDBusMessage release = first.call(
        QDBusMessage::createMethodCall(created.object.service, created.object.path.path(),
                                       QString::fromLatin1(bus::kDispatchInterface), QStringLiteral("Release")));
    ASSERT_EQ(release.type(), QDBusMessage::ReplyMessage) << release.errorMessage().toStdString();
    bus().disconnect(QStringLiteral("first"));

    QDBusConnection second = connectClient(QStringLiteral("second"));
    const auto again = bus::activate(second, QStringLiteral("Quillbrook.Service"));
    ASSERT_EQ(again.result, S_OK);
    EXPECT_EQ(again.object.service, created.object.service);
    EXPECT_EQ(serverPid(), pid);
}

TEST_F(ServerOnBus, TheServerHasTheBusesEnvironmentWhoeverStartsIt)
{
    registerQuillbrook();
    // The session's variables are the bus's; the asking program's own differ.
    setEnvironment("QUILLBROOK_EDITOR", "from the client");
    setActivationEnvironment({{"QUILLBROOK_EDITOR", "from the session"}});
    QDBusConnection client = connectClient(QStringLiteral("client"));

    ASSERT_EQ(bus::activate(client, QStringLiteral("Quillbrook.Service")).result, S_OK);
    const auto pid = serverPid();
    ASSERT_TRUE(pid);
    std::ifstream in("/proc/" + std::to_string(*pid) + "/environ", std::ios::binary);
    const std::string environment{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(environment.find(std::string("QUILLBROOK_EDITOR=from the session") + '\0'), std::string::npos);
    EXPECT_EQ(environment.find("from the client"), std::string::npos);
}

struct FailureCase {
    const char* name;
    const char* localServer; // nullptr: the class has no LocalServer32 key
    HRESULT expected;

    friend void PrintTo(const FailureCase& c, std::ostream* out)
    {
        *out << c.name << " served by " << (c.localServer ? c.localServer : "nothing");
    }
};

class ActivationFailure : public ServerOnBus, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ActivationFailure, GivesTheBrokersResult)
{
    const std::string clsid = "{0B5C1A3E-27D4-4F8B-9A61-3C2E8D7F4A10}";
    createKey(HiveRoot::ClassesRoot, "Test.Class\\CLSID", clsid.c_str());
    createKey(HiveRoot::ClassesRoot, "CLSID\\" + clsid);
    if (GetParam().localServer)
        createKey(HiveRoot::ClassesRoot, "CLSID\\" + clsid + "\\LocalServer32", GetParam().localServer);
    QDBusConnection client = connectClient(QStringLiteral("client"));

    const auto activation = bus::activate(client, QString::fromLatin1(GetParam().name));
    EXPECT_EQ(activation.result, GetParam().expected) << std::hex << activation.result;
    EXPECT_TRUE(activation.object.isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ActivationFailure,
    ::testing::Values(FailureCase{"Unknown.Class", "/bin/true", CO_E_CLASSSTRING},
                      FailureCase{"Test.Class", nullptr, REGDB_E_CLASSNOTREG},
                      FailureCase{"Test.Class", "/nonexistent/quillbrook", bus::CO_E_SERVER_EXEC_FAILURE},
                      // A program that ends without ever owning the name is not waited for until the deadline.
                      FailureCase{"Test.Class", "/bin/true", bus::CO_E_SERVER_EXEC_FAILURE},
                      FailureCase{"{0B5C1A3E-27D4-4F8B-9A61-3C2E8D7F4A10}", "/bin/false",
                                  bus::CO_E_SERVER_EXEC_FAILURE}));

} // namespace
} // namespace quillbrook::testing
