// The recording notification service as a program, for the browser tests: every notification is
// appended to FILE as one line of JSON ({"summary": ..., "body": ...}); "ready" on standard output
// once the name is owned.
//
//   quillbrook-test-notifications FILE
#include "support/notifications/recording_notifications.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillbrook-test-notifications FILE\n");
        return 2;
    }
    const std::string file = argv[1];
    quillbrook::testing::RecordingNotifications notifications(QDBusConnection::sessionBus());
    if (!notifications.ok()) {
        std::fprintf(stderr, "quillbrook-test-notifications: cannot own org.freedesktop.Notifications\n");
        return 1;
    }
    notifications.onNotify([&file](const quillbrook::testing::Notification& notification) {
        const QJsonObject line{{QStringLiteral("summary"), notification.summary},
                               {QStringLiteral("body"), notification.body}};
        std::ofstream(file, std::ios::app) << QJsonDocument(line).toJson(QJsonDocument::Compact).toStdString() << '\n';
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
