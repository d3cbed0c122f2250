// The server's shutdown monitor: a thread that waits for the lock count to fall to zero and, once
// no object has been made or released for the idle timeout, asks the main thread to quit. While
// the server runs the idle timeout is infinite, so the process stays alive after its last object
// until it is ended from outside; a finite timeout ends it once it has been idle that long.
#pragma once

#include "platform/stop_event.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

namespace quillbrook {

class ShutdownMonitor {
public:
    // nullopt: never time out (INFINITE).
    using IdleTimeout = std::optional<std::chrono::milliseconds>;

    // Starts the thread; `lockCount` reads the module's lock count, `postQuit` asks the main thread
    // to end its loop (called on the monitor's thread, at most once).
    ShutdownMonitor(IdleTimeout idleTimeout, std::function<long()> lockCount, std::function<void()> postQuit);
    // Stops the thread and joins it.
    ~ShutdownMonitor();
    ShutdownMonitor(const ShutdownMonitor&) = delete;
    ShutdownMonitor& operator=(const ShutdownMonitor&) = delete;

    // False when the shutdown event or the thread could not be made.
    bool started() const { return thread_.joinable(); }
    // The lock count fell to zero: sets the activity flag and signals the shutdown event.
    void lockCountFellToZero();

private:
    // Waits for the shutdown event, the stop event or the timeout: true when the shutdown event
    // came (and is reset, being auto-reset).
    bool waitForShutdownEvent(IdleTimeout timeout) const;
    void monitor();

    IdleTimeout idleTimeout_;
    std::function<long()> lockCount_;
    std::function<void()> postQuit_;
    int shutdownEvent_ = -1;
    StopEvent stop_;
    std::atomic<bool> activity_{false};
    std::thread thread_;
};

} // namespace quillbrook
