// Brackenhop's removal of Quillbrook's context-menu entries, on a private hive: which entries go
// and which stay.
#include "brackenhop/menu_ext_cleanup.h"
#include "store/menu_item_store.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

// An entry with the value `markerName` (none when empty) and, maybe, a subkey.
struct Entry {
    std::string name;
    std::string markerName{};
    RegistryType markerType = REG_SZ;
    std::string markerData = "1";
    bool hasSubkey = false;
};

struct RemovalCase {
    const char* description;
    std::vector<Entry> entries;
    std::vector<std::string> remaining;

    friend void PrintTo(const RemovalCase& c, std::ostream* out) { *out << c.description; }
};

class MarkedEntryRemoval : public ::testing::TestWithParam<RemovalCase> {
protected:
    static RegistryKey menuExt()
    {
        return RegistryKey::openRoot(HiveRoot::CurrentUser)
            .value()
            .createSubKey(kMenuExtKeyPath, KEY_ALL_ACCESS)
            .value();
    }

    static std::vector<std::string> entryNames()
    {
        std::vector<std::string> names;
        const RegistryKey key = menuExt();
        for (std::uint32_t i = 0; key.enumSubKey(i).ok(); ++i)
            names.push_back(key.enumSubKey(i).value());
        return names;
    }

    testing::TemporaryHome home_;
};

TEST_P(MarkedEntryRemoval, RemovesEveryMarkedEntryAndNothingElse)
{
    RegistryKey key = menuExt();
    ASSERT_EQ(key.setValue("KeptValue", REG_SZ, "of the MenuExt key itself"), ERROR_SUCCESS);
    for (const Entry& entry : GetParam().entries) {
        RegistryKey item = key.createSubKey(entry.name, KEY_ALL_ACCESS).value();
        ASSERT_EQ(item.setValue("", REG_SZ, "script.htm"), ERROR_SUCCESS);
        if (!entry.markerName.empty()) {
            ASSERT_EQ(item.setValue(entry.markerName, entry.markerType, entry.markerData), ERROR_SUCCESS);
        }
        if (entry.hasSubkey) {
            ASSERT_TRUE(item.createSubKey("child", KEY_ALL_ACCESS).ok());
        }
    }

    removeMarkedMenuEntries();

    EXPECT_EQ(entryNames(), GetParam().remaining) << GetParam().description;
    EXPECT_TRUE(menuExt().valueExists("KeptValue"));
}

const std::string marker = "Quillbrook";

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkedEntryRemoval,
    ::testing::Values(
        RemovalCase{"two marked entries in a row, then an unmarked one", {{"A", marker}, {"B", marker}, {"C"}}, {"C"}},
        RemovalCase{"unmarked entries around marked ones",
                    {{"A"}, {"B", marker}, {"C"}, {"D", marker}, {"E", marker}},
                    {"A", "C"}},
        RemovalCase{"every entry marked", {{"A", marker}, {"B", marker}, {"C", marker}}, {}},
        RemovalCase{"a marker without data, and markers of other types",
                    {{"A", marker, REG_SZ, ""},
                     {"B", marker, REG_NONE, ""},
                     {"C", "QUILLBROOK", REG_DWORD, std::string(4, '\0')}},
                    {}},
        RemovalCase{"a marked entry that cannot be deleted is passed over",
                    {{"A", marker, REG_SZ, "1", true}, {"B", marker}, {"Open File"}},
                    {"A", "Open File"}},
        RemovalCase{"a value whose name only begins like the marker is none", {{"A", "QuillbrookCodePage"}}, {"A"}}));

TEST(MarkedEntryRemovalWithoutMenuExt, LeavesTheUsersKeysAlone)
{
    testing::TemporaryHome home;
    auto user = RegistryKey::openRoot(HiveRoot::CurrentUser).value();
    ASSERT_EQ(user.createSubKey("Software\\Fernhollow\\Quillbrook", KEY_ALL_ACCESS)
                  .value()
                  .setValue("SessionID", REG_DWORD, std::string(4, '\0')),
              ERROR_SUCCESS);
    removeMarkedMenuEntries();
    EXPECT_FALSE(user.openSubKey(kMenuExtKeyPath, KEY_READ).ok());
    EXPECT_TRUE(user.openSubKey("Software\\Fernhollow\\Quillbrook", KEY_READ).value().valueExists("SessionID"));
}

} // namespace
} // namespace quillbrook
