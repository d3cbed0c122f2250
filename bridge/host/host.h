// The native messaging host: reads the extension's messages, answers "hello" with the menu (on an
// account that has never used Quillbrook, after adding a first command with the default settings)
// and sends it again whenever the hive's menu changes, opens the configuration dialog on
// "configure", serves the right-clicked element of each "run"
// on the bus and runs the entry's script on the server, writes values back with setValue, and
// unloads a page on "unload", lists the texts Quillbrook kept ("recent", again whenever they change)
// and puts one into a text box on "restore". A write over the bus is answered when the browser has answered
// "valueSet" (or after kWriteAnswerBound). When its input ends, or a termination signal comes, it
// unloads every page, waits until the sinks have been told, and ends.
#pragma once

#include "bridge/host/bridge_page.h"
#include "bridge/host/hive_watcher.h"
#include "bridge/host/menu.h"
#include "bridge/host/native_messaging.h"
#include "bridge/host/page_server.h"
#include "bridge/host/pending_calls.h"
#include "platform/file_descriptor.h"
#include "platform/hive.h"

#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>
#include <QSocketNotifier>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace quillbrook::bridge {

// Exit statuses of the host.
inline constexpr int kExitInputBroken = 3;

class Host {
public:
    // Reads messages from `input` and writes them to `output` (taking both); serves pages on
    // `connection`. `ended` is called once, with the exit status, when the host is done.
    Host(FileDescriptor input, FileDescriptor output, QDBusConnection connection, std::function<void(int)> ended);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Ends as at the end of the input (a termination signal): every page unloads, the sinks are
    // told, and `ended` gets 0.
    void stop();

private:
    struct ServedPage {
        std::shared_ptr<BridgePage> page;
        std::unique_ptr<PageServer> server;
    };

    void readInput();
    void handle(const QJsonObject& message);
    void run(const QJsonObject& message);
    void restore(const QJsonObject& message);
    void watchRecentTexts();
    void sendRecentIfChanged(bool always);
    void addFirstCommandOnFirstUse();
    void configure(const QJsonObject& message);
    void unloadPage(const QJsonObject& message);
    void releaseGonePages();
    void sendMenuIfChanged(bool always);
    void sendResult(const QJsonValue& command, HRESULT result);
    void send(const QJsonObject& message);
    void sendJson(const QByteArray& json);
    void writeValue(const QString& page, const QString& element, const QString& value, WriteDone done);
    void valueSet(const QJsonObject& message);
    void answerWrite(qint64 request, HRESULT result);
    ServedPage& pageFor(const QString& id);
    void end(int status);

    FileDescriptor input_;
    FileDescriptor output_;
    QDBusConnection connection_;
    std::function<void(int)> ended_;
    std::unique_ptr<QSocketNotifier> inputNotifier_;
    MessageReader reader_;
    std::shared_ptr<PendingDeliveries> deliveries_ = std::make_shared<PendingDeliveries>();
    AsyncCalls calls_;

    RegistryKey currentUser_;
    std::unique_ptr<HiveWatcher> hiveWatcher_;
    bool greeted_ = false;
    bool firstUseChecked_ = false;
    std::vector<MenuEntry> sentMenu_;
    // The recovery store's folder, and the list of kept texts last sent.
    std::unique_ptr<QFileSystemWatcher> recentWatcher_;
    std::unique_ptr<QTimer> recentChanged_;
    std::unique_ptr<QTimer> releaseGonePages_;
    QJsonArray sentRecent_;

    std::map<QString, ServedPage> pages_;
    // Pages that went away and whose id came back: still served while someone holds their objects.
    std::vector<ServedPage> retiredPages_;
    quint64 servedPageCount_ = 0;
    qint64 nextRequest_ = 1;
    // Writes whose answer from the browser is still to come, by request.
    std::map<qint64, WriteDone> pendingWrites_;
    bool outputBroken_ = false;
    bool ending_ = false;
};

} // namespace quillbrook::bridge
