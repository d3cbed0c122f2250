// Starting a program on a command line and waiting for its end: the stand-in for process creation
// and process handles. A child is never signalled or killed from here, and every child is reaped.
#pragma once

#include "platform/stop_event.h"
#include "platform/win32_error.h"

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillbrook {

// Owns a child process through its pidfd. An empty object (default-constructed, moved from or
// closed) stands for no process and counts as ended. hasEnded, waitForEndOrStop and exitStatus
// may be called from several threads at once; moving, closing and destroying may not overlap
// with any other call.
class OutputTail;

// What a child gets beyond its command line.
struct StartOptions {
    // Variables set in the child's environment unless this process's environment has them.
    std::vector<std::pair<std::string, std::string>> environmentDefaults;
    // When set, the child's standard error is a pipe relayed into this tail and on to this
    // process's standard error (see relayOutput).
    std::shared_ptr<OutputTail> standardErrorTail;
};

class ChildProcess {
public:
    enum class Wait { Ended, Stopped, TimedOut };

    ChildProcess() = default;
    // A child still running is handed to the process's reaper, which reaps it once it ends;
    // this never blocks. (Hence no objects of static storage duration: they may outlive the
    // reaper.)
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool valid() const { return pidfd_ >= 0; }
    // 0 when empty. Names the process only until it has been reaped.
    pid_t pid() const { return pid_; }
    // Readable (POLLIN) once the process has ended; -1 when empty. For poll() with other
    // descriptors; the object keeps ownership.
    int pidfd() const { return pidfd_; }

    // Whether the process has ended; an ended process is reaped here.
    bool hasEnded() const;
    // Waits until the process ends (Ended), `stop` is set (Stopped) or `timeout` passes
    // (TimedOut); a negative timeout waits without limit. When the process has ended and `stop`
    // is set as well, the result is Ended.
    Wait waitForEndOrStop(const StopEvent& stop,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(-1)) const;
    // The exit status once the process has ended and been reaped: the value it returned, or
    // 128 + the signal number when a signal ended it. nullopt while it runs, or when empty.
    std::optional<int> exitStatus() const;

    // Lets go of the child as the destructor does and leaves the object empty.
    void close();

private:
    friend Win32Result<ChildProcess> startProcess(const std::string& commandLine, const StartOptions& options);
    ChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}

    bool reapIfEnded() const;

    pid_t pid_ = 0;
    int pidfd_ = -1;
    mutable std::mutex mutex_;
    mutable bool reaped_ = false;
    mutable std::optional<int> exitStatus_;
};

// Starts the program of `commandLine` (split and searched as parseCommandLine describes) with
// argv[0] the program as written and the rest of argv from the command line, without a shell,
// with this process's environment (and `options`' defaults) and working folder, its standard
// input, output and error (unless `options` relays the error), no other descriptor, and default
// signal handling.
// Failures: those of parseCommandLine (ERROR_FILE_NOT_FOUND also for an empty command line),
// ERROR_BAD_EXE_FORMAT for a file that is not a valid program, and the codes of the system's
// other errors.
Win32Result<ChildProcess> startProcess(const std::string& commandLine, const StartOptions& options = {});

} // namespace quillbrook
