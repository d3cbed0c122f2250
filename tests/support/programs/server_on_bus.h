// A private home and a private session bus for tests of the real server: RegServer run there, so
// that LocalServer32 and the bus's activation folder name build/default/bin/quillbrook; clients
// connected to that bus; and every server on it ended with SIGTERM at the end of the test.
#pragma once

#include "support/bus/private_bus.h"
#include "support/programs/program_run.h"
#include "support/temporary_home.h"

#include <QDBusConnection>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillbrook::testing {

class ServerOnBus : public ::testing::Test {
protected:
    ServerOnBus();
    ~ServerOnBus() override;

    // The real program with the given arguments, to its end.
    ProgramRun runQuillbrook(const std::vector<std::string>& arguments);
    void registerQuillbrook();

    // A new client connection to the private bus.
    QDBusConnection connectClient(const QString& name);
    // The process that owns the service name; nullopt when nobody does.
    std::optional<pid_t> serverPid();
    // Waits until someone owns the service name (or, with `owned` false, nobody does).
    bool waitForServiceName(bool owned, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Sends SIGTERM to the name's owner and waits for that process to end; true when it did.
    bool stopServer();

    std::string quillbrookProgram() const;
    const std::filesystem::path& root() const { return home_.root(); }
    PrivateBus& bus() { return *bus_; }
    // Sets (or removes) a variable of the environment the programs started by the test inherit;
    // a value set is given to the programs the bus starts as well (the server among them).
    void setEnvironment(const std::string& name, const std::optional<std::string>& value);
    // Sets variables of the environment the bus gives the programs it starts, as
    // dbus-update-activation-environment does; the test's own environment stays as it is.
    void setActivationEnvironment(const std::map<std::string, std::string>& variables);

private:
    TemporaryHome home_;
    std::unique_ptr<PrivateBus> bus_;
    QDBusConnection observer_{QString()};
};

// Waits up to `timeout` for the process to end (it need not be a child); true when it did.
bool waitForProcessEnd(pid_t pid, std::chrono::milliseconds timeout);

} // namespace quillbrook::testing
