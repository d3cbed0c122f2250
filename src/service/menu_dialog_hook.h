// The one plug-in point through which the service object reaches the menu items dialog: the
// service room comes before the user interface, so the program plugs the dialog in at start-up.
#pragma once

#include <cstdint>
#include <functional>

namespace quillbrook {

// Runs the menu items dialog over the window `windowHandle` (an X11 window id, 0 for none).
using MenuDialogRunner = std::function<void(std::int32_t windowHandle)>;

// Installs `runner` for the whole process (an empty one removes it); returns the previous one.
MenuDialogRunner setMenuDialogRunner(MenuDialogRunner runner);

// Calls the installed runner; does nothing when none is installed.
void runMenuDialog(std::int32_t windowHandle);

} // namespace quillbrook
