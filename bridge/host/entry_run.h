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

// A new object of `classId` from the server (the bus starts the server when nobody owns its name;
// without an activation file it is started as the class's registration names it). `created` gets
// the HRESULT and, on success, the object, which the caller releases.
void createServerObject(AsyncCalls& calls, const QDBusConnection& connection, const QString& classId,
                        std::function<void(HRESULT, const bus::ObjectReference&)> created);

// Calls `method` of IService, with `arguments`, on a new "Quillbrook.Service" and releases it;
// `done` gets the first failure or the method's result.
void callOnNewService(AsyncCalls& calls, const QDBusConnection& connection, const QString& method,
                      const QVariantList& arguments, std::function<void(HRESULT)> done);

// `script` must be Register or OpenFile. `done` gets the HRESULT the run ended with: the first
// failure, or the last call's result.
void runEntry(AsyncCalls& calls, const QDBusConnection& connection, const EntryScript& script,
              const bus::ObjectReference& element, std::function<void(HRESULT)> done);

} // namespace quillbrook::bridge
