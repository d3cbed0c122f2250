#include "bridge/host/pending_calls.h"

#include <QDBusPendingCallWatcher>
#include <algorithm>
#include <limits>

namespace quillbrook::bridge {
namespace {

// Qt's value for a call that never times out.
constexpr int kNoTimeout = std::numeric_limits<int>::max();

// Removes the watcher from `watchers` and deletes it once control is back in the event loop,
// since it is the sender of the signal being handled.
void retire(std::vector<std::unique_ptr<QDBusPendingCallWatcher>>& watchers, QDBusPendingCallWatcher* watcher)
{
    const auto found =
        std::find_if(watchers.begin(), watchers.end(), [&](const auto& owned) { return owned.get() == watcher; });
    if (found == watchers.end())
        return;
    found->release()->deleteLater();
    watchers.erase(found);
}

} // namespace

PendingDeliveries::PendingDeliveries() = default;
PendingDeliveries::~PendingDeliveries() = default;

void PendingDeliveries::add(const QDBusPendingCall& call)
{
    std::erase_if(calls_, [](const QDBusPendingCall& c) { return c.isFinished(); });
    calls_.push_back(call);
    if (done_) {
        auto watcher = std::make_unique<QDBusPendingCallWatcher>(call);
        QObject::connect(watcher.get(), &QDBusPendingCallWatcher::finished, [this] { check(); });
        watchers_.push_back(std::move(watcher));
    }
}

void PendingDeliveries::whenAllDone(std::function<void()> done)
{
    done_ = std::move(done);
    for (const QDBusPendingCall& call : calls_) {
        auto watcher = std::make_unique<QDBusPendingCallWatcher>(call);
        QObject::connect(watcher.get(), &QDBusPendingCallWatcher::finished, [this] { check(); });
        watchers_.push_back(std::move(watcher));
    }
    check();
}

void PendingDeliveries::check()
{
    if (!done_ || !std::all_of(calls_.begin(), calls_.end(), [](const QDBusPendingCall& c) { return c.isFinished(); }))
        return;
    for (auto& watcher : watchers_)
        watcher.release()->deleteLater();
    watchers_.clear();
    calls_.clear();
    std::exchange(done_, nullptr)();
}

AsyncCalls::AsyncCalls() = default;
AsyncCalls::~AsyncCalls() = default;

void AsyncCalls::call(const QDBusConnection& connection, const QDBusMessage& message,
                      std::function<void(const QDBusMessage& reply)> then)
{
    auto watcher = std::make_unique<QDBusPendingCallWatcher>(connection.asyncCall(message, kNoTimeout));
    QDBusPendingCallWatcher* raw = watcher.get();
    QObject::connect(raw, &QDBusPendingCallWatcher::finished, [this, raw, then = std::move(then)] {
        const QDBusMessage reply = raw->reply();
        retire(watchers_, raw);
        then(reply);
    });
    watchers_.push_back(std::move(watcher));
}

} // namespace quillbrook::bridge
