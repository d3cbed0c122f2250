// The D-Bus activation file by which the session bus itself starts the server when a client
// calls the service name while nobody owns it: $XDG_DATA_HOME/dbus-1/services/<name>.service,
// whose Exec is the program with its embedding switch.
#pragma once

#include "platform/win32_error.h"

#include <string>

namespace quillbrook {

std::string activationFilePath(const std::string& dataFolder);
// The file's text; the program's path is quoted as the bus daemon reads Exec lines.
std::string activationFileText(const std::string& programPath);

[[nodiscard]] Win32Error writeActivationFile(const std::string& dataFolder, const std::string& programPath);
// A file that is not there counts as removed.
[[nodiscard]] Win32Error removeActivationFile(const std::string& dataFolder);

} // namespace quillbrook
