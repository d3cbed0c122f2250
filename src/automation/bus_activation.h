// Getting an object of a class from the server on the bus, as a client of the original platform's
// object broker did: when nobody owns kServiceName, the bus starts the server from its activation
// file when it has one (the per-user one that /RegServer writes, or the installation's), so that
// the server has the session's activation environment whoever asked; without one, the server that
// the class's registration names (HKEY_CLASSES_ROOT\CLSID\{clsid}\LocalServer32) is started with
// its embedding switch and waited for. Then its class factory creates the object. Two clients
// that do this at once start two processes, of which the one that loses the race for the name
// exits; both clients are served by the winner.
#pragma once

#include "automation/bus_contract.h"
#include "platform/win32_error.h"

#include <QDBusConnection>
#include <QString>
#include <chrono>
#include <string>

namespace quillbrook::bus {

// The switch a server is started with when a client needs it, as the broker started it.
inline constexpr char kEmbeddingSwitch[] = "-Embedding";

// The broker's answer when the server could not be started or did not come up in time.
inline constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = static_cast<HRESULT>(0x80080005u);

struct Activation {
    HRESULT result = E_FAIL;
    ObjectReference object; // the new object when `result` succeeded; null otherwise
};

// The command line that starts the server of `classId`, a ProgID (found through its key's CLSID
// subkey) or a CLSID in braces: the default value of CLSID\{clsid}\LocalServer32.
// CO_E_CLASSSTRING for a ProgID that is not registered; REGDB_E_CLASSNOTREG for a class without a
// LocalServer32 key.
[[nodiscard]] HRESULT localServerCommandLine(const QString& classId, std::string& commandLine);

// An object of `classId` (a ProgID, versioned or not, or a CLSID in braces) from the server on
// `connection`, starting the server first when needed. `timeout` bounds the wait for a started
// server to own the name; CO_E_SERVER_EXEC_FAILURE when it does not, or ends first without anyone
// owning it. Otherwise the result is CreateInstance's, the object's service being the server's
// unique name. Runs a nested event loop while it waits; needs a QCoreApplication.
Activation activate(QDBusConnection connection, const QString& classId,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace quillbrook::bus
