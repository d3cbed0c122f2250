#include "service/user_notice.h"

#include "platform/modal_interactions.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QVariantMap>

#include <functional>

namespace quillbrook {
namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kApplicationId = QStringLiteral("org.fernhollow.Quillbrook");
// A notification service answers at once, or is started by the bus within this; past it the
// message box is surer.
constexpr int kNotifyTimeoutMs = 10000;

// Calls the notification service without waiting: the main thread never stops for it (the
// service may be slow, or wait for this very process). `then` gets the reply or the error.
void callNotifications(const char* method, const QVariantList& arguments, std::function<void(const QDBusMessage&)> then)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications, QString::fromLatin1(method));
    message.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, kNotifyTimeoutMs),
                                                QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then(watcher->reply());
    });
}

void showMessageBox(const QString& summary, const QString& body)
{
    ModalInteractions& interactions = modalInteractions();
    interactions.messageBox(interactions.foregroundWindow(), body, summary, MB_OK);
}

} // namespace

void tellUser(const QString& summary, const QString& body)
{
    if (!QDBusConnection::sessionBus().isConnected() || !QCoreApplication::instance()) {
        showMessageBox(summary, body);
        return;
    }
    // A service that reads markup in the body would take a page's "<" for a tag.
    callNotifications("GetCapabilities", {}, [summary, body](const QDBusMessage& capabilities) {
        const bool markup = capabilities.type() == QDBusMessage::ReplyMessage && !capabilities.arguments().isEmpty()
                            && capabilities.arguments().front().toStringList().contains(QStringLiteral("body-markup"));
        const QVariantMap hints{{QStringLiteral("desktop-entry"), kApplicationId}};
        callNotifications("Notify",
                          {kApplicationId, 0u, kApplicationId, summary, markup ? body.toHtmlEscaped() : body,
                           QStringList(), hints, -1},
                          [summary, body](const QDBusMessage& reply) {
                              if (reply.type() != QDBusMessage::ReplyMessage)
                                  showMessageBox(summary, body);
                          });
    });
}

void tellUserLater(const QString& summary, const QString& body)
{
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application, [summary, body] { tellUser(summary, body); }, Qt::QueuedConnection);
}

} // namespace quillbrook
