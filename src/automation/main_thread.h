// Calls from a worker thread onto the main thread. Every automation object lives on the main
// thread, which runs the Qt event loop; a worker reaches an object by a blocking call that is
// posted to the main thread and runs there while the worker waits, as a call through a marshalled
// reference did on the original platform. Nested event loops (modal dialogs) keep serving such
// calls.
#pragma once

#include "platform/stop_event.h"
#include "platform/win32_error.h"

#include <functional>

namespace quillbrook {

// The worker gave up waiting because its stop event was set.
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
// The main thread cannot be reached: there is no application object, or it dropped the call
// without running it (the application ended).
inline constexpr HRESULT RPC_E_DISCONNECTED = static_cast<HRESULT>(0x80010108u);

// Whether the calling thread is the thread of the QCoreApplication object.
bool isMainThread();

// Runs `call` on the main thread and returns its result; directly when the caller is the main
// thread. A caller on another thread waits for the call's end or for `stop`, whichever comes
// first: a main thread that waits for the worker (Stop joining it) can thus never deadlock with a
// worker that waits for the main thread. Once `stop` is set no call is begun, and a call that was
// abandoned while still queued does not run at all; one that had already begun runs to its end
// with its result discarded. `call` must therefore own what it uses (capture by value).
[[nodiscard]] HRESULT callOnMainThread(std::function<HRESULT()> call, const StopEvent& stop);

} // namespace quillbrook
