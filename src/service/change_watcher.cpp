#include "service/change_watcher.h"

#include "platform/file_descriptor.h"
#include "store/global_settings.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <future>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace quillbrook {
namespace {

constexpr std::chrono::milliseconds kStartTimeout{2000};

// What stands for the original's last-write filter: a write, the close after one, a new time
// (an attribute change), and a file renamed into the folder, which is how many editors save.
constexpr std::uint32_t kLastWriteEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_TO;

// An inotify instance watching one folder for last-write changes, without its subfolders.
class FolderWatch {
public:
    explicit FolderWatch(const std::string& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (fd_.valid() && inotify_add_watch(fd_.get(), folder.c_str(), kLastWriteEvents | IN_ONLYDIR) < 0)
            fd_.reset();
    }

    bool watching() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }

    struct Batch {
        bool changed = false;
        // The folder went away (deleted, unmounted): no change will ever be reported again.
        bool ended = false;
    };

    // Reads every queued event, so that a burst of writes makes one notification.
    Batch drain() const
    {
        Batch batch;
        alignas(inotify_event) char buffer[4096];
        while (true) {
            const ssize_t length = read(fd_.get(), buffer, sizeof buffer);
            if (length < 0 && errno == EINTR)
                continue;
            if (length < 0) {
                batch.ended = errno != EAGAIN;
                return batch;
            }
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                // An overflowed queue lost events, so something changed.
                batch.changed |= (event->mask & (kLastWriteEvents | IN_Q_OVERFLOW)) != 0;
                batch.ended |= (event->mask & IN_IGNORED) != 0;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    FileDescriptor fd_;
};

// The worker thread. Blocked on the folder and the stop event between changes; every change
// reported in one wake-up makes one NotifyAll.
void watchFolder(const std::string& folder, const StopEvent& stop, ChangeNotifier& notifier, std::promise<bool> started)
{
    const FolderWatch watch(folder);
    started.set_value(watch.watching());
    if (!watch.watching())
        return;
    pollfd waits[] = {{watch.fd(), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
    while (true) {
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (waits[1].revents != 0 || (waits[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return;
        const FolderWatch::Batch batch = watch.drain();
        if (batch.changed)
            ignoreResult(notifier.NotifyAll(stop)); // each service handles its own failures
        if (batch.ended)
            return;
    }
}

} // namespace

ChangeWatcher::ChangeWatcher(ChangeNotifier& notifier) : notifier_(notifier) {}

ChangeWatcher::~ChangeWatcher()
{
    Stop();
}

HRESULT ChangeWatcher::Start()
{
    Stop();
    auto stop = std::make_unique<StopEvent>();
    if (stop->fd() < 0)
        return hresultFromErrno(errno);
    std::promise<bool> started;
    std::future<bool> watching = started.get_future();
    try {
        worker_ = std::thread(watchFolder, globalSettings().TempFolderPath, std::cref(*stop), std::ref(notifier_),
                              std::move(started));
    } catch (const std::system_error& error) {
        return HRESULT_FROM_WIN32(win32ErrorFromErrno(error.code().value()));
    }
    stopEvent_ = std::move(stop);
    // A folder that cannot be watched is known at once; no need to wait out the time limit.
    if (watching.wait_for(kStartTimeout) == std::future_status::ready && watching.get())
        return S_OK;
    Stop();
    return E_FAIL;
}

void ChangeWatcher::Stop()
{
    if (!worker_.joinable())
        return;
    stopEvent_->set();
    worker_.join();
    stopEvent_.reset();
}

ChangeWatcher& changeWatcher()
{
    static ChangeWatcher watcher;
    return watcher;
}

} // namespace quillbrook
