// The real host, driven through its pipes as the browser drives it, on a private bus where the real
// server is started by activation: the menu from the hive, running an entry, saves coming back
// as setValue, unloading, and the end of its input.
#include "automation/bus_activation.h"
#include "automation/bus_contract.h"
#include "bridge/host/native_messaging.h"
#include "host_fixture.h"
#include "host_process.h"
#include "platform/hive.h"
#include "recovery/recovery_store.h"
#include "service/session_fixture.h"
#include "support/main_thread_loop.h"
#include "support/notifications/recording_notifications.h"
#include "support/programs/server_on_bus.h"
#include "support/x11/test_display.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace quillbrook::testing {
namespace {

TEST_F(BridgeHostTest, HelloAnswersTheTextBoxEntriesAndAChangedHiveSendsTheMenuAgain)
{
    const fs::path script = root() / "script.htm";
    writeMenuEntry("B &Second", 4, script);
    writeMenuEntry("A &&First", 0x14, script);
    writeMenuEntry("C Images only", 2, script);
    writeMenuEntry("D No contexts", std::nullopt, script);
    HostProcess host(root());
    ASSERT_TRUE(host.started());

    host.send(hello());
    EXPECT_EQ(host.receive(), menu({entry(QStringLiteral("A &&First"), QStringLiteral("A &First")),
                                    entry(QStringLiteral("B &Second"), QStringLiteral("B Second"))}))
        << host.errorOutput();

    // A change elsewhere in the hive sends nothing; the next message is the new entry's menu.
    writeSetting("Unrelated", REG_SZ, "x");
    writeMenuEntry("AA T&hird", 4, script);
    EXPECT_EQ(host.receive(), menu({entry(QStringLiteral("A &&First"), QStringLiteral("A &First")),
                                    entry(QStringLiteral("AA T&hird"), QStringLiteral("AA Third")),
                                    entry(QStringLiteral("B &Second"), QStringLiteral("B Second"))}));
}

TEST_F(BridgeHostTest, RunStartsTheEditorOnTheValueAndSavesComeBackAsSetValue)
{
    saveQuillbrookEntry();
    HostProcess host(root());
    startEditing(host, QString::fromUtf8("first line\r\nsecond \xC3\xA9"));

    ASSERT_TRUE(runEventLoopUntil([&] { return !editor_.loggedLines().empty(); })) << "the editor did not start";
    const fs::path file = editor_.loggedLines().back();
    EXPECT_EQ(readWholeFile(file), "first line\r\nsecond \xC3\xA9");

    editor_.renameOver("edited \xC3\xBC\n");
    const auto saved = host.receive();
    ASSERT_TRUE(saved) << host.errorOutput();
    EXPECT_EQ(saved->value(u"type").toString(), u"setValue");
    EXPECT_EQ(saved->value(u"page").toString(), kPage);
    EXPECT_EQ(saved->value(u"element").toString(), kElement);
    EXPECT_EQ(saved->value(u"text").toString(), QString::fromUtf8("edited \xC3\xBC\n"));
    EXPECT_FALSE(saved->value(u"more").toBool());

    // Over 1 MB of JSON: several parts of one request, each message within the limit.
    std::string longText;
    for (int line = 0; longText.size() < 2'500'000; ++line)
        longText += "line " + std::to_string(line) + " \xE2\x80\x94 \"quoted\"\t\xC3\xA9\n";
    editor_.renameOver(longText);
    QString joined;
    std::size_t parts = 0;
    while (true) {
        const auto json = host.receiveRaw();
        ASSERT_TRUE(json) << host.errorOutput();
        EXPECT_LE(json->size(), 1024 * 1024);
        const QJsonObject part = QJsonDocument::fromJson(*json).object();
        ASSERT_EQ(part.value(u"type").toString(), u"setValue");
        joined += part.value(u"text").toString();
        ++parts;
        if (part.value(u"more").toBool())
            continue;
        // A repeated write of the earlier save may come first.
        if (parts > 1 || joined.size() > 1000)
            break;
        joined.clear();
        parts = 0;
    }
    EXPECT_GT(parts, 1u);
    EXPECT_TRUE(joined == QString::fromStdString(longText)) << "the parts do not join to the saved text";
}

TEST_F(BridgeHostTest, UnloadFiresBeforeUnloadThenUnloadAndLaterWritesFail)
{
    saveQuillbrookEntry();
    HostProcess host(root());
    startEditing(host, QStringLiteral("text"));
    const QString hostName = busNameOf(host.pid());
    ASSERT_FALSE(hostName.isEmpty());
    RecordingSink sink;
    adviseOnWindow(hostName, sink);

    // Writes through the page interface reach the browser while the page lives, and are answered
    // once the browser has said so.
    QDBusMessage putCall =
        QDBusMessage::createMethodCall(hostName, QStringLiteral("/org/fernhollow/QuillbrookBridge/pages/1/1"),
                                       kTextAreaInterface, QStringLiteral("put_value"));
    putCall << QStringLiteral("typed");
    const QDBusPendingCall put = client_.asyncCall(putCall);
    const auto written = host.receive();
    ASSERT_TRUE(written);
    EXPECT_EQ(written->value(u"text").toString(), u"typed");
    ASSERT_TRUE(runEventLoopUntil([&] { return put.isFinished(); }));
    EXPECT_EQ(put.reply().arguments().value(0).toInt(), S_OK);

    host.send({{QStringLiteral("type"), QStringLiteral("unload")}, {QStringLiteral("page"), kPage}});
    ASSERT_TRUE(runEventLoopUntil([&] { return sink.events.size() >= 2; })) << host.errorOutput();
    EXPECT_EQ(sink.events, (std::vector<int>{1017, 1008}));

    const QDBusMessage refused =
        callElement(hostName, kTextAreaInterface, QStringLiteral("put_value"), {QStringLiteral("late")});
    EXPECT_EQ(static_cast<std::uint32_t>(refused.arguments().value(0).toInt()), 0x80070015u);
    const QDBusMessage value = callElement(hostName, kTextAreaInterface, QStringLiteral("get_value"));
    EXPECT_EQ(value.arguments().value(2).toString(), u"typed");
    // Nothing was sent for the refused write: the next message answers this hello.
    host.send(hello());
    EXPECT_EQ(host.receive().value_or(QJsonObject()).value(u"type").toString(), u"menu");
    EXPECT_EQ(sink.events.size(), 2u);
}

// The page going away asks the editor's window to close; once the editor has ended its file goes.
TEST_F(BridgeHostTest, UnloadAsksTheEditorToCloseAndItsFileIsDeleted)
{
    TestDisplay display;
    ASSERT_TRUE(display.ok());
    // The bus starts the server with the environment it was given, and the server the editor.
    setActivationEnvironment({{"DISPLAY", display.name()}, {"QT_QPA_PLATFORM", "offscreen"}});
    // An editor with a window, which logs to <editors>/<pid>.log.
    const fs::path editors = root() / "editors";
    fs::create_directories(editors);
    saveQuillbrookEntry(QUILLBROOK_WINDOW_EDITOR, "--session-dir " + editors.string());
    HostProcess host(root());
    startEditing(host, QStringLiteral("text"));

    const auto logLines = [&] {
        std::vector<std::string> lines;
        for (const auto& item : fs::directory_iterator(editors))
            if (item.path().extension() == ".log")
                for (std::ifstream in(item.path()); std::getline(in, lines.emplace_back());)
                    ;
        return lines;
    };
    const auto logged = [&](const std::string& line) {
        const auto lines = logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    ASSERT_TRUE(runEventLoopUntil([&] { return logged("mapped"); })) << "the editor did not show its window";
    // The log holds the editor's arguments, the file last, before "mapped".
    const auto lines = logLines();
    const fs::path file = *(std::find(lines.begin(), lines.end(), "mapped") - 1);
    ASSERT_TRUE(fs::exists(file));

    // The page's first object is the element the server was handed. Asked as a client asks: its
    // call holds the object, its Release lets it go again.
    const QString hostName = busNameOf(host.pid());
    ASSERT_FALSE(hostName.isEmpty());
    const auto elementAnswers = [&] {
        const bool answered = callElement(hostName, QString::fromLatin1(bus::kUnknownInterface),
                                          QStringLiteral("QueryInterface"), {kTextAreaInterface})
                                  .type()
                              == QDBusMessage::ReplyMessage;
        callElement(hostName, QString::fromLatin1(bus::kDispatchInterface), QStringLiteral("Release"));
        return answered;
    };
    EXPECT_TRUE(elementAnswers());

    host.send({{QStringLiteral("type"), QStringLiteral("unload")}, {QStringLiteral("page"), kPage}});
    ASSERT_TRUE(runEventLoopUntil([&] { return logged("ended"); })) << "the editor was not asked to close";
    EXPECT_TRUE(logged("close-requested"));
    EXPECT_TRUE(runEventLoopUntil([&] { return !fs::exists(file); })) << file << " was not deleted";
    // Gone, and released by the server once its session ended: the host lets the page go.
    EXPECT_TRUE(runEventLoopUntil([&] { return !elementAnswers(); })) << "the gone page is still served";
}

// The browser closing the pipe, and a SIGTERM (what a browser sends a host slow to exit), alike.
TEST_F(BridgeHostTest, ClosedInputOrSigtermUnloadsEveryPageAndExitsWithZero)
{
    saveQuillbrookEntry();
    for (const bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "closed input");
        HostProcess host(root());
        startEditing(host, QStringLiteral("text"));
        const QString hostName = busNameOf(host.pid());
        RecordingSink sink;
        client_.unregisterObject(QStringLiteral("/test/sink"));
        adviseOnWindow(hostName, sink);

        if (bySignal)
            ::kill(host.pid(), SIGTERM);
        else
            host.closeInput();
        ASSERT_TRUE(runEventLoopUntil([&] { return sink.events.size() >= 2; }, std::chrono::seconds(30)))
            << host.errorOutput();
        EXPECT_EQ(sink.events, (std::vector<int>{1017, 1008}));
        // The host waits for the sinks' answers, which this process gives while its loop runs.
        std::optional<int> status;
        EXPECT_TRUE(runEventLoopUntil(
            [&] {
                status = host.exitStatus(std::chrono::milliseconds(0));
                return status.has_value();
            },
            std::chrono::seconds(30)));
        EXPECT_EQ(status, 0) << host.errorOutput();
    }
}

TEST_F(BridgeHostTest, EntriesWhoseScriptIsNotQuillbrooksAnswerNotImplemented)
{
    const fs::path foreign = root() / "foreign.htm";
    std::ofstream(foreign) << "<script>var x=new ActiveXObject(\"Other.Thing\"); x.Register(external);</script>";
    writeMenuEntry("Foreign", 4, foreign);
    writeMenuEntry("Missing script", 4, root() / "missing.htm");
    HostProcess host(root());
    ASSERT_TRUE(host.started());
    host.send(hello());
    ASSERT_TRUE(host.receive());

    host.send(runMessage(1, QStringLiteral("Foreign"), QStringLiteral("v")));
    EXPECT_EQ(host.receive(), result(1, static_cast<HRESULT>(0x80004001u)));
    host.send(runMessage(2, QStringLiteral("Missing script"), QStringLiteral("v")));
    EXPECT_EQ(host.receive(), result(2, static_cast<HRESULT>(0x80070002u)));
    host.send(runMessage(3, QStringLiteral("No such entry"), QStringLiteral("v")));
    EXPECT_EQ(host.receive(), result(3, static_cast<HRESULT>(0x80070002u)));
}

TEST_F(BridgeHostTest, MalformedMessagesAreSkippedAndAnOversizedOneEndsTheHost)
{
    HostProcess host(root());
    ASSERT_TRUE(host.started());
    host.sendRaw(bridge::frame("{not json"));
    host.sendRaw(bridge::frame("[1, 2]"));
    host.send(hello());
    EXPECT_EQ(host.receive(), menu({})) << host.errorOutput();

    const std::uint32_t tooLong = 64u * 1024u * 1024u + 1u;
    host.sendRaw(QByteArray(reinterpret_cast<const char*>(&tooLong), sizeof tooLong));
    EXPECT_TRUE(host.outputEnds());
    const auto status = host.exitStatus();
    ASSERT_TRUE(status);
    EXPECT_NE(*status, 0);
    EXPECT_NE(host.errorOutput().find("longer than"), std::string::npos) << host.errorOutput();
}

// Texts that cannot reach their page are kept, and the user is told; this process also plays the
// desktop's notification service.

class KeptTextTest : public BridgeHostTest {
protected:
    // The kept texts of one kind, oldest first, as their bytes.
    std::vector<std::string> kept(KeptBecause reason) const
    {
        const RecoveryStore store = RecoveryStore::forCurrentUser();
        std::vector<std::string> texts;
        for (const RecoveredText& text : store.list())
            if (text.reason == reason)
                texts.insert(texts.begin(), store.bytesOf(text).value());
        return texts;
    }

    bool toldAtLeast(std::size_t count)
    {
        return runEventLoopUntil([&] { return notifications_.notifications().size() >= count; });
    }

    fs::path startedFile()
    {
        EXPECT_TRUE(runEventLoopUntil([&] { return !editor_.loggedLines().empty(); })) << "the editor did not start";
        const auto lines = editor_.loggedLines();
        return lines.empty() ? fs::path() : fs::path(lines.back());
    }

    RecordingNotifications notifications_{connectClient(QStringLiteral("notifications"))};
};

TEST_F(KeptTextTest, SavesThatDoNotReachTheirElementAreKeptAndTheUserIsToldOnce)
{
    ASSERT_TRUE(notifications_.ok());
    saveQuillbrookEntry();
    HostProcess host(root());
    startEditing(host, QStringLiteral("original"));
    startedFile();
    host.confirmWrites(false);
    for (const std::string text : {"first save", "second save"}) {
        editor_.renameOver(text);
        const auto saved = host.receive();
        ASSERT_TRUE(saved) << host.errorOutput();
        // The page removed its text box: the browser answers that the value was not written.
        host.send({{QStringLiteral("type"), QStringLiteral("valueSet")},
                   {QStringLiteral("request"), saved->value(u"request")},
                   {QStringLiteral("written"), false}});
        ASSERT_TRUE(runEventLoopUntil([&] {
            const auto texts = kept(KeptBecause::Undelivered);
            return !texts.empty() && texts.back() == text;
        }));
    }
    EXPECT_EQ(kept(KeptBecause::Undelivered), (std::vector<std::string>{"first save", "second save"}));
    ASSERT_TRUE(toldAtLeast(1));
    EXPECT_EQ(notifications_.notifications().size(), 1u);
    EXPECT_TRUE(notifications_.notifications().front().body.contains(u"Report"));
    EXPECT_TRUE(notifications_.notifications().front().body.contains(
        QString::fromStdString(RecoveryStore::forCurrentUser().folder())));
}

TEST_F(KeptTextTest, WhenThePagesProcessDiesItsSessionEndsAndTheLastTextIsKept)
{
    ASSERT_TRUE(notifications_.ok());
    saveQuillbrookEntry();
    HostProcess host(root());
    startEditing(host, QStringLiteral("original"));
    const fs::path file = startedFile();
    editor_.renameOver("before");
    ASSERT_TRUE(host.receive()) << host.errorOutput();
    // Once the host has answered a later message, the save's answer has left for the server.
    host.send(hello());
    ASSERT_TRUE(host.receive()) << host.errorOutput();

    ::kill(host.pid(), SIGKILL);
    ASSERT_TRUE(toldAtLeast(1)) << "the user was not told that the page went";
    // The editor, never a page again: its later save is kept when it ends, and no box says that
    // the element is no text box.
    editor_.renameOver("after the page went");
    editor_.exit();
    ASSERT_TRUE(runEventLoopUntil([&] { return !fs::exists(file); }));
    EXPECT_EQ(kept(KeptBecause::SessionEnded), (std::vector<std::string>{"after the page went"}));
    // An editor may write a save twice; a repeat still on its way when the host died is kept too.
    for (const std::string& text : kept(KeptBecause::Undelivered))
        EXPECT_EQ(text, "before");
    EXPECT_TRUE(std::any_of(notifications_.notifications().begin(), notifications_.notifications().end(),
                            [](const Notification& told) { return told.body.contains(u"went away"); }));
}

TEST_F(KeptTextTest, AnEditorThatHandsItsFileOnKeepsTheSessionUntilThePageGoes)
{
    ASSERT_TRUE(notifications_.ok());
    saveQuillbrookEntry(QUILLBROOK_TEST_EDITOR, "--hand-off " + editor_.arguments());
    HostProcess host(root());
    startEditing(host, QStringLiteral("original"));
    const fs::path file = startedFile();
    ASSERT_TRUE(toldAtLeast(1)) << "the user was not told which option the editor needs";
    EXPECT_TRUE(notifications_.notifications().front().summary.contains(u"did not wait"));

    // Longer than the delay before deletion (0 here): the launcher's end did not end the session.
    editor_.renameOver("still flowing");
    const auto saved = host.receive();
    ASSERT_TRUE(saved) << host.errorOutput();
    EXPECT_EQ(saved->value(u"text").toString(), u"still flowing");
    EXPECT_TRUE(fs::exists(file));

    host.send({{QStringLiteral("type"), QStringLiteral("unload")}, {QStringLiteral("page"), kPage}});
    ASSERT_TRUE(runEventLoopUntil([&] { return !fs::exists(file); }));
    EXPECT_EQ(kept(KeptBecause::SessionEnded), (std::vector<std::string>{"still flowing"}));
    editor_.exit();
}

TEST_F(KeptTextTest, AServerKilledDuringASessionLeavesItsFileToTheNextServer)
{
    ASSERT_TRUE(notifications_.ok());
    saveQuillbrookEntry();
    HostProcess host(root());
    startEditing(host, QStringLiteral("original"));
    const fs::path file = startedFile();
    editor_.renameOver("saved before the crash");
    ASSERT_TRUE(host.receive()) << host.errorOutput();

    const auto server = serverPid();
    ASSERT_TRUE(server);
    ::kill(*server, SIGKILL);
    ASSERT_TRUE(waitForServiceName(false));
    ASSERT_TRUE(fs::exists(file));
    ASSERT_EQ(bus::activate(client_, QStringLiteral("Quillbrook.Service")).result, S_OK);
    ASSERT_TRUE(toldAtLeast(1)) << "the user was not told of the kept file";
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(kept(KeptBecause::LeftBehind), (std::vector<std::string>{"saved before the crash"}));
    editor_.exit();
}

} // namespace
} // namespace quillbrook::testing
