// A blocking D-Bus call that goes on serving the thread's events while it waits, as a call made
// from the main thread must: the peer may call back into this process before it answers.
//
// Qt's own QDBus::BlockWithGui call can miss a reply that comes in just after the message leaves
// and wait for ever (its check for an early reply is not under the call's lock), so this waits
// through a QDBusPendingCallWatcher, which sees an early reply too.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>

namespace quillbrook::bus {

// Sends `message` and returns its reply, or the error reply of a call that timed out after
// `timeout` milliseconds (-1: the bus's default). On the main thread, events (incoming calls,
// timers) are served meanwhile, as in a nested event loop; on another thread the caller simply
// blocks.
QDBusMessage callAndWait(const QDBusConnection& connection, const QDBusMessage& message, int timeout = -1);

} // namespace quillbrook::bus
