// A child process of a test, owned: started with chosen descriptors, waited for with a deadline,
// and killed and reaped if its owner is destroyed while it still runs. It also dies with the
// test, so a crashed or timed-out test leaves no server or window behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillbrook::testing {

// A file descriptor, closed on destruction.
class OwnedFd {
public:
    explicit OwnedFd(int fd = -1) : fd_(fd) {}
    ~OwnedFd() { reset(); }
    OwnedFd(OwnedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    OwnedFd& operator=(OwnedFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }

    int get() const { return fd_; }
    void reset();

private:
    int fd_ = -1;
};

class TestChildProcess {
public:
    // Runs `argv` (argv[0] a path, or a name looked up in PATH) with each pair's second descriptor of this process as
    // the child's descriptor named by the first. pid() is -1 when it could not be started.
    TestChildProcess(const std::vector<std::string>& argv, const std::vector<std::pair<int, int>>& descriptors);
    ~TestChildProcess();
    TestChildProcess(const TestChildProcess&) = delete;
    TestChildProcess& operator=(const TestChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && !status_; }
    void signal(int number) const;
    // The wait status once the process has ended, nullopt if it is still running after `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int pidfd_ = -1;
    std::optional<int> status_;
};

} // namespace quillbrook::testing
