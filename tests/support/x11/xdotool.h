// A user at the keyboard of a test display, played by xdotool: giving a window the focus, typing
// and pressing keys. A test's private display has no window manager, so the focus is given
// directly rather than by activating the window. Each call runs xdotool to its end.
#pragma once

#include <xcb/xcb.h>

#include <string>
#include <vector>

namespace quillbrook::testing::xdotool {

// Whether xdotool is installed (found in PATH).
bool available();

// Runs xdotool with `arguments`; true when it succeeded within a few seconds. Its complaints go
// to the test's stderr.
bool run(const std::vector<std::string>& arguments);

// Gives `window` the keyboard focus and returns once the server has it there.
bool focus(xcb_window_t window);
// Presses each key, or combination ("ctrl+s", "Escape", "alt+d"), in turn.
bool pressKeys(const std::vector<std::string>& keys);
// Types `text` as key presses.
bool type(const std::string& text);

} // namespace quillbrook::testing::xdotool
