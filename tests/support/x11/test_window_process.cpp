#include "support/x11/test_window_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

namespace quillbrook::testing {

namespace {

// Generous: the program starts and maps its windows while other builds load the machine.
constexpr auto lineDeadline = std::chrono::seconds(10);

} // namespace

TestWindowProcess::TestWindowProcess(const std::vector<std::string>& options)
{
    // stdin is a socket so that a command sent to a program that has ended fails with EPIPE
    // instead of raising SIGPIPE in the test.
    int inputPair[2];
    int outputPipe[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inputPair) != 0)
        return;
    input_ = OwnedFd(inputPair[0]);
    const OwnedFd childInput(inputPair[1]);
    if (pipe2(outputPipe, O_CLOEXEC) != 0)
        return;
    output_ = OwnedFd(outputPipe[0]);
    OwnedFd childOutput(outputPipe[1]);

    std::vector<std::string> argv{QUILLBROOK_TEST_WINDOW};
    argv.insert(argv.end(), options.begin(), options.end());
    process_.emplace(argv, std::vector<std::pair<int, int>>{{0, childInput.get()}, {1, childOutput.get()}});
    // Only the program may hold the write end, so that its end reads as the end of the pipe.
    childOutput.reset();
    ready_ = readLine() == "ready";
}

TestWindowProcess::~TestWindowProcess()
{
    input_.reset();
    if (running())
        waitForExit();
}

std::optional<std::vector<std::string>> TestWindowProcess::linesBeforePong()
{
    send("ping");
    std::vector<std::string> lines;
    for (auto line = readLine(); line; line = readLine()) {
        if (*line == "pong")
            return lines;
        lines.push_back(*line);
    }
    return std::nullopt;
}

std::vector<xcb_window_t> TestWindowProcess::windows()
{
    send("windows");
    const auto line = readLine();
    std::vector<xcb_window_t> result;
    if (!line)
        return result;
    std::istringstream words(*line);
    std::string word;
    words >> word;
    for (xcb_window_t window = 0; words >> window;)
        result.push_back(window);
    return result;
}

std::optional<int> TestWindowProcess::waitForExit(std::chrono::milliseconds timeout)
{
    if (!process_)
        return std::nullopt;
    return process_->waitForExit(timeout);
}

void TestWindowProcess::send(const std::string& command)
{
    const std::string line = command + "\n";
    while (::send(input_.get(), line.data(), line.size(), MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

std::optional<std::string> TestWindowProcess::readLine()
{
    const auto deadline = std::chrono::steady_clock::now() + lineDeadline;
    while (true) {
        if (const auto end = buffered_.find('\n'); end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || output_.get() < 0)
            return std::nullopt;
        pollfd entry{output_.get(), POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char chunk[256];
        const auto got = read(output_.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        buffered_.append(chunk, static_cast<std::size_t>(got));
    }
}

} // namespace quillbrook::testing
