// ChangeNotifier: the services that the change watcher notifies. A service is handed over on the
// main thread (AddService), taken over by the watcher's thread at the next change (NotifyAll),
// and from then on notified at every change, in hand-over order, one at a time, on the main thread
// while the watcher's thread waits. A service stays held until RemoveService or the process's end; each
// one decides for itself whether a change concerns it.
#pragma once

#include "interfaces/iservice.h"
#include "platform/stop_event.h"

#include <memory>
#include <mutex>
#include <vector>

namespace quillbrook {

class ChangeNotifier {
public:
    ChangeNotifier();
    ~ChangeNotifier();
    ChangeNotifier(const ChangeNotifier&) = delete;
    ChangeNotifier& operator=(const ChangeNotifier&) = delete;

    // Queues the service; it is notified from the next change on. E_POINTER for a null service.
    [[nodiscard]] HRESULT AddService(std::shared_ptr<IService> service);
    // Releases the first taken-over entry for `service`; a service still queued is not touched.
    // Always S_OK.
    [[nodiscard]] HRESULT RemoveService(const IService* service);
    // On the watcher's thread, once per change: takes over the queued services, then has the main
    // thread call OnChangeNotification of each service in order, one after the other, and waits
    // for the round; the results are ignored. A round that `stop` interrupts (Stop from within a
    // notification) notifies no further service. Returns S_OK.
    [[nodiscard]] HRESULT NotifyAll(const StopEvent& stop);

private:
    // Both lists are reached from the main thread and the watcher's thread.
    std::mutex mutex_;
    std::vector<std::shared_ptr<IService>> pending_;
    std::vector<std::shared_ptr<IService>> services_;
};

// The one ChangeNotifier of the process; it lives as long as the process.
ChangeNotifier& changeNotifier();

} // namespace quillbrook
