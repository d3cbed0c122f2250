// Editing sessions with the desktop's own editors, typed into as a user would through xdotool on
// a private display: a save reaches the page, the page's close ends an editor whose text is
// saved, and an editor holding unsaved text asks its user first. A terminal emulator is never
// asked to close with the page, since it would end its editor without asking; the user is told
// instead, and the text goes to the recovery store when the editor ends.
#include "session_fixture.h"

#include "platform/program_search.h"
#include "recovery/recovery_store.h"
#include "support/x11/shown_windows.h"
#include "support/x11/test_child_process.h"
#include "support/x11/test_display.h"
#include "support/x11/xdotool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
using testing::OwnedFd;
using testing::ShownWindow;
using testing::TestPage;
using testing::TestTextBox;
namespace fs = std::filesystem;
namespace xdotool = testing::xdotool;
using Clock = std::chrono::steady_clock;

// Each step takes an editor a second or less; a loaded machine is given far longer.
constexpr auto kStepDeadline = 20s;

// The box's text ends with a line break, so that every editor has a last, empty line to type on.
constexpr const char* kBoxText = "first line\n";

// What the user does with the editor's question about unsaved text.
enum class Answer { Discard, Save };

struct EditorRow {
    // The test's name.
    const char* name;
    // The menu item's editor, as a user sets it.
    const char* command;
    // What must be installed.
    std::vector<std::string> programs;
    // A terminal emulator running a terminal editor.
    bool terminal;
    // Keys that put the cursor on the last, empty line, ready to type.
    std::vector<std::string> toEnd;
    std::vector<std::string> save;
    // Ends the editor whose text is saved.
    std::vector<std::string> quit;
    // The editor ends the last line it saves with a line break.
    bool endsLastLine;
    // With unsaved text at the page's close: what the user answers, and the keys that answer.
    // A graphical editor's keys go to the dialog it asks in; a terminal editor is left open and
    // asks when the user quits it, so its keys quit and answer.
    Answer atClose;
    std::vector<std::string> answer;
};

void PrintTo(const EditorRow& row, std::ostream* out)
{
    *out << row.command;
}

const EditorRow kEditors[] = {
    {"mousepad",
     "mousepad --disable-server",
     {"mousepad"},
     false,
     {"ctrl+End"},
     {"ctrl+s"},
     {"ctrl+q"},
     false,
     Answer::Discard,
     {"alt+d"}},
    // The test's home is private, but a system-wide vimrc could still map keys: none is read, and
    // -N keeps Vim out of the vi-compatible mode that -u NONE would otherwise choose. Its swap file
    // stays on, beside the temporary file, as users have it.
    {"gvim",
     "gvim -f -N -u NONE -U NONE -i NONE",
     {"gvim"},
     false,
     {"Escape", "G", "o"},
     {"Escape", "colon", "w", "Return"},
     {"Escape", "colon", "q", "Return"},
     true,
     Answer::Save,
     {"Return"}},
    {"featherpad",
     "featherpad --standalone",
     {"featherpad"},
     false,
     {"ctrl+End"},
     {"ctrl+s"},
     {"ctrl+q"},
     true,
     Answer::Save,
     {"alt+s"}},
    // nano asks whether to save the modified text, then for the file's name.
    {"xterm_nano",
     "xterm -e nano",
     {"xterm", "nano"},
     true,
     {"ctrl+End"},
     {"ctrl+s"},
     {"ctrl+x"},
     true,
     Answer::Save,
     {"ctrl+x", "y", "Return"}},
};

std::string savedText(const EditorRow& row, const std::string& typed)
{
    return kBoxText + typed + (row.endsLastLine ? "\n" : "");
}

void report(const EditorRow& row, const char* what, Clock::duration took)
{
    std::printf("[editor] %s: %s %lld ms\n", row.command, what,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    std::fflush(stdout);
}

pid_t parentOf(pid_t process)
{
    // The command's name, in parentheses, may hold spaces; the fields after it do not.
    std::ifstream in("/proc/" + std::to_string(process) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos)
        return 0;
    char state = 0;
    int parent = 0;
    return std::sscanf(stat.c_str() + nameEnd + 1, " %c %d", &state, &parent) == 2 ? parent : 0;
}

// Whether the program that terminal emulator `terminal` runs has put its terminal in raw mode, as
// a full-screen editor does once it reads keys; keys typed before then would be read as a line,
// and ctrl+s would stop the terminal's output.
bool terminalProgramReadsKeys(pid_t terminal)
{
    const std::string task = "/proc/" + std::to_string(terminal) + "/task/" + std::to_string(terminal);
    std::ifstream children(task + "/children");
    pid_t program = 0;
    if (!(children >> program))
        return false;
    const std::string input = "/proc/" + std::to_string(program) + "/fd/0";
    const OwnedFd terminalDevice(open(input.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios mode{};
    return terminalDevice.get() >= 0 && tcgetattr(terminalDevice.get(), &mode) == 0 && !(mode.c_lflag & ICANON);
}

// The editor a session's service started, as the test sees it: the service's child, not the
// test's, so its end is watched through a pidfd. A failing test's editor is killed, not left on.
class EditorProcess {
public:
    explicit EditorProcess(pid_t pid) : pid_(pid), pidfd_(static_cast<int>(syscall(SYS_pidfd_open, pid, 0))) {}
    ~EditorProcess()
    {
        if (!ended())
            syscall(SYS_pidfd_send_signal, pidfd_.get(), SIGKILL, nullptr, 0);
    }
    EditorProcess(const EditorProcess&) = delete;
    EditorProcess& operator=(const EditorProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool ended() const
    {
        pollfd entry{pidfd_.get(), POLLIN, 0};
        return pidfd_.get() < 0 || poll(&entry, 1, 0) > 0;
    }

private:
    pid_t pid_;
    OwnedFd pidfd_;
};

// One editing session: a fresh page with its box, the service and the editor it started. A
// session left running by a failure has its editor killed and its page closed.
struct Session {
    ~Session()
    {
        editor.reset();
        if (page && !closed)
            page->close();
    }
    void closePage()
    {
        closed = true;
        page->close();
    }

    std::shared_ptr<TestPage> page;
    std::shared_ptr<TestTextBox> box;
    std::shared_ptr<CService> service;
    fs::path file;
    std::optional<EditorProcess> editor;
    // The editor's window that shows the file.
    ShownWindow window;
    bool closed = false;
};

class SessionEditorsTest : public testing::SessionTest, public ::testing::WithParamInterface<EditorRow> {
protected:
    SessionEditorsTest()
    {
        home_.setEnvironment("DISPLAY", display_.name());
        // The editors show their windows on the test's display whatever desktop runs the tests.
        home_.setEnvironment("WAYLAND_DISPLAY", std::nullopt);
        home_.setEnvironment("GDK_BACKEND", "x11");
        home_.setEnvironment("QT_QPA_PLATFORM", "xcb");
        // No accessibility bus to wait for at start; GTK's settings in memory, as the dconf
        // service that would write them runs outside the test's home.
        home_.setEnvironment("NO_AT_BRIDGE", "1");
        home_.setEnvironment("GSETTINGS_BACKEND", "memory");
        if (display_.ok())
            x_ = x11::Connection::open(display_.name().c_str());
    }

    const EditorRow& row() const { return GetParam(); }

    // Registers a fresh page's box with the row's editor, and waits until the editor shows the
    // file and reads keys, then gives its window the keyboard focus.
    void startSession(Session& session, const char* title)
    {
        session.page = TestPage::create(QString::fromUtf8(title), QStringLiteral("http://example.test/"));
        session.box = session.page->addTextArea(QStringLiteral("body"), nullptr, QString::fromUtf8(kBoxText));
        session.service = std::make_shared<CService>();
        EXPECT_EQ(session.service->put_EditorProgramFile(QString::fromUtf8(row().command)), S_OK);
        EXPECT_EQ(session.service->put_CommandLine(QStringLiteral("\"%filepath%\"")), S_OK);
        ASSERT_EQ(session.service->Register(session.box->element()), S_OK);
        session.file = session.service->temporaryFilePath();

        // The file's name begins with the page's title, and editors show at least the beginning of
        // the name in their title once they have the file (gvim shortens a long one in the middle).
        const std::string name = session.file.filename().string();
        std::optional<ShownWindow> shown;
        const bool ready = testing::runEventLoopUntil(
            [&] {
                for (const ShownWindow& window : testing::shownWindows(*x_)) {
                    // The service starts editors as children of this process.
                    if (window.process <= 0 || parentOf(window.process) != getpid())
                        continue;
                    if (row().terminal ? terminalProgramReadsKeys(window.process)
                                       : window.title.find(title) != std::string::npos) {
                        shown = window;
                        return true;
                    }
                }
                return false;
            },
            kStepDeadline);
        if (!ready) {
            std::string seen;
            for (const ShownWindow& window : testing::shownWindows(*x_))
                seen += " \"" + window.title + "\" (process " + std::to_string(window.process) + ")";
            FAIL() << "no window of the editor showed " << name << " ready for keys; shown:" << seen;
        }
        session.window = *shown;
        session.editor.emplace(shown->process);
        ASSERT_TRUE(xdotool::focus(session.window.id));
    }

    void typeOnLastLine(const std::string& text)
    {
        ASSERT_TRUE(xdotool::pressKeys(row().toEnd));
        ASSERT_TRUE(xdotool::type(text));
    }

    // Saves and waits until the page has the saved text; `took` is the time from the keys to then.
    void saveToPage(const Session& session, const std::string& text, Clock::duration& took)
    {
        const QString expected = QString::fromStdString(text);
        const auto saved = Clock::now();
        ASSERT_TRUE(xdotool::pressKeys(row().save));
        ASSERT_TRUE(testing::runEventLoopUntil([&] { return session.box->value() == expected; }, kStepDeadline))
            << "the box holds \"" << session.box->value().toStdString() << "\"";
        took = Clock::now() - saved;
    }

    bool waitForEditorEnd(const Session& session)
    {
        return testing::runEventLoopUntil([&] { return session.editor->ended(); }, kStepDeadline);
    }

    // Waits for the session's end and checks that it left nothing in the temporary folder.
    void expectSessionEndedClean(const Session& session)
    {
        ASSERT_TRUE(
            testing::runEventLoopUntil([&] { return session.service->temporaryFilePath().empty(); }, kStepDeadline));
        EXPECT_FALSE(fs::exists(session.file));
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(tempFolder()))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{}) << "left in the temporary folder";
    }

    // The text of the newest entry of the recovery store.
    static std::string newestKept()
    {
        const RecoveryStore store = RecoveryStore::forCurrentUser();
        const auto kept = store.list();
        if (kept.empty())
            return "(nothing kept)";
        const auto bytes = store.bytesOf(kept.front());
        return bytes.ok() ? bytes.value() : "(unreadable)";
    }

    static bool anyKeptHolds(const std::string& text)
    {
        const RecoveryStore store = RecoveryStore::forCurrentUser();
        for (const RecoveredText& kept : store.list())
            if (const auto bytes = store.bytesOf(kept); bytes.ok() && bytes.value().find(text) != std::string::npos)
                return true;
        return false;
    }

    // Waits for the one message box that tells the user of the editor left open for `title`.
    void expectToldOnce(std::size_t shownBefore, const char* title)
    {
        ASSERT_TRUE(testing::runEventLoopUntil([&] { return interactions_.messageBoxes().size() > shownBefore; },
                                               kStepDeadline))
            << "the user was not told that the terminal stays open";
        ASSERT_EQ(interactions_.messageBoxes().size(), shownBefore + 1);
        EXPECT_TRUE(interactions_.messageBoxes().back().text.contains(QString::fromUtf8(title)))
            << interactions_.messageBoxes().back().text.toStdString();
    }

    testing::TestDisplay display_{testing::TestDisplay::Kind::Private};
    std::optional<x11::Connection> x_;
};

TEST_P(SessionEditorsTest, TypedSavedAndClosedAsAUserDoes)
{
    for (const std::string& program : row().programs)
        if (!findProgram(program).ok())
            GTEST_SKIP() << program << " is not installed";
    if (!xdotool::available())
        GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(display_.ok());
    ASSERT_TRUE(x_);

    // A save reaches the page; the user then quits the editor, which ends the session.
    {
        Session session;
        ASSERT_NO_FATAL_FAILURE(startSession(session, "Saving"));
        ASSERT_NO_FATAL_FAILURE(typeOnLastLine("typed text"));
        Clock::duration took{};
        ASSERT_NO_FATAL_FAILURE(saveToPage(session, savedText(row(), "typed text"), took));
        report(row(), "save to page", took);
        ASSERT_TRUE(xdotool::pressKeys(row().quit));
        ASSERT_TRUE(waitForEditorEnd(session)) << "the editor did not quit";
        ASSERT_NO_FATAL_FAILURE(expectSessionEndedClean(session));
        EXPECT_EQ(newestKept(), savedText(row(), "typed text"));
        session.closePage();
    }

    // The page closes with the text saved: a graphical editor closes, a terminal stays open until
    // its user quits it. The file goes only after the editor's end, its text to the recovery store.
    {
        Session session;
        ASSERT_NO_FATAL_FAILURE(startSession(session, "Closing"));
        ASSERT_NO_FATAL_FAILURE(typeOnLastLine("saved words"));
        Clock::duration took{};
        ASSERT_NO_FATAL_FAILURE(saveToPage(session, savedText(row(), "saved words"), took));
        report(row(), "save to page, again", took);
        const std::size_t shownBefore = interactions_.messageBoxes().size();
        if (row().terminal)
            interactions_.expectMessageBox(IDOK);
        const auto closed = Clock::now();
        session.closePage();
        if (row().terminal) {
            ASSERT_NO_FATAL_FAILURE(expectToldOnce(shownBefore, "Closing"));
            report(row(), "page close to the user told", Clock::now() - closed);
            EXPECT_FALSE(session.editor->ended()) << "the terminal was closed with the page";
            EXPECT_TRUE(fs::exists(session.file));
            ASSERT_TRUE(xdotool::focus(session.window.id)) << "the terminal's window is gone";
            ASSERT_TRUE(xdotool::pressKeys(row().quit));
            ASSERT_TRUE(waitForEditorEnd(session)) << "the editor did not quit";
        } else {
            bool goneBeforeEditorEnd = false;
            const bool ended = testing::runEventLoopUntil(
                [&] {
                    // The file first: gone while the editor still runs is too early.
                    const bool exists = fs::exists(session.file);
                    if (session.editor->ended())
                        return true;
                    goneBeforeEditorEnd = goneBeforeEditorEnd || !exists;
                    return false;
                },
                kStepDeadline);
            ASSERT_TRUE(ended) << "the editor did not close with the page";
            report(row(), "page close to editor end", Clock::now() - closed);
            EXPECT_FALSE(goneBeforeEditorEnd) << "the file was deleted while the editor ran";
        }
        ASSERT_NO_FATAL_FAILURE(expectSessionEndedClean(session));
        EXPECT_EQ(newestKept(), savedText(row(), "saved words"));
        EXPECT_EQ(interactions_.messageBoxes().size(), shownBefore + (row().terminal ? 1 : 0));
    }

    // The page closes with unsaved text: a graphical editor asks its user, who answers in its
    // dialog; a terminal stays open, and its user saves on quitting. Saved, the text is kept.
    {
        Session session;
        ASSERT_NO_FATAL_FAILURE(startSession(session, "Unsaved"));
        ASSERT_NO_FATAL_FAILURE(typeOnLastLine("unsaved words"));
        if (!row().terminal) {
            // The editor marks its title once the text is modified, so the close finds it so.
            ASSERT_TRUE(testing::runEventLoopUntil(
                [&] {
                    for (const ShownWindow& window : testing::shownWindowsOf(*x_, session.editor->pid()))
                        if (window.id == session.window.id)
                            return window.title != session.window.title;
                    return false;
                },
                kStepDeadline))
                << "the editor's title never marked its text modified";
        }
        const std::size_t shownBefore = interactions_.messageBoxes().size();
        const std::vector<ShownWindow> windowsBefore = testing::shownWindowsOf(*x_, session.editor->pid());
        if (row().terminal)
            interactions_.expectMessageBox(IDOK);
        const auto closed = Clock::now();
        session.closePage();
        if (row().terminal) {
            ASSERT_NO_FATAL_FAILURE(expectToldOnce(shownBefore, "Unsaved"));
            EXPECT_FALSE(session.editor->ended()) << "the terminal was closed with the page";
            EXPECT_TRUE(fs::exists(session.file));
            ASSERT_TRUE(xdotool::focus(session.window.id)) << "the terminal's window is gone";
        } else {
            std::optional<ShownWindow> dialog;
            ASSERT_TRUE(testing::runEventLoopUntil(
                [&] {
                    for (const ShownWindow& window : testing::shownWindowsOf(*x_, session.editor->pid()))
                        if (std::ranges::none_of(windowsBefore,
                                                 [&](const ShownWindow& before) { return before.id == window.id; }))
                            dialog = window;
                    return dialog.has_value() || session.editor->ended();
                },
                kStepDeadline))
                << "the editor neither asked nor ended";
            ASSERT_TRUE(dialog) << "the editor ended without asking about its unsaved text";
            report(row(), ("page close to its question \"" + dialog->title + "\"").c_str(), Clock::now() - closed);
            EXPECT_FALSE(session.editor->ended());
            EXPECT_TRUE(fs::exists(session.file));
            ASSERT_TRUE(xdotool::focus(dialog->id));
        }
        ASSERT_TRUE(xdotool::pressKeys(row().answer));
        ASSERT_TRUE(waitForEditorEnd(session)) << "the editor did not end once answered";
        ASSERT_NO_FATAL_FAILURE(expectSessionEndedClean(session));
        if (row().atClose == Answer::Save)
            EXPECT_EQ(newestKept(), savedText(row(), "unsaved words"));
        else
            EXPECT_FALSE(anyKeptHolds("unsaved words"));
        EXPECT_EQ(interactions_.messageBoxes().size(), shownBefore + (row().terminal ? 1 : 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Desktop, SessionEditorsTest, ::testing::ValuesIn(kEditors),
                         [](const auto& tested) { return std::string(tested.param.name); });

// Whether `process` has a window that the window manager (here Weston's, for Xwayland) manages,
// which it marks with WM_STATE, anywhere below the roots: the manager holds each client inside a
// frame of its own. A toolkit's hidden leader window carries the process too, but is no client.
bool hasClientWindowOf(const x11::Connection& connection, pid_t process)
{
    const auto atoms = connection.atoms({"_NET_WM_PID", "WM_STATE"}, true);
    if (atoms[0] == XCB_ATOM_NONE || atoms[1] == XCB_ATOM_NONE)
        return false;
    std::vector<xcb_window_t> level = connection.roots();
    while (!level.empty()) {
        const auto pids = x11::readProperty32(connection, level, atoms[0], XCB_ATOM_CARDINAL);
        const auto states = x11::readProperty32(connection, level, atoms[1], atoms[1]);
        for (std::size_t i = 0; i < level.size(); ++i)
            if (states[i] && pids[i] && !pids[i]->empty() && static_cast<pid_t>(pids[i]->front()) == process)
                return true;
        std::vector<xcb_window_t> next;
        for (const auto& children : x11::childrenOf(connection, level))
            next.insert(next.end(), children.begin(), children.end());
        level = std::move(next);
    }
    return false;
}

// A Wayland desktop that runs Xwayland, as GNOME's and Plasma's do: Debian's Weston, headless.
class SessionOnWaylandTest : public testing::SessionTest {
protected:
    SessionOnWaylandTest()
    {
        fs::create_directories(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all);
        home_.setEnvironment("XDG_RUNTIME_DIR", runtime_.string());
        for (const char* name : {"GDK_BACKEND", "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            home_.setEnvironment(name, std::nullopt);
        home_.setEnvironment("NO_AT_BRIDGE", "1");
        home_.setEnvironment("GSETTINGS_BACKEND", "memory");
    }

    // Starts Weston and answers Xwayland's display, once Weston says it listens there.
    std::optional<std::string> startWeston()
    {
        weston_.emplace(std::vector<std::string>{"weston", "--backend=headless-backend.so", "--xwayland",
                                                 "--socket=quillbrook-test", "--idle-time=0", "--log=" + log_.string()},
                        std::vector<std::pair<int, int>>{});
        std::string display;
        testing::runEventLoopUntil(
            [&] {
                const std::string text = readFile(log_);
                const std::string marker = "xserver listening on display ";
                const auto found = text.find(marker);
                if (found == std::string::npos)
                    return !weston_->running();
                const auto end = text.find_first_of("\r\n", found);
                if (end == std::string::npos)
                    return false;
                display = text.substr(found + marker.size(), end - found - marker.size());
                return true;
            },
            kStepDeadline);
        if (display.empty())
            return std::nullopt;
        home_.setEnvironment("WAYLAND_DISPLAY", "quillbrook-test");
        home_.setEnvironment("DISPLAY", display);
        return display;
    }

    fs::path runtime_ = home_.root() / "runtime";
    fs::path log_ = home_.root() / "weston.log";
    std::optional<testing::TestChildProcess> weston_;
};

TEST_F(SessionOnWaylandTest, AGtkEditorStartsOnXwaylandAndClosesWithThePage)
{
    for (const char* program : {"weston", "Xwayland", "mousepad"})
        if (!findProgram(program).ok())
            GTEST_SKIP() << program << " is not installed";
    const auto display = startWeston();
    ASSERT_TRUE(display) << "Weston did not start Xwayland; its log:\n" << readFile(log_);
    auto x = x11::Connection::open(display->c_str());
    ASSERT_TRUE(x) << "Xwayland on " << *display << " cannot be reached";

    auto page = TestPage::create(QStringLiteral("Wayland"), QStringLiteral("http://example.test/"));
    auto box = page->addTextArea(QStringLiteral("body"), nullptr, QString::fromUtf8(kBoxText));
    auto service = std::make_shared<CService>();
    EXPECT_EQ(service->put_EditorProgramFile(QStringLiteral("mousepad --disable-server")), S_OK);
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    // Natively on Wayland, the editor would have no window an X11 client could see or ask.
    pid_t editorPid = 0;
    ASSERT_TRUE(testing::runEventLoopUntil(
        [&] {
            for (const auto& entry : fs::directory_iterator("/proc")) {
                const pid_t pid = static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
                if (pid > 0 && parentOf(pid) == getpid() && hasClientWindowOf(*x, pid)) {
                    editorPid = pid;
                    return true;
                }
            }
            return false;
        },
        kStepDeadline))
        << "the editor showed no window on Xwayland";
    EditorProcess editor(editorPid);
    page->close();
    ASSERT_TRUE(testing::runEventLoopUntil([&] { return editor.ended(); }, kStepDeadline))
        << "the editor was not asked to close with the page";
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_FALSE(fs::exists(file));
}

} // namespace
} // namespace quillbrook
