#include "store/menu_item_store.h"

#include "platform/charset.h"
#include "store/menu_label.h"

#include "menu_item_fixture.h"

#include <filesystem>
#include <vector>

namespace quillbrook {
namespace {

using MenuItemStoreTest = testing::MenuItemTest;

struct LabelCase {
    QString label;
    bool storable;
};

TEST_F(MenuItemStoreTest, StorableLabels)
{
    const LabelCase cases[] = {
        {QStringLiteral("&Edit with editor"), true},
        {QStringLiteral("..."), true},
        {QStringLiteral(".hidden"), true},
        {QStringLiteral("エディタで編集"), true},
        {QString(255, u'a'), true},
        {QString(85, u'編'), true}, // 255 bytes in UTF-8
        {QString(), false},
        {QStringLiteral(""), false},
        {QStringLiteral("."), false},
        {QStringLiteral(".."), false},
        {QString(256, u'a'), false},
        {QString(85, u'編') + QStringLiteral("a"), false},
        {QStringLiteral("a\\b"), false},
        {QStringLiteral("../escape"), false},
        {QStringLiteral("a:b"), false},
        {QStringLiteral("a*b"), false},
        {QStringLiteral("a?b"), false},
        {QStringLiteral("a\"b"), false},
        {QStringLiteral("a<b"), false},
        {QStringLiteral("a>b"), false},
        {QStringLiteral("a|b"), false},
        {QStringLiteral("tab\there"), false},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), false},
        {QStringLiteral("a\x1f"), false},
        {QStringLiteral("a\x7f"), false},
    };
    for (const LabelCase& c : cases)
        EXPECT_EQ(isStorableLabel(c.label), c.storable) << c.label.toStdString();

    // A character the charset cannot hold would be stored as '?'.
    const testing::ScopedLocale ascii("C");
    EXPECT_FALSE(isStorableLabel(QStringLiteral("編集")));
    EXPECT_TRUE(isStorableLabel(QStringLiteral("&Edit with editor")));
}

struct ExpectedValue {
    const char* name;
    RegistryType type;
    std::string data;
};

TEST_F(MenuItemStoreTest, SaveWritesTheEntryInOrder)
{
    MenuItemSettings item = MenuItemSettings::withGlobalDefaults(globalSettings());
    item.Label = QStringLiteral("Edit in vi");
    item.EditorName = QStringLiteral("Vi");
    item.EditorProgramFile = QStringLiteral("/usr/bin/vi");
    item.CommandLine = QStringLiteral("-n %filepath%");
    item.Extension = QStringLiteral("md");
    item.CarbonCopyFile = QString();
    item.TemplateFile = QStringLiteral("");
    item.Unicode = -1;
    item.CloseAtSaving = 5;
    item.CarbonCopy = -2;
    item.AlwaysAskTemplate = 0;
    item.UseTemplateFile = -32768;
    item.CodePage = 65001;

    CRegistryStore menuExt(kMenuExtKeyPath, std::string());
    EXPECT_EQ(saveMenuItem(menuExt, item), S_OK);

    const ExpectedValue expected[] = {
        {"", REG_SZ, scriptsFolder() + "/Edit in vi.htm"},
        {"contexts", REG_DWORD, dword(4)},
        {"flags", REG_DWORD, dword(0)},
        {"Quillbrook", REG_SZ, ""},
        {"QuillbrookEditorName", REG_SZ, "Vi"},
        {"QuillbrookEditorProgramFile", REG_SZ, "/usr/bin/vi"},
        {"QuillbrookCommandLine", REG_SZ, "-n %filepath%"},
        {"QuillbrookExtension", REG_SZ, "md"},
        {"QuillbrookCarbonCopyFile", REG_SZ, ""},
        {"QuillbrookTemplateFile", REG_SZ, ""},
        {"QuillbrookUnicode", REG_DWORD, dword(0xFFFFFFFF)},
        {"QuillbrookCloseAtSaving", REG_DWORD, dword(5)},
        {"QuillbrookCarbonCopy", REG_DWORD, dword(0xFFFFFFFE)},
        {"QuillbrookDeleteTemporaryFile", REG_DWORD, dword(1)},
        {"QuillbrookAlwaysAskTemplate", REG_DWORD, dword(0)},
        {"QuillbrookUseTemplateFile", REG_DWORD, dword(0xFFFF8000)},
        {"QuillbrookCodePage", REG_DWORD, dword(65001)},
    };
    const auto key = openItemKey("Edit in vi");
    ASSERT_TRUE(key.ok()) << key.error();
    for (std::uint32_t index = 0; index < std::size(expected); ++index) {
        const auto value = key.value().enumValue(index);
        ASSERT_TRUE(value.ok()) << index;
        EXPECT_EQ(value.value().name, expected[index].name) << index;
        EXPECT_EQ(value.value().type, expected[index].type) << expected[index].name;
        EXPECT_EQ(value.value().data, expected[index].data) << expected[index].name;
    }
    EXPECT_EQ(valueCount(key.value()), std::size(expected));
    EXPECT_EQ(readFile(scriptsFolder() + "/Edit in vi.htm"), expectedScript("Edit in vi"));
}

TEST_F(MenuItemStoreTest, LoadCutsBooleansAndKeepsFieldsOfUnusableValues)
{
    auto key = this->key(std::string(kMenuExtKeyPath) + "\\Stored");
    EXPECT_EQ(key.setValue("QuillbrookUnicode", REG_DWORD, dword(0xFFFFFFFF)), ERROR_SUCCESS);
    EXPECT_EQ(key.setValue("QuillbrookCloseAtSaving", REG_DWORD, dword(0x00010001)), ERROR_SUCCESS);
    EXPECT_EQ(key.setValue("QuillbrookCarbonCopy", REG_DWORD, dword(0x0001FFFF)), ERROR_SUCCESS);
    EXPECT_EQ(key.setValue("QuillbrookDeleteTemporaryFile", REG_DWORD, dword(0x8000)), ERROR_SUCCESS);
    EXPECT_EQ(key.setValue("QuillbrookAlwaysAskTemplate", REG_DWORD, dword(1) + "x"), ERROR_SUCCESS); // too long: kept
    EXPECT_EQ(key.setValue("QuillbrookUseTemplateFile", REG_BINARY, std::string(1, '\x07')), ERROR_SUCCESS);
    EXPECT_EQ(key.setValue("QuillbrookCodePage", REG_DWORD, dword(0x87654321)), ERROR_SUCCESS);
    EXPECT_EQ(key.setValue("QuillbrookEditorName", REG_SZ, ""), ERROR_SUCCESS); // no data: kept
    EXPECT_EQ(key.setValue("QuillbrookCommandLine", REG_SZ, std::string("-a\0-b", 5)), ERROR_SUCCESS);
    EXPECT_EQ(key.setValue("QuillbrookExtension", REG_EXPAND_SZ, "log"), ERROR_SUCCESS);

    MenuItemSettings item = MenuItemSettings::withGlobalDefaults(globalSettings());
    item.AlwaysAskTemplate = 3;
    CRegistryStore menuExt(kMenuExtKeyPath, std::string());
    EXPECT_EQ(loadMenuItem(menuExt, QStringLiteral("Stored"), item), S_OK);

    EXPECT_EQ(item.Label, QStringLiteral("Stored"));
    EXPECT_EQ(item.Unicode, -1);
    EXPECT_EQ(item.CloseAtSaving, 1);
    EXPECT_EQ(item.CarbonCopy, -1);
    EXPECT_EQ(item.DeleteTemporaryFile, -32768);
    EXPECT_EQ(item.AlwaysAskTemplate, 3);
    EXPECT_EQ(item.UseTemplateFile, 7);
    EXPECT_EQ(item.CodePage, static_cast<std::int32_t>(0x87654321));
    EXPECT_EQ(item.EditorName, QStringLiteral("Notepad"));
    EXPECT_EQ(item.CommandLine, QStringLiteral("-a"));
    EXPECT_EQ(item.Extension, QStringLiteral("log"));
    EXPECT_EQ(item.EditorProgramFile, QStringLiteral("notepad.exe"));
}

TEST_F(MenuItemStoreTest, LabelWithoutKeyChangesOnlyLabelAndEmptyEditorProgram)
{
    const std::string systemNotepad = (home_.root() / "system" / "notepad.exe").string();
    const QString programs[] = {QStringLiteral("vi"), QStringLiteral(""), QString()};
    for (const QString& program : programs) {
        MenuItemSettings item = MenuItemSettings::withGlobalDefaults(globalSettings());
        item.EditorProgramFile = program;
        CRegistryStore menuExt(kMenuExtKeyPath, std::string());
        EXPECT_EQ(loadMenuItem(menuExt, QStringLiteral("Nowhere"), item), S_OK);

        EXPECT_EQ(item.Label, QStringLiteral("Nowhere"));
        EXPECT_EQ(item.EditorProgramFile, program.isEmpty() ? toWide(systemNotepad) : program);
        EXPECT_EQ(item.EditorName, QStringLiteral("Notepad"));
        EXPECT_EQ(item.Extension, QStringLiteral("txt"));
        EXPECT_EQ(item.CommandLine, QStringLiteral(""));
        EXPECT_EQ(item.DeleteTemporaryFile, 1);
        EXPECT_EQ(item.UseTemplateFile, 0);
        EXPECT_EQ(item.CodePage, 1);
    }
}

TEST_F(MenuItemStoreTest, EmptyStringsComeBackAsTheLoadingObjectsValues)
{
    MenuItemSettings saved = MenuItemSettings::withGlobalDefaults(globalSettings());
    saved.Label = QStringLiteral("Blank");
    saved.EditorName = QStringLiteral("");
    saved.Extension = QString();
    CRegistryStore menuExt(kMenuExtKeyPath, std::string());
    ASSERT_EQ(saveMenuItem(menuExt, saved), S_OK);

    MenuItemSettings loaded = MenuItemSettings::withGlobalDefaults(globalSettings());
    loaded.CommandLine = QStringLiteral("--keep");
    EXPECT_EQ(loadMenuItem(menuExt, QStringLiteral("Blank"), loaded), S_OK);
    EXPECT_EQ(loaded.EditorName, QStringLiteral("Notepad"));
    EXPECT_EQ(loaded.Extension, QStringLiteral("txt"));
    EXPECT_EQ(loaded.CommandLine, QStringLiteral("--keep"));
}

// "&" and characters beyond ASCII go into the key name, the file name and the script unchanged.
TEST_F(MenuItemStoreTest, LabelIsUsedUnchanged)
{
    for (const QString& label : {QStringLiteral("&Edit with editor"), QStringLiteral("エディタで編集")}) {
        const std::string stored = toNarrow(label);
        MenuItemSettings item = MenuItemSettings::withGlobalDefaults(globalSettings());
        item.Label = label;
        CRegistryStore menuExt(kMenuExtKeyPath, std::string());
        EXPECT_EQ(saveMenuItem(menuExt, item), S_OK);

        const auto key = openItemKey(stored);
        ASSERT_TRUE(key.ok()) << stored;
        EXPECT_EQ(key.value().fullName(), "HKEY_CURRENT_USER\\" + std::string(kMenuExtKeyPath) + "\\" + stored);
        EXPECT_EQ(key.value().queryValue("").value().data, scriptsFolder() + "/" + stored + ".htm");
        EXPECT_EQ(readFile(scriptsFolder() + "/" + stored + ".htm"), expectedScript(stored));
    }
}

TEST_F(MenuItemStoreTest, SavingTwiceRewritesAndLeavesOtherValuesAlone)
{
    auto menuExtKey = key(kMenuExtKeyPath);
    auto existing = key(std::string(kMenuExtKeyPath) + "\\Twice");
    EXPECT_EQ(existing.setValue("Foreign", REG_BINARY, "\x01\x02"), ERROR_SUCCESS);
    EXPECT_EQ(existing.setValue("QuillbrookEditorName", REG_SZ, "Old"), ERROR_SUCCESS);

    MenuItemSettings item = MenuItemSettings::withGlobalDefaults(globalSettings());
    item.Label = QStringLiteral("Twice");
    CRegistryStore menuExt(kMenuExtKeyPath, std::string());
    ASSERT_EQ(saveMenuItem(menuExt, item), S_OK);
    item.EditorName = QStringLiteral("New");
    ASSERT_EQ(saveMenuItem(menuExt, item), S_OK);

    EXPECT_EQ(menuExtKey.enumSubKey(0).value(), "Twice");
    EXPECT_EQ(menuExtKey.enumSubKey(1).error(), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(existing.queryValue("Foreign").value().data, "\x01\x02");
    EXPECT_EQ(existing.queryValue("QuillbrookEditorName").value().data, "New");
    EXPECT_EQ(valueCount(existing), 18u);
    const std::vector<std::filesystem::path> scripts{std::filesystem::directory_iterator(scriptsFolder()), {}};
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(readFile(scripts[0]), expectedScript("Twice"));
}

TEST_F(MenuItemStoreTest, RefusedLabelsTouchNothing)
{
    for (const QString& label :
         {QString(), QStringLiteral(".."), QStringLiteral("../escape"), QStringLiteral("a/b"), QString(256, u'a')}) {
        MenuItemSettings item = MenuItemSettings::withGlobalDefaults(globalSettings());
        item.Label = label;
        CRegistryStore menuExt(kMenuExtKeyPath, std::string());
        EXPECT_EQ(saveMenuItem(menuExt, item), HRESULT_FROM_WIN32(ERROR_INVALID_NAME)) << label.toStdString();

        item.EditorProgramFile = QString();
        EXPECT_EQ(loadMenuItem(menuExt, label, item), S_OK);
        EXPECT_EQ(item.Label, label);
        EXPECT_TRUE(item.EditorProgramFile.isNull());
    }
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    EXPECT_EQ(root.value().openSubKey(kMenuExtKeyPath, KEY_READ).error(), ERROR_FILE_NOT_FOUND);
    const std::filesystem::path scripts = scriptsFolder();
    EXPECT_TRUE(std::filesystem::is_empty(scripts));
    EXPECT_FALSE(std::filesystem::exists(scripts.parent_path() / "escape.htm"));
}

} // namespace
} // namespace quillbrook
