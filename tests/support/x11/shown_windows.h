// The windows a user sees on a test display: the viewable top-level windows, each with the
// process it says it belongs to (_NET_WM_PID) and its title. A test's private display has no
// window manager, so every client window is a child of a root.
#pragma once

#include "platform/x11_connection.h"

#include <sys/types.h>

#include <string>
#include <vector>

namespace quillbrook::testing {

struct ShownWindow {
    xcb_window_t id = XCB_WINDOW_NONE;
    // 0 when the window does not say.
    pid_t process = 0;
    // _NET_WM_NAME, or WM_NAME for a window without one.
    std::string title;
};

// Bottom of the stacking order first.
std::vector<ShownWindow> shownWindows(const x11::Connection& connection);

// Those of `process`.
std::vector<ShownWindow> shownWindowsOf(const x11::Connection& connection, pid_t process);

} // namespace quillbrook::testing
