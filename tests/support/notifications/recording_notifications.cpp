#include "support/notifications/recording_notifications.h"

#include <QDBusMessage>
#include <QStringList>

namespace quillbrook::testing {
namespace {

const QString kName = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

} // namespace

RecordingNotifications::RecordingNotifications(QDBusConnection connection) : connection_(std::move(connection))
{
    ok_ = connection_.registerVirtualObject(kPath, this) && connection_.registerService(kName);
}

RecordingNotifications::~RecordingNotifications()
{
    connection_.unregisterService(kName);
    connection_.unregisterObject(kPath);
}

QString RecordingNotifications::introspect(const QString&) const
{
    return {};
}

bool RecordingNotifications::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString member = message.member();
    if (member == u"Notify" && message.signature() == u"susssasa{sv}i") {
        const QVariantList arguments = message.arguments();
        notifications_.push_back({arguments.at(3).toString(), arguments.at(4).toString()});
        connection.send(message.createReply(QVariant::fromValue(static_cast<uint>(notifications_.size()))));
        if (handler_)
            handler_(notifications_.back());
        return true;
    }
    if (member == u"GetCapabilities") {
        connection.send(message.createReply(QStringList{QStringLiteral("body")}));
        return true;
    }
    if (member == u"GetServerInformation") {
        connection.send(message.createReply({QStringLiteral("recording"), QStringLiteral("quillbrook tests"),
                                             QStringLiteral("1"), QStringLiteral("1.2")}));
        return true;
    }
    if (member == u"CloseNotification") {
        connection.send(message.createReply());
        return true;
    }
    return false;
}

} // namespace quillbrook::testing
