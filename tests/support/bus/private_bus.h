// A private D-Bus daemon for one test: a session bus on a socket in a temporary folder, stopped
// on destruction, so that tests never touch the user's own session bus. Connections made through
// it act as separate processes on that bus; child processes reach it through
// DBUS_SESSION_BUS_ADDRESS (useAsSessionBus).
//
//   PrivateBus bus;
//   ASSERT_TRUE(bus.ok()) << bus.error();
//   QDBusConnection server = bus.connect(QStringLiteral("server"));
#pragma once

#include "support/x11/test_child_process.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace quillbrook::testing {

class PrivateBus {
public:
    struct Options {
        // Searched for D-Bus activation files (*.service) when set.
        std::filesystem::path serviceDirectory;
    };

    PrivateBus();
    explicit PrivateBus(const Options& options);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool ok() const { return !address_.isEmpty(); }
    // Why the daemon could not be started, with its own messages.
    const std::string& error() const { return error_; }
    // "unix:path=...,guid=...".
    const QString& address() const { return address_; }
    std::filesystem::path folder() const;

    // A new connection to this bus under `name`, which must be new for this bus; check
    // isConnected() on the result.
    QDBusConnection connect(const QString& name);
    // Closes the connection named `name` as a process that leaves the bus does, once no copy of
    // it remains; the other peers see its unique name lose its owner.
    void disconnect(const QString& name);

    // DBUS_SESSION_BUS_ADDRESS names this bus until destruction, for child processes.
    void useAsSessionBus();

private:
    bool start(const Options& options);
    QString qualified(const QString& name) const;

    QTemporaryDir folder_;
    std::unique_ptr<TestChildProcess> daemon_;
    QString address_;
    std::string error_;
    QStringList connections_;
    std::optional<std::optional<std::string>> previousSessionAddress_;
};

} // namespace quillbrook::testing
