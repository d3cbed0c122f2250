#include "platform/menu_ext_schema.h"

#include "support/temporary_home.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillbrook {
namespace {

using namespace std::string_literals;

class MenuExtSchema : public ::testing::Test {
protected:
    RegistryKey entry(const std::string& name)
    {
        auto root = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS, {home.hiveFile()});
        return root.value().createSubKey(menuExtEntryPath(name), KEY_ALL_ACCESS).value();
    }

    testing::TemporaryHome home;
};

TEST_F(MenuExtSchema, EntriesLieBelowTheBrowsersKey)
{
    EXPECT_EQ(menuExtEntryPath("&Edit"), "Software\\Microsoft\\Internet Explorer\\MenuExt\\&Edit");
    EXPECT_EQ(entry("&Edit").fullName(), "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\MenuExt\\&Edit");
}

TEST_F(MenuExtSchema, OnlyADwordWithTheTextBoxBitShowsOnTextBoxes)
{
    const struct {
        const char* name;
        std::optional<RegistryValue> contexts; // none: no such value
        bool shows;
    } cases[] = {
        {"text boxes", RegistryValue{"contexts", REG_DWORD, dwordBytes(kTextBoxContext)}, true},
        {"among other bits", RegistryValue{"CONTEXTS", REG_DWORD, dwordBytes(0x15)}, true},
        {"other bits only", RegistryValue{"contexts", REG_DWORD, dwordBytes(0x13)}, false},
        {"longer data", RegistryValue{"contexts", REG_DWORD, "\x04\0\0\0\0\0\0\0"s}, true},
        {"shorter data", RegistryValue{"contexts", REG_DWORD, "\x04"s}, false},
        {"not a dword", RegistryValue{"contexts", REG_BINARY, "\x04\0\0\0"s}, false},
        {"no contexts", std::nullopt, false},
    };
    for (const auto& c : cases) {
        RegistryKey key = entry(c.name);
        if (c.contexts) {
            ASSERT_EQ(key.setValue(c.contexts->name, c.contexts->type, c.contexts->data), ERROR_SUCCESS) << c.name;
        }
        EXPECT_EQ(showsOnTextBoxes(key), c.shows) << c.name;
    }
}

TEST_F(MenuExtSchema, TheMarkerOfAnyTypeAndLetterCaseMarksAnEntryAsOurs)
{
    const struct {
        const char* name;
        RegistryValue value;
        bool ours;
    } cases[] = {
        {"empty string", {"Quillbrook", REG_SZ, ""}, true},
        {"other case and type", {"QUILLBROOK", REG_DWORD, dwordBytes(0)}, true},
        {"no data", {"quillbrook", REG_NONE, ""}, true},
        {"other value", {"QuillbrookEditorName", REG_SZ, "vim"}, false},
    };
    for (const auto& c : cases) {
        RegistryKey key = entry(c.name);
        ASSERT_EQ(key.setValue(c.value.name, c.value.type, c.value.data), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(carriesOwnershipMarker(key), c.ours) << c.name;
    }
}

} // namespace
} // namespace quillbrook
