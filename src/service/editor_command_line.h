// The command line that starts the editor on a session's temporary file.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quillbrook {

// The program, one space, and the arguments with every "%filepath%" replaced, from left to right,
// by the temporary file's path (the inserted path is not searched again). Arguments without the
// placeholder get the quoted path appended, after a space unless they are empty or end with one.
// The program is inserted as it is, without quotes.
std::string buildEditorCommandLine(const std::string& program, std::string arguments,
                                   const std::string& temporaryFilePath);

// Variables the editor gets unless the environment sets them. On a Wayland desktop that runs
// Xwayland (WAYLAND_DISPLAY and DISPLAY both set), GTK and Qt editors are started on Xwayland:
// a native Wayland window is out of every X11 client's sight, so it could not be asked to close
// with the page.
std::vector<std::pair<std::string, std::string>> editorEnvironmentDefaults();

} // namespace quillbrook
