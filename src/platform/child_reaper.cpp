#include "platform/child_reaper.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace quillbrook {
namespace {

// True once the child behind `pidfd` is gone: reaped now, or reaped already by someone else.
bool reapIfEnded(int pidfd)
{
    while (true) {
        siginfo_t info{};
        if (waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG) == 0)
            return info.si_pid != 0;
        if (errno != EINTR)
            return true;
    }
}

} // namespace

ChildReaper::ChildReaper() : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    try {
        thread_ = std::thread(&ChildReaper::run, this);
    } catch (const std::system_error&) {
        // Without a thread, adopted children are left to init once this process ends.
    }
}

ChildReaper::~ChildReaper()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    const std::uint64_t one = 1;
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
    if (thread_.joinable())
        thread_.join();
    for (int pidfd : handedOver_)
        close(pidfd);
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void ChildReaper::adopt(int pidfd)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || !thread_.joinable() || wakeFd_ < 0) {
            close(pidfd);
            return;
        }
        handedOver_.push_back(pidfd);
        ++left_;
    }
    const std::uint64_t one = 1;
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool ChildReaper::waitUntilNoneLeft(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return noneLeft_.wait_for(lock, timeout, [this] { return left_ == 0; });
}

void ChildReaper::run()
{
    std::vector<int> watched;
    std::vector<pollfd> entries;
    while (true) {
        entries.assign(1, pollfd{wakeFd_, POLLIN, 0});
        for (int pidfd : watched)
            entries.push_back(pollfd{pidfd, POLLIN, 0});
        if (poll(entries.data(), entries.size(), -1) < 0 && errno != EINTR)
            break;

        std::size_t reaped = 0;
        std::vector<int> stillRunning;
        for (std::size_t i = 1; i < entries.size(); ++i) {
            if (entries[i].revents != 0 && reapIfEnded(entries[i].fd)) {
                close(entries[i].fd);
                ++reaped;
            } else {
                stillRunning.push_back(entries[i].fd);
            }
        }
        watched = std::move(stillRunning);
        if (entries[0].revents & POLLIN) {
            std::uint64_t count = 0;
            while (read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {
            }
        }

        std::lock_guard lock(mutex_);
        watched.insert(watched.end(), handedOver_.begin(), handedOver_.end());
        handedOver_.clear();
        left_ -= reaped;
        if (left_ == 0)
            noneLeft_.notify_all();
        if (stopping_)
            break;
    }
    for (int pidfd : watched)
        close(pidfd);
}

// The room's one process-wide object: children belong to the process, and an owner anywhere may
// let go of one that still runs, so a single thread reaps them all (the server reaps its
// children). The static's destructor stops and joins that thread at exit.
ChildReaper& childReaper()
{
    static ChildReaper reaper;
    return reaper;
}

} // namespace quillbrook
