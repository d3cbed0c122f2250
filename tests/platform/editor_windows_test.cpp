#include "platform/editor_windows.h"

#include "platform/x11_connection.h"
#include "support/temporary_home.h"
#include "support/x11/test_display.h"
#include "support/x11/test_window_process.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {
namespace {

using testing::TemporaryHome;
using testing::TestDisplay;
using testing::TestWindowProcess;
using Lines = std::vector<std::string>;

bool exitedCleanly(std::optional<int> status)
{
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class EditorWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(display_.ok()) << "no reachable X display, and Xvfb did not start"; }

    TestDisplay display_;
};

TEST_F(EditorWindowsTest, AskedEditorSavesAndExits)
{
    const TemporaryHome home;
    const auto saves = home.root() / "saves";
    TestWindowProcess editor({"--save-on-close", saves.string(), "last words"});
    ASSERT_TRUE(editor.ready());

    EXPECT_EQ(closeEditorWindows(editor.pid()).asked, 1u);
    EXPECT_TRUE(exitedCleanly(editor.waitForExit()));
    EXPECT_EQ(readFile(saves), "last words\n");
}

TEST_F(EditorWindowsTest, EveryWindowOfTheEditorIsAsked)
{
    // The program ends only once each of its windows has been asked.
    TestWindowProcess editor({"--windows", "3"});
    ASSERT_TRUE(editor.ready());

    EXPECT_EQ(closeEditorWindows(editor.pid()).asked, 3u);
    EXPECT_TRUE(exitedCleanly(editor.waitForExit()));
}

TEST_F(EditorWindowsTest, OtherProcessesWindowsAreLeftAlone)
{
    TestWindowProcess editor;
    TestWindowProcess bystander;
    ASSERT_TRUE(editor.ready());
    ASSERT_TRUE(bystander.ready());

    EXPECT_EQ(closeEditorWindows(editor.pid()).asked, 1u);
    EXPECT_TRUE(exitedCleanly(editor.waitForExit()));
    EXPECT_EQ(bystander.linesBeforePong(), Lines{});
    EXPECT_TRUE(bystander.running());
}

TEST_F(EditorWindowsTest, WindowsWithoutTheDeleteProtocolStayOpen)
{
    TestWindowProcess editor({"--no-delete-protocol"});
    ASSERT_TRUE(editor.ready());

    EXPECT_EQ(closeEditorWindows(editor.pid()).asked, 0u);
    EXPECT_EQ(editor.linesBeforePong(), Lines{});
    EXPECT_TRUE(editor.running());
}

TEST_F(EditorWindowsTest, EditorThatCancelsTheCloseKeepsRunning)
{
    // Asking is all there is: no signal and no forced close follows a refusal.
    TestWindowProcess editor({"--ignore-close"});
    ASSERT_TRUE(editor.ready());

    EXPECT_EQ(closeEditorWindows(editor.pid()).asked, 1u);
    EXPECT_EQ(editor.linesBeforePong(), Lines{"close-requested"});
    EXPECT_TRUE(editor.running());
}

TEST_F(EditorWindowsTest, TerminalWindowsAreLeftOpenAndCounted)
{
    // Closing a terminal would end the editor inside it without asking to save.
    TestWindowProcess terminal({"--class", "XTerm"});
    ASSERT_TRUE(terminal.ready());

    const EditorWindowsAsked result = closeEditorWindows(terminal.pid());
    EXPECT_EQ(result.asked, 0u);
    EXPECT_EQ(result.terminalsLeftOpen, 1u);
    EXPECT_EQ(terminal.linesBeforePong(), Lines{});
    EXPECT_TRUE(terminal.running());
}

TEST(TerminalWindowClass, NamesTerminalsByInstanceOrClassWhateverTheirCase)
{
    using namespace std::string_view_literals;
    for (const auto wmClass : {"xterm\0XTerm\0"sv, "gnome-terminal-server\0Gnome-terminal\0"sv, "konsole\0konsole\0"sv,
                               "Alacritty\0Alacritty\0"sv, "kitty"sv, "\0URxvt\0"sv})
        EXPECT_TRUE(isTerminalWindowClass(wmClass)) << wmClass;
    for (const auto wmClass : {"mousepad\0Mousepad\0"sv, "gvim\0Gvim\0"sv, ""sv, "\0\0"sv, "xterminal\0X\0"sv})
        EXPECT_FALSE(isTerminalWindowClass(wmClass)) << wmClass;
}

TEST_F(EditorWindowsTest, ProcessesWithoutWindowsAskNothing)
{
    TestWindowProcess someEditor;
    ASSERT_TRUE(someEditor.ready());
    for (const pid_t process : {pid_t{0}, pid_t{-1}, getpid()})
        EXPECT_EQ(closeEditorWindows(process).asked, 0u) << "process " << process;
    EXPECT_EQ(someEditor.linesBeforePong(), Lines{});
}

// A display of the test's own, on whose root the test plays the window manager's part.
class WindowManagerStandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display_.ok()) << "Xvfb did not start";
        connection_ = x11::Connection::open();
        ASSERT_TRUE(connection_);
    }

    xcb_atom_t atom(std::string_view name) const { return connection_->atoms({name}, false).front(); }

    // A frame as a reparenting window manager makes one: a root child that holds the client.
    xcb_window_t frame(xcb_window_t parent) const
    {
        const xcb_window_t window = xcb_generate_id(connection_->get());
        xcb_create_window(connection_->get(), XCB_COPY_FROM_PARENT, window, parent, 0, 0, 200, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(connection_->get(), window);
        return window;
    }

    void reparent(xcb_window_t client, xcb_window_t parent, bool markWithWmState) const
    {
        xcb_reparent_window(connection_->get(), client, parent, 0, 0);
        if (markWithWmState) {
            const std::uint32_t normalState[] = {1, XCB_WINDOW_NONE};
            x11::writeProperty32(*connection_, client, atom("WM_STATE"), atom("WM_STATE"), normalState);
        }
        connection_->sync();
    }

    void setOnRoot(std::string_view property, xcb_atom_t type, std::vector<std::uint32_t> values) const
    {
        x11::writeProperty32(*connection_, connection_->defaultRoot(), atom(property), type, values);
        connection_->sync();
    }

    TestDisplay display_{TestDisplay::Kind::Private};
    std::optional<x11::Connection> connection_;
};

TEST_F(WindowManagerStandInTest, ClientsInsideFramesAreFound)
{
    TestWindowProcess editor({"--windows", "2"});
    ASSERT_TRUE(editor.ready());
    const auto windows = editor.windows();
    ASSERT_EQ(windows.size(), 2u);
    const xcb_window_t root = connection_->defaultRoot();
    reparent(windows[0], frame(root), true);
    // Some window managers nest the client a level deeper, inside a decoration window.
    reparent(windows[1], frame(frame(root)), true);

    EXPECT_EQ(closeEditorWindows(editor.pid()).asked, 2u);
    EXPECT_TRUE(exitedCleanly(editor.waitForExit()));
}

TEST_F(WindowManagerStandInTest, ClientListOfTheWindowManagerIsUsed)
{
    TestWindowProcess editor;
    ASSERT_TRUE(editor.ready());
    const auto windows = editor.windows();
    ASSERT_EQ(windows.size(), 1u);
    // Without WM_STATE only the client list can lead to the window inside the frame.
    reparent(windows[0], frame(connection_->defaultRoot()), false);
    setOnRoot("_NET_CLIENT_LIST", XCB_ATOM_WINDOW, {windows[0]});

    EXPECT_EQ(closeEditorWindows(editor.pid()).asked, 1u);
    EXPECT_TRUE(exitedCleanly(editor.waitForExit()));
}

TEST_F(WindowManagerStandInTest, ForegroundWindowIsTheDesktopWithoutAWindowManager)
{
    TestWindowProcess editor;
    ASSERT_TRUE(editor.ready());
    EXPECT_EQ(foregroundWindow(), 0u);
}

TEST_F(WindowManagerStandInTest, ForegroundWindowIsTheActiveWindow)
{
    TestWindowProcess editor;
    ASSERT_TRUE(editor.ready());
    const auto windows = editor.windows();
    ASSERT_EQ(windows.size(), 1u);
    setOnRoot("_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, {windows[0]});

    EXPECT_EQ(foregroundWindow(), windows[0]);
}

// A display number nothing listens on, for a DISPLAY that names an unreachable server.
std::string unusedDisplay()
{
    for (int number = 4000;; ++number) {
        const auto socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const auto lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (!std::filesystem::exists(socket) && !std::filesystem::exists(lock))
            return ":" + std::to_string(number);
    }
}

TEST(EditorWindowsWithoutDisplayTest, NothingHappens)
{
    for (const auto& display :
         {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>(unusedDisplay())}) {
        TemporaryHome home;
        home.setEnvironment("DISPLAY", display);
        EXPECT_EQ(closeEditorWindows(getpid()).asked, 0u) << "DISPLAY=" << display.value_or("(unset)");
        EXPECT_EQ(foregroundWindow(), 0u) << "DISPLAY=" << display.value_or("(unset)");
    }
}

} // namespace
} // namespace quillbrook
