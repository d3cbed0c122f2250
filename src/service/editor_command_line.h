// The command line that starts the editor on a session's temporary file.
#pragma once

#include <string>

namespace quillbrook {

// The program, one space, and the arguments with every "%filepath%" replaced, from left to right,
// by the temporary file's path (the inserted path is not searched again). Arguments without the
// placeholder get the quoted path appended, after a space unless they are empty or end with one.
// The program is inserted as it is, without quotes.
std::string buildEditorCommandLine(const std::string& program, std::string arguments,
                                   const std::string& temporaryFilePath);

} // namespace quillbrook
