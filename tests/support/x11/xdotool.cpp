#include "support/x11/xdotool.h"

#include "platform/program_search.h"
#include "support/x11/test_child_process.h"

#include <fcntl.h>
#include <sys/wait.h>

#include <chrono>

namespace quillbrook::testing::xdotool {

namespace {

// A command sends a handful of events; a loaded machine may still take a while to start it.
constexpr auto runDeadline = std::chrono::seconds(10);

} // namespace

bool available()
{
    return findProgram("xdotool").ok();
}

bool run(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const OwnedFd devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
    TestChildProcess process(argv, {{0, devNull.get()}, {1, devNull.get()}});
    if (process.pid() <= 0)
        return false;
    // A command that hangs (a focus that never arrives) is killed with the process object.
    const auto status = process.waitForExit(runDeadline);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

bool focus(xcb_window_t window)
{
    return run({"windowfocus", "--sync", std::to_string(window)});
}

bool pressKeys(const std::vector<std::string>& keys)
{
    std::vector<std::string> arguments{"key"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    return run(arguments);
}

bool type(const std::string& text)
{
    return run({"type", "--", text});
}

} // namespace quillbrook::testing::xdotool
