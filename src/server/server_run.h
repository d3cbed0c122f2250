// Running as the automation server: the start-up sequence, the main loop and the stop sequence.
#pragma once

#include "platform/win32_error.h"

namespace quillbrook {

// Settings loaded, change watcher started, class objects registered on the session bus, the
// shutdown monitor started, then the Qt main loop until SIGTERM or SIGINT (or the monitor) ends
// it; then the watcher stopped, the class objects revoked and, when the end was delayed, the
// pause. A step that fails ends the run with its HRESULT; a server that finds the name already
// served skips the loop and ends with S_OK.
[[nodiscard]] HRESULT runServer(int& argc, char** argv);

} // namespace quillbrook
