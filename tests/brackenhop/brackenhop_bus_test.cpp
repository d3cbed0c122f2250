// Brackenhop without switches on a private bus: it starts Quillbrook through activation and has
// it show its menu items dialog, or shows nothing when Quillbrook cannot be reached.
#include "server/server_on_bus.h"

#include <gtest/gtest.h>

namespace quillbrook::testing {
namespace {

using BrackenhopOnBus = ServerOnBus;

TEST_F(BrackenhopOnBus, StartsQuillbrookAndReturnsWhenTheDialogIsDone)
{
    registerQuillbrook();
    const auto run = runProgram({BRACKENHOP_PROGRAM}, root());
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
