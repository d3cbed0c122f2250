// Brackenhop without switches on a private bus: it starts Quillbrook through activation and has
// it show its menu items dialog, or shows nothing when Quillbrook cannot be reached.
#include "platform/editor_windows.h"
#include "support/programs/server_on_bus.h"
#include "support/x11/test_display.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace quillbrook::testing {
namespace {

using BrackenhopOnBus = ServerOnBus;

// The server shows its menu items dialog on a real X display; the test closes it as a user would,
// through the window manager's polite close, and Brackenhop then returns.
TEST_F(BrackenhopOnBus, StartsQuillbrookAndReturnsWhenTheDialogIsDone)
{
    TestDisplay display;
    ASSERT_TRUE(display.ok());
    setEnvironment("DISPLAY", display.name());
    setEnvironment("QT_QPA_PLATFORM", "xcb");
    registerQuillbrook();
    auto brackenhop = std::async(std::launch::async, [this] { return runProgram({BRACKENHOP_PROGRAM}, root()); });

    // The dialog's window appears once the server has started and run ShowMenuDialog; X tells no
    // one about a window of another client, so look for it until a deadline.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool closed = false;
    while (!closed && std::chrono::steady_clock::now() < deadline
           && brackenhop.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (const auto pid = serverPid())
            closed = closeEditorWindows(*pid).asked > 0;
    }
    EXPECT_TRUE(closed);
    const auto run = brackenhop.get();
    EXPECT_EQ(run.status, 0);
    // The server started by brackenhop shares its standard error: only brackenhop's own lines count.
    EXPECT_EQ(run.err.find("brackenhop:"), std::string::npos) << run.err;
    EXPECT_TRUE(serverPid());
}

TEST_F(BrackenhopOnBus, ShowsNothingAndEndsWhenQuillbrookIsNotRegistered)
{
    const auto run = runProgram({BRACKENHOP_PROGRAM}, root());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "brackenhop: Quillbrook cannot be reached: 0x800401F3\n");
    EXPECT_FALSE(serverPid());
}

} // namespace
} // namespace quillbrook::testing
