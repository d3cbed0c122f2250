// The real brackenhop program with its switches: the removal, the AppID step's failure as the
// exit status, and the switch spellings.
#include "brackenhop/app_id_step.h"
#include "store/menu_item_store.h"
#include "support/programs/program_run.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>

namespace quillbrook {
namespace {

class BrackenhopSwitch : public ::testing::TestWithParam<const char*> {
protected:
    BrackenhopSwitch()
    {
        auto menuExt =
            RegistryKey::openRoot(HiveRoot::CurrentUser).value().createSubKey(kMenuExtKeyPath, KEY_ALL_ACCESS);
        EXPECT_EQ(menuExt.value().createSubKey("Marked", KEY_ALL_ACCESS).value().setValue("Quillbrook", REG_SZ, ""),
                  ERROR_SUCCESS);
        EXPECT_TRUE(menuExt.value().createSubKey("Open File", KEY_ALL_ACCESS).ok());
    }

    bool entryExists(const std::string& name)
    {
        return RegistryKey::openRoot(HiveRoot::CurrentUser).value().openSubKey(menuExtEntryPath(name), KEY_READ).ok();
    }

    testing::ProgramRun brackenhop(const char* argument)
    {
        return testing::runProgram({BRACKENHOP_PROGRAM, argument}, home_.root());
    }

    bool appIdExists()
    {
        auto classes = RegistryKey::openRoot(HiveRoot::ClassesRoot);
        return classes.ok() && classes.value().openSubKey("AppID\\" + kBrackenhopAppId.toString(), KEY_READ).ok()
               && classes.value().openSubKey("AppID\\brackenhop", KEY_READ).ok();
    }

    testing::TemporaryHome home_;
};

TEST_P(BrackenhopSwitch, UnregServerRemovesTheMarkedEntriesAndTheAppId)
{
    ASSERT_EQ(brackenhop("/RegServer").status, 0);
    ASSERT_TRUE(appIdExists());
    const auto run = brackenhop(GetParam());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(entryExists("Marked"));
    EXPECT_TRUE(entryExists("Open File"));
    EXPECT_FALSE(appIdExists());
}

INSTANTIATE_TEST_SUITE_P(Spellings, BrackenhopSwitch,
                         ::testing::Values("/UnregServer", "-unregserver", "/UNREGSERVER"));

class BrackenhopRegServer : public BrackenhopSwitch {};

TEST_P(BrackenhopRegServer, RegistersTheAppIdAndRemovesNothing)
{
    const auto run = brackenhop(GetParam());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(appIdExists());
    EXPECT_TRUE(entryExists("Marked"));
}

INSTANTIATE_TEST_SUITE_P(Spellings, BrackenhopRegServer, ::testing::Values("/RegServer", "-REGSERVER"));

} // namespace
} // namespace quillbrook
