// Where programs are found: the stand-in for the original platform's search for the program of a
// command line (the program's own folder, the system folder, then PATH).
#pragma once

#include "platform/win32_error.h"

#include <string>

namespace quillbrook {

// The stand-in for the original platform's system folder, the home of the default editor
// `notepad.exe`: $QUILLBROOK_SYSTEM_FOLDER when set and not empty, otherwise the installation's
// folder beside the programs' folder (<programs>/system).
std::string systemFolder();

// The folder of the running program (/proc/self/exe).
std::string ownProgramFolder();

// The executable file that `name` stands for. A name with a '/' is a path (relative to the
// working folder). Any other name is looked for in the running program's own folder, then the
// system folder, then each folder of PATH (an empty entry being the working folder), and the
// first executable regular file of that name wins; ".exe" is never appended.
// Failures: ERROR_FILE_NOT_FOUND when nothing of that name is found (an empty name, or a folder,
// names no program), ERROR_PATH_NOT_FOUND when a folder of the path is missing,
// ERROR_ACCESS_DENIED when only files without execute permission were found.
Win32Result<std::string> findProgram(const std::string& name);

} // namespace quillbrook
