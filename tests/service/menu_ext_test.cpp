#include "service/service.h"

#include "../store/menu_item_fixture.h"

namespace quillbrook {
namespace {

using MenuExtTest = testing::MenuItemTest;

struct StringProperty {
    const char* name;
    HRESULT (CService::*put)(const QString&);
    HRESULT (CService::*get)(QString*);
    QString value;
};

struct BooleanProperty {
    const char* name;
    HRESULT (CService::*put)(VARIANT_BOOL);
    HRESULT (CService::*get)(VARIANT_BOOL*);
    std::optional<VARIANT_BOOL> value; // nothing: the fresh object's value is saved
    VARIANT_BOOL loaded;
};

TEST_F(MenuExtTest, SaveAndLoadRestoreEverySetting)
{
    const StringProperty strings[] = {
        {"EditorName", &CService::put_EditorName, &CService::get_EditorName, QStringLiteral("gedit")},
        {"EditorProgramFile", &CService::put_EditorProgramFile, &CService::get_EditorProgramFile,
         QStringLiteral("/usr/bin/gedit")},
        {"CommandLine", &CService::put_CommandLine, &CService::get_CommandLine,
         QStringLiteral("--wait \"%filepath%\"")},
        {"Extension", &CService::put_Extension, &CService::get_Extension, QStringLiteral("md")},
        {"CarbonCopyFile", &CService::put_CarbonCopyFile, &CService::get_CarbonCopyFile,
         QStringLiteral("/tmp/copy.txt")},
        {"TemplateFile", &CService::put_TemplateFile, &CService::get_TemplateFile, QStringLiteral("/tmp/template.md")},
    };
    const BooleanProperty booleans[] = {
        {"Unicode", &CService::put_Unicode, &CService::get_Unicode, VARIANT_TRUE, VARIANT_TRUE},
        {"CloseAtSaving", &CService::put_CloseAtSaving, &CService::get_CloseAtSaving, 5, 5},
        {"CarbonCopy", &CService::put_CarbonCopy, &CService::get_CarbonCopy, VARIANT_TRUE, VARIANT_TRUE},
        {"DeleteTemporaryFile", &CService::put_DeleteTemporaryFile, &CService::get_DeleteTemporaryFile, std::nullopt,
         1},
        {"AlwaysAskTemplate", &CService::put_AlwaysAskTemplate, &CService::get_AlwaysAskTemplate, VARIANT_TRUE,
         VARIANT_TRUE},
        {"UseTemplateFile", &CService::put_UseTemplateFile, &CService::get_UseTemplateFile, VARIANT_TRUE, VARIANT_TRUE},
    };
    const QString label = QStringLiteral("&Edit with gedit");

    CService saved;
    EXPECT_EQ(saved.put_Label(label), S_OK);
    for (const StringProperty& p : strings)
        (saved.*p.put)(p.value);
    for (const BooleanProperty& p : booleans) {
        if (p.value)
            (saved.*p.put)(*p.value);
    }
    EXPECT_EQ(saved.put_CodePage(1201), S_OK);
    ASSERT_EQ(saved.SaveToMenuExt(), S_OK);

    CService loaded;
    ASSERT_EQ(loaded.LoadFromMenuExt(label), S_OK);
    QString text;
    EXPECT_EQ(loaded.get_Label(&text), S_OK);
    EXPECT_EQ(text, label);
    for (const StringProperty& p : strings) {
        (loaded.*p.get)(&text);
        EXPECT_EQ(text, p.value) << p.name;
    }
    for (const BooleanProperty& p : booleans) {
        VARIANT_BOOL flag = 99;
        (loaded.*p.get)(&flag);
        EXPECT_EQ(flag, p.loaded) << p.name;
    }
    std::int32_t codePage = 0;
    EXPECT_EQ(loaded.get_CodePage(&codePage), S_OK);
    EXPECT_EQ(codePage, 1201);
    EXPECT_EQ(readFile(scriptsFolder() + "/&Edit with gedit.htm"), expectedScript("&Edit with gedit"));
}

TEST_F(MenuExtTest, MissingScriptsFolderFailsAfterEveryValueIsWritten)
{
    globalSettings().ScriptsFolderPath = (home_.root() / "missing").string();
    CService service;
    EXPECT_EQ(service.SaveToMenuExt(), static_cast<HRESULT>(0x80070003u));

    const auto key = openItemKey("&Edit with editor");
    ASSERT_TRUE(key.ok()) << key.error();
    EXPECT_EQ(valueCount(key.value()), 17u);
    EXPECT_EQ(key.value().queryValue("").value().data, (home_.root() / "missing" / "&Edit with editor.htm").string());
}

TEST_F(MenuExtTest, RefusedLabelWritesNothingAndLoadsNothing)
{
    CService service;
    EXPECT_EQ(service.put_Label(QStringLiteral("../escape")), S_OK);
    EXPECT_EQ(service.SaveToMenuExt(), static_cast<HRESULT>(0x8007007Bu));

    EXPECT_EQ(service.put_Label(QStringLiteral("Kept")), S_OK);
    EXPECT_EQ(service.LoadFromMenuExt(QStringLiteral("a|b")), S_OK);
    QString label;
    EXPECT_EQ(service.get_Label(&label), S_OK);
    EXPECT_EQ(label, QStringLiteral("Kept"));

    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    EXPECT_EQ(root.value().openSubKey(kMenuExtKeyPath, KEY_READ).error(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(std::filesystem::is_empty(scriptsFolder()));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(scriptsFolder()).parent_path() / "escape.htm"));
}

} // namespace
} // namespace quillbrook
