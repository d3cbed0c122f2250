// Calls on the bus whose replies are still to come: a page's event deliveries, which a host waits
// for before it exits, and the steps of running a menu entry, each continued when its reply
// arrives. Everything happens on the main thread's event loop.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <functional>
#include <memory>
#include <vector>

class QDBusPendingCallWatcher;

namespace quillbrook::bridge {

// Deliveries sent without waiting, remembered so that someone can wait for all of them.
class PendingDeliveries {
public:
    PendingDeliveries();
    ~PendingDeliveries();
    PendingDeliveries(const PendingDeliveries&) = delete;
    PendingDeliveries& operator=(const PendingDeliveries&) = delete;

    void add(const QDBusPendingCall& call);
    // Calls `done` once every delivery added so far (and any added before then) has been answered
    // or has failed; at once when none is outstanding.
    void whenAllDone(std::function<void()> done);

private:
    void check();

    std::vector<QDBusPendingCall> calls_;
    std::vector<std::unique_ptr<QDBusPendingCallWatcher>> watchers_;
    std::function<void()> done_;
};

// Calls whose replies continue some work. Owns the watchers; a reply that comes after the object
// is gone is dropped.
class AsyncCalls {
public:
    AsyncCalls();
    ~AsyncCalls();
    AsyncCalls(const AsyncCalls&) = delete;
    AsyncCalls& operator=(const AsyncCalls&) = delete;

    // Sends `message` with no limit on the wait (the callee may wait for a user) and hands the
    // reply to `then`.
    void call(const QDBusConnection& connection, const QDBusMessage& message,
              std::function<void(const QDBusMessage& reply)> then);

private:
    std::vector<std::unique_ptr<QDBusPendingCallWatcher>> watchers_;
};

} // namespace quillbrook::bridge
