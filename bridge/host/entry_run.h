// Running a recognised entry script on the server, as the script would: create the service object
// (the bus starts the server when nobody owns its name), then LoadFromMenuExt(label) and
// Register(element), or OpenFile(element). Every call is asynchronous, so the host keeps serving
// the page objects that the server calls back while it answers, and a call that waits for the
// user (a message box) waits as long as the user takes. The service object is released at the end.
#pragma once

#include "automation/bus_contract.h"
#include "bridge/host/entry_script.h"
#include "bridge/host/pending_calls.h"

#include <QDBusConnection>
#include <functional>

namespace quillbrook::bridge {

// `script` must be Register or OpenFile. `done` gets the HRESULT the run ended with: the first
// failure, or the last call's result.
void runEntry(AsyncCalls& calls, const QDBusConnection& connection, const EntryScript& script,
              const bus::ObjectReference& element, std::function<void(HRESULT)> done);

} // namespace quillbrook::bridge
