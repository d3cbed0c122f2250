// The server process's life on a private bus: two servers started at once leave one, a signal
// ends it through its stop sequence, and it lives on after its last object.
#include "automation/bus_activation.h"
#include "hive_dump.h"
#include "support/programs/server_on_bus.h"
#include "support/x11/test_child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

namespace quillbrook::testing {
namespace {

using namespace std::chrono_literals;

// quillbrook started as the bus would start it, its output discarded.
class EmbeddedServer {
public:
    explicit EmbeddedServer(const std::string& program)
        : nothing_(open("/dev/null", O_RDWR | O_CLOEXEC)),
          process_({program, "-Embedding"}, {{0, nothing_.get()}, {1, nothing_.get()}})
    {}

    TestChildProcess& process() { return process_; }

private:
    OwnedFd nothing_;
    TestChildProcess process_;
};

class ServerSignal : public ServerOnBus, public ::testing::WithParamInterface<int> {};

TEST_P(ServerSignal, EndsTheServerCleanlyAndReleasesTheName)
{
    EmbeddedServer server(quillbrookProgram());
    ASSERT_TRUE(waitForServiceName(true));
    ASSERT_EQ(serverPid(), server.process().pid());

    server.process().signal(GetParam());
    const auto status = server.process().waitForExit(10s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_FALSE(serverPid());
}

INSTANTIATE_TEST_SUITE_P(Signals, ServerSignal, ::testing::Values(SIGTERM, SIGINT));

TEST_F(ServerOnBus, ASecondServerFindsTheNameTakenAndEnds)
{
    EmbeddedServer first(quillbrookProgram());
    ASSERT_TRUE(waitForServiceName(true));

    EmbeddedServer second(quillbrookProgram());
    const auto status = second.process().waitForExit(10s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_EQ(serverPid(), first.process().pid());
}

// An account that an installation's activation file serves has no class keys: the bus starts the
// server, which writes the keys that "RegServer" writes, so later clients find the class too.
TEST_F(ServerOnBus, AServerTheBusStartsRegistersItsClassesForAnAccountWithoutThem)
{
    registerQuillbrook();
    const auto registered = dumpTree(HiveRoot::ClassesRoot);
    RegistryKey classesRoot = RegistryKey::openRoot(HiveRoot::ClassesRoot).value();
    for (const char* key : {"AppID", "CLSID", "Interface", "TypeLib", "Quillbrook.Service", "Quillbrook.Service.1",
                            "Quillbrook.FileOpenService", "Quillbrook.FileOpenService.1"})
        ASSERT_EQ(classesRoot.deleteTree(key), ERROR_SUCCESS) << key;
    ASSERT_EQ(dumpTree(HiveRoot::ClassesRoot), std::vector<std::string>{""});

    const bus::Activation service =
        bus::activate(connectClient(QStringLiteral("client")), QStringLiteral("Quillbrook.Service"));
    EXPECT_EQ(service.result, S_OK);
    EXPECT_EQ(dumpTree(HiveRoot::ClassesRoot), registered);
}

TEST_F(ServerOnBus, TwoClientsAtOnceAreServedByOneServer)
{
    registerQuillbrook();
    const auto output = [&](int client) { return root() / ("client" + std::to_string(client) + ".out"); };
    std::vector<std::unique_ptr<TestChildProcess>> clients;
    std::vector<OwnedFd> outputs;
    for (int client = 0; client < 2; ++client) {
        outputs.emplace_back(open(output(client).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        clients.push_back(
            std::make_unique<TestChildProcess>(std::vector<std::string>{QUILLBROOK_TEST_ACTIVATE, "Quillbrook.Service"},
                                               std::vector<std::pair<int, int>>{{1, outputs.back().get()}}));
    }
    for (auto& client : clients) {
        const auto status = client->waitForExit(20s);
        ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    }
    const std::string served = readWholeFile(output(0));
    EXPECT_FALSE(served.empty());
    EXPECT_EQ(readWholeFile(output(1)), served);
    ASSERT_TRUE(waitForServiceName(true));
}

} // namespace
} // namespace quillbrook::testing
