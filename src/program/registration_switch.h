// The registration switches of a program's command line, found as the original platform's server
// programs found them: the whole command line, the program's own path included, is scanned for
// '-' or '/', and the word after it is compared, letters in any case, with "UnregServer" and
// "RegServer"; the first match decides. Quillbrook and Brackenhop read their command lines so.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook {

enum class RegistrationSwitch { None, RegServer, UnregServer };

// The command line as the original platform handed it over: the arguments joined by blanks, an
// argument that holds a blank or a tab, or nothing at all, in double quotes.
std::string joinCommandLine(int argc, const char* const* argv);

// A word ends at the end of the text, a blank or a tab, so "/RegServerX" is no switch; a '-' or '/'
// followed by no switch is passed over and the scan goes on after it.
RegistrationSwitch findRegistrationSwitch(std::string_view commandLine);

} // namespace quillbrook
