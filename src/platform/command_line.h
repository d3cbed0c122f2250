// A command line split as the original platform splits it: the program by the rules of process
// creation, the arguments by the C runtime's rules. Editor command lines are stored in that form,
// so they must come apart here exactly as they did there.
#pragma once

#include "platform/win32_error.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

struct CommandLine {
    // The program as the command line names it, without enclosing quotes; the child's argv[0].
    std::string program;
    // The executable file it was found as (see findProgram).
    std::string programFile;
    // argv[1] onwards.
    std::vector<std::string> arguments;
};

// Splits `commandLine` and finds its program.
// A line starting with '"' names the program up to the next '"' (or the end); the characters that
// follow it up to the next blank outside quotes still belong to the program's word, as the C
// runtime reads argv[0], and the arguments come after them. Otherwise the program is the text up
// to the first blank (space or tab); when that names no executable file, ever longer prefixes
// ending at the following blanks are tried until one does, so that an unquoted path with spaces
// still works, and the arguments are the text after it.
// Failures are those of findProgram; among the prefixes, a file found without execute permission
// (ERROR_ACCESS_DENIED) wins over the last prefix's failure.
Win32Result<CommandLine> parseCommandLine(const std::string& commandLine);

// Splits argument text into arguments by the C runtime's rules: spaces and tabs separate
// arguments; '"' starts and ends a quoted run, in which blanks are kept; 2n backslashes before a
// '"' give n backslashes and the quote acts, 2n+1 give n backslashes and a literal '"';
// backslashes elsewhere are literal; '""' inside a quoted run is a literal '"' and the run goes on.
// A quoted empty run ("") is an empty argument.
std::vector<std::string> splitArguments(std::string_view argumentText);

} // namespace quillbrook
