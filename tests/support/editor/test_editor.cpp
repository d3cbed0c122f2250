// A real editor process for tests: it saves its file when told, the way editors save, and exits
// when told. Commands arrive one per line on a control FIFO; its arguments are recorded first.
//
//   quillbrook-test-editor --control FIFO [--log FILE] [--hand-off] [other arguments...] FILE
//
// With --hand-off it behaves as a launcher that hands the file to an editor already running: the
// process started ends at once (status 0) and a process of its own goes on as the editor.
//
// The FIFO and the log may come from QUILLBROOK_TEST_EDITOR_CONTROL and QUILLBROOK_TEST_EDITOR_LOG
// instead, so that a command line without them can be tested.
//
// The commands are those of editor_commands.h. The end of the control FIFO ends the editor too.
// The log gets the arguments, one a line, at the start and "ended" at the end.
#include "editor_commands.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Appends "ended" to the log when the editor ends, so that a test can wait for its end.
struct EndRecord {
    std::string log;
    ~EndRecord()
    {
        if (!log.empty())
            std::ofstream(log, std::ios::app) << "ended\n";
    }
};

} // namespace

int main(int argc, char** argv)
{
    const char* controlVariable = std::getenv("QUILLBROOK_TEST_EDITOR_CONTROL");
    const char* logVariable = std::getenv("QUILLBROOK_TEST_EDITOR_LOG");
    std::string control = controlVariable ? controlVariable : "";
    std::string log = logVariable ? logVariable : "";
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--control")
            control = arguments[i + 1];
        if (arguments[i] == "--log")
            log = arguments[i + 1];
    }
    if (control.empty() || arguments.empty()) {
        std::cerr << "usage: quillbrook-test-editor --control FIFO [--log FILE] FILE\n";
        return 2;
    }
    const std::string file = arguments.back();
    for (const std::string& argument : arguments)
        if (argument == "--hand-off") {
            const pid_t child = fork();
            if (child < 0)
                return 5;
            if (child > 0)
                _exit(0);
            setsid();
        }
    const EndRecord endRecord{log};
    if (!log.empty()) {
        std::ofstream record(log, std::ios::trunc);
        for (const std::string& argument : arguments)
            record << argument << '\n';
    }

    std::ifstream commands(control);
    std::string line;
    while (std::getline(commands, line)) {
        if (const auto status = quillbrook::testing::performEditorCommand(file, line))
            return *status;
    }
    return 0;
}
