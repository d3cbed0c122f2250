#include "automation/blocking_call.h"

#include "automation/main_thread.h"

#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>

namespace quillbrook::bus {

QDBusMessage callAndWait(const QDBusConnection& connection, const QDBusMessage& message, int timeout)
{
    if (!isMainThread())
        return connection.call(message, QDBus::Block, timeout);
    const QDBusPendingCall pending = connection.asyncCall(message, timeout);
    // The watcher, made under the call's lock, signals a reply that has already come as well.
    QDBusPendingCallWatcher watcher(pending);
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
    return pending.reply();
}

} // namespace quillbrook::bus
