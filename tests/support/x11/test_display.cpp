#include "support/x11/test_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace quillbrook::testing {

namespace {

using namespace std::chrono_literals;

// A loaded machine can take seconds to start a server.
constexpr auto startDeadline = 20s;
constexpr auto stopDeadline = 5s;

// Xvfb writes the display number it chose, then a newline, once it accepts connections.
std::string readDisplayNumber(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + startDeadline;
    std::string number;
    while (true) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(std::max<long>(0, left.count())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return {};
        char byte = 0;
        const auto got = read(fd, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {};
        if (byte == '\n')
            return number;
        number.push_back(byte);
    }
}

} // namespace

TestDisplay::TestDisplay(Kind kind)
{
    if (const char* current = std::getenv("DISPLAY"))
        previousDisplay_ = current;
    if (kind == Kind::SharedWhenReachable && previousDisplay_) {
        resetGuard_ = x11::Connection::open();
        if (resetGuard_) {
            name_ = *previousDisplay_;
            return;
        }
    }
    if (startServer())
        setenv("DISPLAY", name_.c_str(), 1);
}

TestDisplay::~TestDisplay()
{
    if (server_) {
        server_->signal(SIGTERM);
        if (!server_->waitForExit(stopDeadline))
            server_.reset();
    }
    if (previousDisplay_)
        setenv("DISPLAY", previousDisplay_->c_str(), 1);
    else
        unsetenv("DISPLAY");
}

bool TestDisplay::startServer()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const OwnedFd readEnd(fds[0]);
    OwnedFd writeEnd(fds[1]);
    const OwnedFd devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
    // -noreset: the server would otherwise reset, dropping atoms and properties, whenever its
    // last client disconnects, which happens between the steps of a test.
    server_ = std::make_unique<TestChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0",
                                 "320x240x24"},
        std::vector<std::pair<int, int>>{
            {0, devNull.get()}, {1, devNull.get()}, {2, devNull.get()}, {3, writeEnd.get()}});
    if (server_->pid() <= 0)
        return false;
    // Only the server may hold the write end, so that its death reads as the end of the pipe.
    writeEnd.reset();
    const std::string number = readDisplayNumber(readEnd.get());
    if (number.empty())
        return false;
    name_ = ":" + number;
    return true;
}

} // namespace quillbrook::testing
