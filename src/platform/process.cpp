#include "platform/process.h"

#include "platform/child_output.h"
#include "platform/child_reaper.h"
#include "platform/command_line.h"
#include "platform/file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
// glibc 2.36 declares pidfd_open without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quillbrook {
namespace {

// What the child gets beyond its command line: only descriptors 0-2, an empty signal mask and
// every signal at its default action, like a freshly created process on the original platform.
class SpawnSettings {
public:
    // `standardError`, when not negative, becomes the child's descriptor 2.
    explicit SpawnSettings(int standardError)
    {
        posix_spawn_file_actions_init(&actions_);
        if (standardError >= 0)
            posix_spawn_file_actions_adddup2(&actions_, standardError, STDERR_FILENO);
        posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
        posix_spawnattr_init(&attributes_);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes_, &signals);
        sigfillset(&signals);
        posix_spawnattr_setsigdefault(&attributes_, &signals);
        posix_spawnattr_setflags(&attributes_, static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
    }
    ~SpawnSettings()
    {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// Keeps one descriptor free for the child's pidfd, so that running out of descriptors fails
// before the child exists rather than leaving it running untracked.
class ReservedDescriptor {
public:
    ReservedDescriptor() : fd_(open("/dev/null", O_RDONLY | O_CLOEXEC)) {}
    ~ReservedDescriptor() { free(); }
    ReservedDescriptor(const ReservedDescriptor&) = delete;
    ReservedDescriptor& operator=(const ReservedDescriptor&) = delete;

    bool ok() const { return fd_ >= 0; }
    void free()
    {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }

private:
    int fd_;
};

[[nodiscard]] Win32Error descriptorError(int err)
{
    return err == EMFILE || err == ENFILE ? ERROR_TOO_MANY_OPEN_FILES : win32ErrorFromErrno(err);
}

// This process's environment with the defaults it lacks; the strings stay owned by the result.
class ChildEnvironment {
public:
    explicit ChildEnvironment(const std::vector<std::pair<std::string, std::string>>& defaults)
    {
        for (const auto& [name, value] : defaults)
            if (!std::getenv(name.c_str()))
                added_.push_back(name + "=" + value);
        for (char** entry = environ; *entry; ++entry)
            pointers_.push_back(*entry);
        for (std::string& entry : added_)
            pointers_.push_back(entry.data());
        pointers_.push_back(nullptr);
    }
    char* const* get() const { return pointers_.data(); }

private:
    std::vector<std::string> added_;
    std::vector<char*> pointers_;
};

} // namespace

ChildProcess::~ChildProcess()
{
    close();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, 0)), pidfd_(std::exchange(other.pidfd_, -1)),
      reaped_(std::exchange(other.reaped_, false)), exitStatus_(std::exchange(other.exitStatus_, std::nullopt))
{}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        close();
        pid_ = std::exchange(other.pid_, 0);
        pidfd_ = std::exchange(other.pidfd_, -1);
        reaped_ = std::exchange(other.reaped_, false);
        exitStatus_ = std::exchange(other.exitStatus_, std::nullopt);
    }
    return *this;
}

void ChildProcess::close()
{
    if (pidfd_ < 0)
        return;
    if (reapIfEnded())
        ::close(pidfd_);
    else
        childReaper().adopt(pidfd_);
    pid_ = 0;
    pidfd_ = -1;
    reaped_ = false;
    exitStatus_.reset();
}

bool ChildProcess::reapIfEnded() const
{
    std::lock_guard lock(mutex_);
    while (!reaped_) {
        siginfo_t info{};
        if (waitid(P_PIDFD, static_cast<id_t>(pidfd_), &info, WEXITED | WNOHANG) == 0) {
            if (info.si_pid == 0)
                return false;
            exitStatus_ = info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
            reaped_ = true;
        } else if (errno != EINTR) {
            // Reaped elsewhere (SIGCHLD ignored by someone): gone, with no status to keep.
            reaped_ = true;
        }
    }
    return true;
}

bool ChildProcess::hasEnded() const
{
    return !valid() || reapIfEnded();
}

std::optional<int> ChildProcess::exitStatus() const
{
    std::lock_guard lock(mutex_);
    return exitStatus_;
}

ChildProcess::Wait ChildProcess::waitForEndOrStop(const StopEvent& stop, std::chrono::milliseconds timeout) const
{
    if (hasEnded())
        return Wait::Ended;
    using Clock = std::chrono::steady_clock;
    const bool forever = timeout.count() < 0;
    const auto deadline = Clock::now() + timeout;
    pollfd entries[] = {{pidfd_, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
    while (true) {
        int waitMs = -1;
        if (!forever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            waitMs = static_cast<int>(std::max<std::int64_t>(0, left.count()));
        }
        const int ready = poll(entries, 2, waitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        // The process is checked first: its end wins over a stop that came at the same time.
        if (ready > 0 && entries[0].revents != 0) {
            reapIfEnded();
            return Wait::Ended;
        }
        if (ready > 0 && entries[1].revents != 0)
            return Wait::Stopped;
        return Wait::TimedOut;
    }
}

Win32Result<ChildProcess> startProcess(const std::string& commandLine, const StartOptions& options)
{
    auto parsed = parseCommandLine(commandLine);
    if (!parsed.ok())
        return parsed.error();
    CommandLine& command = parsed.value();
    std::vector<char*> argv{command.program.data()};
    for (std::string& argument : command.arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The relayed standard error's pipe; the write end is the child's only.
    FileDescriptor errorRead;
    FileDescriptor errorWrite;
    if (options.standardErrorTail) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return descriptorError(errno);
        errorRead = FileDescriptor(ends[0]);
        errorWrite = FileDescriptor(ends[1]);
    }
    ReservedDescriptor forPidfd;
    if (!forPidfd.ok())
        return descriptorError(errno);
    const SpawnSettings settings(errorWrite.get());
    const ChildEnvironment environment(options.environmentDefaults);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, command.programFile.c_str(), settings.actions(), settings.attributes(),
                                  argv.data(), environment.get());
    if (error != 0)
        return error == ENOEXEC ? ERROR_BAD_EXE_FORMAT : win32ErrorFromErrno(error, command.programFile);
    if (errorRead.valid())
        relayOutput(errorRead.release(), options.standardErrorTail);

    forPidfd.free();
    const int pidfd = pidfd_open(pid, 0);
    if (pidfd < 0) {
        // Only if another thread took the reserved descriptor meanwhile: the child runs
        // untracked and becomes a zombie when it ends.
        return descriptorError(errno);
    }
    return ChildProcess(pid, pidfd);
}

} // namespace quillbrook
