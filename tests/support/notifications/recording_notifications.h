// A desktop notification service for tests: owns org.freedesktop.Notifications on a bus and
// records every notification, as a real notification daemon would show it to the user.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>

#include <functional>
#include <vector>

namespace quillbrook::testing {

struct Notification {
    QString summary;
    QString body;
};

class RecordingNotifications final : public QDBusVirtualObject {
public:
    // Serves on `connection`; ok() tells whether the name was had.
    explicit RecordingNotifications(QDBusConnection connection);
    ~RecordingNotifications() override;

    bool ok() const { return ok_; }
    const std::vector<Notification>& notifications() const { return notifications_; }
    // Called with each notification as it arrives.
    void onNotify(std::function<void(const Notification&)> handler) { handler_ = std::move(handler); }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusConnection connection_;
    bool ok_ = false;
    std::vector<Notification> notifications_;
    std::function<void(const Notification&)> handler_;
};

} // namespace quillbrook::testing
