// A whole editing session across processes: the real server, started by activation on a private
// bus, edits a text box that this process serves there, as the browser bridge serves a page. The
// test's event loop answers the server's calls on the page objects while the test waits.
#include "automation/bus_activation.h"
#include "automation/bus_contract.h"
#include "platform/hive.h"
#include "service/session_fixture.h"
#include "support/main_thread_loop.h"
#include "support/page_bus/served_page.h"
#include "support/programs/program_run.h"
#include "support/programs/server_on_bus.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillbrook::testing {
namespace {

namespace fs = std::filesystem;

const QString kServiceInterface = QStringLiteral("org.fernhollow.Quillbrook.IService");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// Stores a value under HKCU\Software\Fernhollow\Quillbrook, where the server's settings load
// reads it.
void writeSetting(const char* name, RegistryType type, std::string_view data)
{
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    ASSERT_TRUE(root.ok());
    auto key = root.value().createSubKey("Software\\Fernhollow\\Quillbrook", KEY_ALL_ACCESS);
    ASSERT_TRUE(key.ok());
    EXPECT_FALSE(key.value().setValue(name, type, data)) << name;
}

void writeSetting(const char* name, std::uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
    writeSetting(name, REG_DWORD, std::string_view(bytes, 4));
}

class CrossProcessSession : public ServerOnBus {
protected:
    CrossProcessSession() { bus::registerBusTypes(); }

    // Calls the service object and waits for the reply while the loop serves the page, which the
    // server calls back before it answers. An invalid message when no reply came in time.
    QDBusMessage callService(const QString& interface, const QString& member, const QVariantList& arguments)
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(service_.service, service_.path.path(), interface, member);
        message.setArguments(arguments);
        const QDBusPendingCall pending = bridge_.asyncCall(message);
        if (!runEventLoopUntil([&] { return pending.isFinished(); }))
            return QDBusMessage();
        return pending.reply();
    }

    void setProperty(const char* name, const QVariant& value)
    {
        const QDBusMessage reply =
            callService(kPropertiesInterface, QStringLiteral("Set"),
                        {kServiceInterface, QString::fromLatin1(name), QVariant::fromValue(QDBusVariant(value))});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << name << ": " << reply.errorMessage().toStdString();
    }

    std::optional<int> active()
    {
        const QDBusMessage reply =
            callService(kPropertiesInterface, QStringLiteral("Get"), {kServiceInterface, QStringLiteral("Active")});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
            return std::nullopt;
        const QVariant value = qvariant_cast<QDBusVariant>(reply.arguments().at(0)).variant();
        if (value.metaType() != QMetaType::fromType<short>())
            return std::nullopt;
        return value.toInt();
    }

    // Asks again after every answer until Active reads `expected`: the window's events reach the
    // server without a reply to wait for.
    bool waitForActive(int expected)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline)
            if (active() == expected)
                return true;
        return false;
    }

    // One process creates and drives the service and serves the page, as the browser bridge does:
    // it holds the service twice (created, and as the window's event sink), and the window
    // releasing the sink must leave the first hold.
    QDBusConnection bridge_ = connectClient(QStringLiteral("bridge"));
    QDBusConnection page_ = bridge_;
    EditorControl editor_{root()};
    bus::ObjectReference service_;
};

TEST_F(CrossProcessSession, RegisterEditsAServedTextBoxUntilThePageUnloads)
{
    const fs::path backup = root() / "backup.txt";
    writeSetting("ChangeNotificationSyncDelay", 10u);
    writeSetting("DelayToDeleteTemporaryFile", 0u);
    writeSetting("LastDeletedFileBackup", REG_SZ, backup.string());
    registerQuillbrook();
    ASSERT_TRUE(bridge_.isConnected() && page_.isConnected());

    const auto activation = bus::activate(bridge_, QStringLiteral("Quillbrook.Service"));
    ASSERT_EQ(activation.result, S_OK);
    service_ = activation.object;
    setProperty("EditorProgramFile", QString::fromStdString(fs::canonical(QUILLBROOK_TEST_EDITOR).string()));
    setProperty("CommandLine", QString::fromStdString(editor_.arguments()));
    setProperty("CodePage", 65001);

    const auto page = TestPage::create(utf8("Report"), utf8("http://example.test/report.html"));
    const auto box =
        page->addTextArea(utf8("body"), page->addForm(utf8("reply")), utf8("first line\r\nsecond \xC3\xA9"));
    ServedPage served(page_, page);

    const QDBusMessage registered = callService(kServiceInterface, QStringLiteral("Register"),
                                                {QVariant::fromValue(served.referenceOf(box->element()))});
    ASSERT_EQ(registered.type(), QDBusMessage::ReplyMessage) << registered.errorMessage().toStdString();
    ASSERT_FALSE(registered.arguments().isEmpty());
    ASSERT_EQ(registered.arguments().at(0).toInt(), S_OK) << std::hex << registered.arguments().at(0).toInt();

    EXPECT_NE(active().value_or(0), 0);
    EXPECT_EQ(page->advisedSinkCount(), 1u);
    const fs::path file = fs::path(std::getenv("XDG_DATA_HOME")) / "Quillbrook" / "Report,1.txt";
    EXPECT_EQ(readWholeFile(file), "first line\r\nsecond \xC3\xA9");
    // The editor got its control arguments, then the temporary file.
    ASSERT_TRUE(runEventLoopUntil([&] {
        const auto lines = editor_.loggedLines();
        return !lines.empty() && lines.back() == file.string();
    })) << "the editor did not start on "
        << file;
    EXPECT_EQ(editor_.loggedLines().front(), "--control");

    editor_.renameOver("edited \xC3\xBC\n");
    ASSERT_TRUE(runEventLoopUntil([&] { return box->value() == utf8("edited \xC3\xBC\n"); }))
        << "the text box holds " << box->value().toStdString();
    const std::size_t writesBeforeUnload = box->writes().size();

    // The server unadvises on beforeunload and stops writing saves back.
    page->fireBeforeUnload();
    page->fireUnload();
    EXPECT_TRUE(runEventLoopUntil([&] { return page->advisedSinkCount() == 0; }));
    EXPECT_TRUE(waitForActive(0));

    editor_.write("saved while closing");
    editor_.exit();
    ASSERT_TRUE(runEventLoopUntil([&] { return editor_.ended(); }));
    // Well before the default delay of 10 s: the server read the setting.
    ASSERT_TRUE(runEventLoopUntil([&] { return !fs::exists(file); }, std::chrono::seconds(5)))
        << "the temporary file outlived the editor";
    EXPECT_EQ(readWholeFile(backup), "saved while closing");
    EXPECT_EQ(box->writes().size(), writesBeforeUnload);
    EXPECT_EQ(box->value(), utf8("edited \xC3\xBC\n"));
}

} // namespace
} // namespace quillbrook::testing
