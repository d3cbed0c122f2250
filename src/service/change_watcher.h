// ChangeWatcher: the one worker thread of the process that waits for last-write changes in the
// temporary files folder, where every session's file lies, and has the ChangeNotifier notify every
// service at each change. The folder is the global settings' "TempFolderPath", read anew at each
// Start. Start and Stop are called on the main thread.
#pragma once

#include "platform/stop_event.h"
#include "platform/win32_error.h"
#include "service/change_notifier.h"

#include <memory>
#include <thread>

namespace quillbrook {

class ChangeWatcher {
public:
    explicit ChangeWatcher(ChangeNotifier& notifier = changeNotifier());
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // Stops a running worker, then starts one on the folder. S_OK once the folder is watched;
    // E_FAIL (stopped again) when it cannot be watched, for instance because it does not exist,
    // or when the worker does not report within 2000 ms; HRESULT_FROM_WIN32 of the system error
    // when the thread or its stop event cannot be made.
    [[nodiscard]] HRESULT Start();
    // Asks the worker to end and joins it. Every wait of the worker, the calls onto the main thread
    // included, ends on the stop event, so this returns promptly even while the worker waits for
    // the main thread. Nothing happens when no worker runs.
    void Stop();

private:
    ChangeNotifier& notifier_;
    std::unique_ptr<StopEvent> stopEvent_;
    std::thread worker_;
};

// The one ChangeWatcher of the process, using the process's ChangeNotifier.
ChangeWatcher& changeWatcher();

} // namespace quillbrook
