#include "service/change_notifier.h"

#include "automation/main_thread.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace quillbrook {

ChangeNotifier::ChangeNotifier() = default;
ChangeNotifier::~ChangeNotifier() = default;

HRESULT ChangeNotifier::AddService(std::shared_ptr<IService> service)
{
    if (!service)
        return E_POINTER;
    try {
        const std::lock_guard lock(mutex_);
        pending_.push_back(std::move(service));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT ChangeNotifier::RemoveService(const IService* service)
{
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(services_.begin(), services_.end(),
                                    [service](const auto& entry) { return entry.get() == service; });
    if (found != services_.end())
        services_.erase(found);
    return S_OK;
}

HRESULT ChangeNotifier::NotifyAll(const StopEvent& stop)
{
    // The round holds the services weakly: a service released on the main thread meanwhile is then
    // never destroyed on this thread, away from the thread its object lives on.
    std::vector<std::weak_ptr<IService>> round;
    try {
        const std::lock_guard lock(mutex_);
        services_.insert(services_.end(), std::make_move_iterator(pending_.begin()),
                         std::make_move_iterator(pending_.end()));
        pending_.clear();
        round.assign(services_.begin(), services_.end());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // One call onto the main thread for the whole round, not one per service: the services are
    // still notified one at a time and in order while this thread waits, but two thread switches
    // per service would cost more than the round itself once there are many sessions. The calls
    // run without the lock, since a service may add or remove services.
    auto abandoned = std::make_shared<std::atomic<bool>>(false);
    // A round that cannot reach the main thread (it is stopping) is abandoned as a whole.
    ignoreResult(callOnMainThread(
        [round = std::move(round), abandoned] {
            for (const auto& entry : round) {
                if (*abandoned)
                    break;
                if (const auto service = entry.lock())
                    ignoreResult(service->OnChangeNotification()); // each service handles its own failures
            }
            return S_OK;
        },
        stop));
    // This thread waits no longer, for the round ended or the stop came. A Stop from within one of
    // the calls has joined this thread before that call returns, so the round sees this at once.
    *abandoned = true;
    return S_OK;
}

ChangeNotifier& changeNotifier()
{
    static ChangeNotifier notifier;
    return notifier;
}

} // namespace quillbrook
