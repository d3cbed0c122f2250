#include "support/x11/test_child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace quillbrook::testing {

namespace {

constexpr std::size_t maxDescriptors = 8;

// Between fork and exec only async-signal-safe calls are allowed, hence no allocation here.
[[noreturn]] void execChild(char* const* argv, const std::pair<int, int>* descriptors, std::size_t count, pid_t parent)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    // Moving every source out of the way first lets a source share its number with a target.
    constexpr int scratch = 100;
    int moved[maxDescriptors];
    for (std::size_t i = 0; i < count; ++i)
        moved[i] = fcntl(descriptors[i].second, F_DUPFD_CLOEXEC, scratch);
    for (std::size_t i = 0; i < count; ++i)
        dup2(moved[i], descriptors[i].first);
    execvp(argv[0], argv);
    _exit(127);
}

} // namespace

void OwnedFd::reset()
{
    if (fd_ >= 0)
        close(std::exchange(fd_, -1));
}

TestChildProcess::TestChildProcess(const std::vector<std::string>& argv,
                                   const std::vector<std::pair<int, int>>& descriptors)
{
    if (descriptors.size() > maxDescriptors)
        return;
    std::vector<std::string> copies = argv;
    std::vector<char*> pointers;
    for (auto& argument : copies)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0)
        execChild(pointers.data(), descriptors.data(), descriptors.size(), parent);
    if (pid_ > 0)
        pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
}

TestChildProcess::~TestChildProcess()
{
    if (running()) {
        signal(SIGKILL);
        waitForExit(std::chrono::milliseconds(-1));
    }
    if (pidfd_ >= 0)
        close(pidfd_);
}

void TestChildProcess::signal(int number) const
{
    // The pid cannot name another process yet: ours is not reaped until waitForExit.
    if (running())
        kill(pid_, number);
}

std::optional<int> TestChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    if (!running())
        return status_;
    // The pidfd becomes readable when the process ends: a wait with a deadline and no polling.
    pollfd entry{pidfd_, POLLIN, 0};
    int ready = 0;
    while ((ready = poll(&entry, 1, static_cast<int>(timeout.count()))) < 0 && errno == EINTR) {
    }
    if (ready <= 0)
        return std::nullopt;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    status_ = status;
    return status_;
}

} // namespace quillbrook::testing
