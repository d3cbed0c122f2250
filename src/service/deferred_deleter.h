// DeferredDeleter: one thread per editing session that waits for the editor's end, waits the
// configured delay, keeps a backup copy of the temporary file and deletes it.
//
// A thread cannot be terminated here, so every wait of the thread is interruptible: Stop wakes the
// wait for the editor, gives the thread 2000 ms to finish (the delay included) and otherwise
// abandons it before the backup and the deletion, which is what terminating it did.
#pragma once

#include "platform/stop_event.h"
#include "platform/win32_error.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace quillbrook {

class DeferredDeleter {
public:
    struct Job {
        // Returns when the editor process has ended or `stop` is set.
        std::function<void(const StopEvent& stop)> waitForEditorEnd;
        std::chrono::milliseconds delay{10000};
        // Empty: no backup.
        std::string backupPath;
        // The file to delete, read when it is deleted.
        std::function<std::string()> temporaryFilePath;
        // Runs after the backup, before the deletion, with the file's bytes as the backup read
        // them (empty when it could not be read); false keeps the file where it is.
        std::function<bool(std::string_view bytes)> beforeDelete;
        // Runs on the deleter thread once the file is gone: the end of the session's bookkeeping.
        std::function<void()> finished;
    };

    DeferredDeleter() = default;
    ~DeferredDeleter();
    DeferredDeleter(const DeferredDeleter&) = delete;
    DeferredDeleter& operator=(const DeferredDeleter&) = delete;

    // Stops a previous job, then runs `job` on a new thread.
    [[nodiscard]] HRESULT Start(Job job);
    // See above. Returns once the thread has ended; nothing happens without a thread.
    void Stop();
    // Whether a thread was started and not yet stopped (it may have finished its work).
    bool started() const { return thread_.joinable(); }

private:
    static constexpr std::chrono::milliseconds kStopBound{2000};

    void run(const Job& job);
    // The delay; false when the thread was abandoned during it.
    bool sleepUnlessAbandoned(std::chrono::milliseconds delay);
    void markEnded();

    // Wakes the wait for the editor, which polls it together with the editor's process; one
    // descriptor per session, since a server may hold a thousand of them. Replaced for each job.
    std::unique_ptr<StopEvent> stop_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool abandoned_ = false;
    bool ended_ = false;
    std::thread thread_;
};

} // namespace quillbrook
