// The regtool room: quillbrook-reg, the user's window onto the hive, modelled on the original
// platform's registry command (query, add, delete, export, import). It uses only the hive's
// public API; the pieces below are split so that each can be tested on streams.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillbrook::regtool {

struct Console {
    std::istream& in; // answers to the Yes/No questions
    std::ostream& out;
    std::ostream& err; // "ERROR: ..." lines
};

// Runs one command line (without the program name) and returns the exit status: 0 on success,
// 1 after an "ERROR:" line.
int runRegTool(const std::vector<std::string>& arguments, Console console);

} // namespace quillbrook::regtool
