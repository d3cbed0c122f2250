#include "server/shutdown_monitor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace quillbrook {

ShutdownMonitor::ShutdownMonitor(IdleTimeout idleTimeout, std::function<long()> lockCount,
                                 std::function<void()> postQuit)
    : idleTimeout_(idleTimeout), lockCount_(std::move(lockCount)), postQuit_(std::move(postQuit)),
      shutdownEvent_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (shutdownEvent_ < 0)
        return;
    try {
        thread_ = std::thread([this] { monitor(); });
    } catch (const std::system_error&) {
        // started() tells the caller.
    }
}

ShutdownMonitor::~ShutdownMonitor()
{
    stop_.set();
    if (thread_.joinable())
        thread_.join();
    if (shutdownEvent_ >= 0)
        ::close(shutdownEvent_);
}

void ShutdownMonitor::lockCountFellToZero()
{
    activity_ = true;
    const std::uint64_t one = 1;
    (void)!::write(shutdownEvent_, &one, sizeof one);
}

bool ShutdownMonitor::waitForShutdownEvent(IdleTimeout timeout) const
{
    pollfd descriptors[] = {{shutdownEvent_, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
    const int milliseconds = timeout ? static_cast<int>(timeout->count()) : -1;
    int ready = 0;
    do
        ready = ::poll(descriptors, 2, milliseconds);
    while (ready < 0 && errno == EINTR);
    if (ready <= 0 || (descriptors[0].revents & POLLIN) == 0)
        return false;
    std::uint64_t count = 0;
    (void)!::read(shutdownEvent_, &count, sizeof count);
    return true;
}

void ShutdownMonitor::monitor()
{
    while (!stop_.isSet()) {
        if (!waitForShutdownEvent(std::nullopt))
            continue;
        do
            activity_ = false;
        while (waitForShutdownEvent(idleTimeout_));
        if (stop_.isSet())
            return;
        if (!activity_ && lockCount_() <= 0) {
            postQuit_();
            return;
        }
    }
}

} // namespace quillbrook
