// The process that serves a remote object: whether it is still on the bus, and a watch that tells
// when it leaves (a browser's bridge that was killed, a page's process that ended). Local objects
// have no serving peer: they never leave, and nothing is watched for them.
#pragma once

#include "automation/dispatchable.h"

#include <functional>
#include <memory>

class QDBusServiceWatcher;

namespace quillbrook::bus {

// True when `object` is another process's and that process has no longer a name on the bus.
bool servingPeerHasLeft(const std::shared_ptr<Dispatchable>& object);

// Runs `left` on the main thread, once, when the process serving `object` leaves the bus (soon
// after construction when it has already left). Destroying the watch cancels it; `left` itself must
// not destroy it. Main thread only.
class ServingPeerWatch {
public:
    ServingPeerWatch(const std::shared_ptr<Dispatchable>& object, std::function<void()> left);
    ~ServingPeerWatch();
    ServingPeerWatch(const ServingPeerWatch&) = delete;
    ServingPeerWatch& operator=(const ServingPeerWatch&) = delete;

    // Whether the object is another process's, so that something is watched.
    bool watching() const { return watcher_ != nullptr; }

private:
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    std::shared_ptr<std::function<void()>> left_;
};

} // namespace quillbrook::bus
