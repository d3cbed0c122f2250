// What the tests of the real host share: the hive entries it reads, the messages a browser sends
// and the host answers, and a fixture with the real server on a private bus and the test editor.
#pragma once

#include "automation/blocking_call.h"
#include "automation/bus_activation.h"
#include "automation/bus_contract.h"
#include "host_process.h"
#include "platform/hive.h"
#include "service/session_fixture.h"
#include "support/main_thread_loop.h"
#include "support/programs/server_on_bus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillbrook::testing {

namespace fs = std::filesystem;

inline constexpr char kMenuExt[] = "Software\\Microsoft\\Internet Explorer\\MenuExt";
inline const QString kLabel = QStringLiteral("Edit in &Test");
inline const QString kPage = QStringLiteral("page-5f1c");
inline const QString kElement = QStringLiteral("element-17");
inline const QString kTextAreaInterface = QStringLiteral("org.fernhollow.Dom.IHTMLTextAreaElement");

inline std::string dword(std::uint32_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
            static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
}

inline RegistryKey currentUserKey(const std::string& path)
{
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    EXPECT_TRUE(root.ok());
    auto key = root.value().createSubKey(path, KEY_ALL_ACCESS);
    EXPECT_TRUE(key.ok()) << path;
    return std::move(key).value();
}

inline void writeMenuEntry(const std::string& name, std::optional<std::uint32_t> contexts, const fs::path& script)
{
    RegistryKey key = currentUserKey(std::string(kMenuExt) + "\\" + name);
    EXPECT_FALSE(key.setValue("", REG_SZ, script.string()));
    if (contexts) {
        EXPECT_FALSE(key.setValue("contexts", REG_DWORD, dword(*contexts)));
    }
}

inline void writeSetting(const char* name, RegistryType type, const std::string& data)
{
    EXPECT_FALSE(currentUserKey("Software\\Fernhollow\\Quillbrook").setValue(name, type, data)) << name;
}

inline QJsonObject entry(const QString& name, const QString& title)
{
    return {{QStringLiteral("entry"), name}, {QStringLiteral("title"), title}};
}

inline QJsonObject menu(const QJsonArray& entries)
{
    return {{QStringLiteral("type"), QStringLiteral("menu")}, {QStringLiteral("entries"), entries}};
}

inline QJsonObject hello()
{
    return {{QStringLiteral("type"), QStringLiteral("hello")}, {QStringLiteral("browser"), QStringLiteral("chromium")}};
}

inline QJsonObject runMessage(int command, const QString& entryName, const QString& value, const QString& page = kPage)
{
    const QJsonObject element{{QStringLiteral("id"), kElement},
                              {QStringLiteral("kind"), QStringLiteral("textarea")},
                              {QStringLiteral("value"), value},
                              {QStringLiteral("name"), QStringLiteral("body")},
                              {QStringLiteral("form"), QJsonObject{{QStringLiteral("name"), QStringLiteral("reply")}}}};
    return {
        {QStringLiteral("type"), QStringLiteral("run")},
        {QStringLiteral("command"), command},
        {QStringLiteral("entry"), entryName},
        {QStringLiteral("page"), page},
        {QStringLiteral("element"), element},
        {QStringLiteral("document"), QJsonObject{{QStringLiteral("title"), QStringLiteral("Report")},
                                                 {QStringLiteral("url"), QStringLiteral("http://example.test/r")}}}};
}

inline QJsonObject result(int command, HRESULT hr)
{
    return {{QStringLiteral("type"), QStringLiteral("result")},
            {QStringLiteral("command"), command},
            {QStringLiteral("hresult"), static_cast<qint64>(hr)}};
}

// An event sink served by the test: records the DISPIDs its Invoke receives, in order.
class RecordingSink final : public QDBusVirtualObject {
public:
    std::vector<int> events;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == u"Invoke") {
            events.push_back(message.arguments().at(0).toInt());
            connection.send(message.createReply({0, QVariant::fromValue(QDBusVariant(0))}));
        } else {
            connection.send(message.createReply());
        }
        return true;
    }
};

class BridgeHostTest : public ServerOnBus {
protected:
    BridgeHostTest() { bus::registerBusTypes(); }

    // A Quillbrook entry saved by the real server, whose editor is the test editor.
    void saveQuillbrookEntry(const fs::path& editor = QUILLBROOK_TEST_EDITOR, const std::string& commandLine = {},
                             int codePage = 65001)
    {
        writeSetting("ChangeNotificationSyncDelay", REG_DWORD, dword(10));
        writeSetting("DelayToDeleteTemporaryFile", REG_DWORD, dword(0));
        registerQuillbrook();
        const auto service = bus::activate(client_, QStringLiteral("Quillbrook.Service"));
        ASSERT_EQ(service.result, S_OK);
        const auto set = [&](const char* name, const QVariant& value) {
            QDBusMessage call = QDBusMessage::createMethodCall(service.object.service, service.object.path.path(),
                                                               QStringLiteral("org.freedesktop.DBus.Properties"),
                                                               QStringLiteral("Set"));
            call << QStringLiteral("org.fernhollow.Quillbrook.IService") << QString::fromLatin1(name)
                 << QVariant::fromValue(QDBusVariant(value));
            const QDBusMessage reply = client_.call(call);
            EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << name << reply.errorMessage().toStdString();
        };
        set("Label", kLabel);
        set("EditorProgramFile", QString::fromStdString(fs::canonical(editor).string()));
        set("CommandLine", QString::fromStdString(commandLine.empty() ? editor_.arguments() : commandLine));
        set("CodePage", codePage);
        const QDBusMessage saved = client_.call(QDBusMessage::createMethodCall(
            service.object.service, service.object.path.path(), QStringLiteral("org.fernhollow.Quillbrook.IService"),
            QStringLiteral("SaveToMenuExt")));
        ASSERT_EQ(saved.arguments().value(0).toInt(), S_OK) << saved.errorMessage().toStdString();
        client_.call(QDBusMessage::createMethodCall(service.object.service, service.object.path.path(),
                                                    QLatin1String(bus::kDispatchInterface), QStringLiteral("Release")));
    }

    // Starts the host, greets it and runs the saved entry on a text area holding `value`.
    void startEditing(HostProcess& host, const QString& value)
    {
        ASSERT_TRUE(host.started());
        host.send(hello());
        ASSERT_EQ(host.receive(), menu({entry(kLabel, QStringLiteral("Edit in Test"))})) << host.errorOutput();
        host.send(runMessage(7, kLabel, value));
        ASSERT_EQ(host.receive(), result(7, S_OK)) << host.errorOutput();
    }

    // The host's connection on the bus, found by its process.
    QString busNameOf(pid_t pid)
    {
        const QDBusReply<QStringList> names = client_.interface()->registeredServiceNames();
        for (const QString& name : names.value()) {
            const QDBusReply<uint> owner = client_.interface()->servicePid(name);
            if (name.startsWith(u':') && owner.isValid() && owner.value() == static_cast<uint>(pid))
                return name;
        }
        return {};
    }

    QDBusMessage callElement(const QString& host, const QString& interface, const QString& member,
                             const QVariantList& arguments = {},
                             const QString& path = QStringLiteral("/org/fernhollow/QuillbrookBridge/pages/1/1"))
    {
        QDBusMessage call = QDBusMessage::createMethodCall(host, path, interface, member);
        call.setArguments(arguments);
        return bus::callAndWait(client_, call);
    }

    // Advises `sink` on the window of the element the host serves, through the page interfaces.
    void adviseOnWindow(const QString& host, RecordingSink& sink)
    {
        ASSERT_TRUE(client_.registerVirtualObject(QStringLiteral("/test/sink"), &sink));
        const auto objectOf = [](const QDBusMessage& reply) {
            return qdbus_cast<bus::ObjectReference>(reply.arguments().value(1));
        };
        const auto document = objectOf(
            callElement(host, QStringLiteral("org.fernhollow.Dom.IHTMLElement"), QStringLiteral("get_document")));
        const auto window = objectOf(callElement(host, QStringLiteral("org.fernhollow.Dom.IHTMLDocument2"),
                                                 QStringLiteral("get_parentWindow"), {}, document.path.path()));
        const auto point = objectOf(callElement(
            host, QStringLiteral("org.fernhollow.Dom.IConnectionPointContainer"), QStringLiteral("FindConnectionPoint"),
            {QStringLiteral("{96A0A4E0-D062-11CF-94B6-00AA0060275C}")}, window.path.path()));
        const bus::ObjectReference sinkReference{client_.baseService(), QDBusObjectPath(QStringLiteral("/test/sink"))};
        const QDBusMessage advised =
            callElement(host, QStringLiteral("org.fernhollow.Dom.IConnectionPoint"), QStringLiteral("Advise"),
                        {QVariant::fromValue(sinkReference)}, point.path.path());
        ASSERT_EQ(advised.arguments().value(0).toInt(), S_OK) << advised.errorMessage().toStdString();
    }

    QDBusConnection client_ = connectClient(QStringLiteral("test"));
    EditorControl editor_{root()};
};

} // namespace quillbrook::testing
