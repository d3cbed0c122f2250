#include "platform/stop_event.h"

#include <cerrno>
#include <cstdint>
#include <algorithm>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace quillbrook {

StopEvent::StopEvent() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void StopEvent::set()
{
    // The counter is never read back, so the descriptor stays readable: a manual-reset event.
    const std::uint64_t one = 1;
    while (write(fd_.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool StopEvent::isSet() const
{
    return waitFor(std::chrono::milliseconds(0));
}

bool StopEvent::waitFor(std::chrono::milliseconds timeout) const
{
    using Clock = std::chrono::steady_clock;
    const bool forever = timeout.count() < 0;
    const auto deadline = Clock::now() + timeout;
    pollfd entry{fd_.get(), POLLIN, 0};
    while (true) {
        int waitMs = -1;
        if (!forever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            waitMs = static_cast<int>(std::max<std::int64_t>(0, left.count()));
        }
        const int ready = poll(&entry, 1, waitMs);
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

} // namespace quillbrook
