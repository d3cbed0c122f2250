#include "store/global_settings.h"

#include <filesystem>

#include "settings_fixture.h"

namespace quillbrook {
namespace {

using GlobalSettingsTest = testing::StoreTest;

struct ExpectedValue {
    const char* name;
    RegistryType type;
    std::string data;
};

TEST_F(GlobalSettingsTest, FirstLoadComputesStoresAndCreatesFolders)
{
    const std::string home = (home_.root() / "home").string();
    const std::string data = (home_.root() / "data").string();

    GlobalSettings settings;
    EXPECT_EQ(settings.Load(std::string()), S_OK);

    const ExpectedValue expected[] = {
        {"TempFolderPath", REG_SZ, data + "/Quillbrook"},
        {"ScriptsFolderPath", REG_SZ, home + "/Documents/Quillbrook Scripts"},
        {"TempFileNameTemplate", REG_SZ, "%title%,%session%"},
        {"DefaultLabel", REG_SZ, "&Edit with editor"},
        {"DefaultEditorName", REG_SZ, "Notepad"},
        {"DefaultEditorProgramFile", REG_SZ, "notepad.exe"},
        {"DefaultExtension", REG_SZ, "txt"},
        {"SessionID", REG_DWORD, dword(0)},
        {"FileOpenMenuItem", REG_SZ, "&Open"},
        {"FileOpenExtensions", REG_SZ, "txt; html; css; sql; xml;"},
        {"LastOpenedFile", REG_SZ, home + "/Documents"},
        {"FileOpenSpecifyCodePage", REG_DWORD, dword(1)},
        {"FileOpenCodePage", REG_DWORD, dword(1)},
        {"BackupLastDeletedFile", REG_DWORD, dword(1)},
        {"LastDeletedFileBackup", REG_SZ, home + "/Documents/Quillbrook.txt"},
        {"ChangeNotificationSyncDelay", REG_DWORD, dword(250)},
        {"DelayToDeleteTemporaryFile", REG_DWORD, dword(10000)},
    };
    auto key = settingsKey();
    for (std::uint32_t index = 0; index < std::size(expected); ++index) {
        const ExpectedValue& e = expected[index];
        const auto value = key.queryValue(e.name);
        ASSERT_TRUE(value.ok()) << e.name;
        EXPECT_EQ(value.value().type, e.type) << e.name;
        EXPECT_EQ(value.value().data, e.data) << e.name;
        // Written in this order on the first save.
        const auto enumerated = key.enumValue(index);
        ASSERT_TRUE(enumerated.ok()) << index;
        EXPECT_EQ(enumerated.value().name, e.name);
    }
    EXPECT_EQ(key.enumValue(static_cast<std::uint32_t>(std::size(expected))).error(), ERROR_NO_MORE_ITEMS);

    EXPECT_TRUE(std::filesystem::is_directory(data + "/Quillbrook"));
    EXPECT_EQ(std::filesystem::status(data + "/Quillbrook").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    EXPECT_TRUE(std::filesystem::is_directory(home + "/Documents/Quillbrook Scripts"));
    EXPECT_EQ(settings.DefaultLabel, "&Edit with editor");
    EXPECT_EQ(settings.ChangeNotificationSyncDelay, 250);
}

TEST_F(GlobalSettingsTest, JapaneseDefaults)
{
    home_.setEnvironment("LANG", "ja_JP.UTF-8");
    GlobalSettings settings;
    EXPECT_EQ(settings.Load(std::string()), S_OK);
    EXPECT_EQ(settings.DefaultLabel, "エディタで編集する(&E)");
    EXPECT_EQ(settings.DefaultEditorName, "メモ帳");
    EXPECT_EQ(settings.DefaultEditorProgramFile, "notepad.exe");
    EXPECT_EQ(settings.FileOpenMenuItem, "ファイルを開く(&O)");
}

TEST_F(GlobalSettingsTest, SecondLoadWritesNothing)
{
    EXPECT_EQ(GlobalSettings().Load(std::string()), S_OK);
    // A value rewritten by a save would come back as REG_SZ.
    auto key = settingsKey();
    ASSERT_EQ(key.setValue("DefaultExtension", REG_BINARY, "md"), ERROR_SUCCESS);

    GlobalSettings second;
    EXPECT_EQ(second.Load(std::string()), S_OK);
    EXPECT_EQ(second.DefaultExtension, "md");
    EXPECT_EQ(key.queryValue("DefaultExtension").value().type, REG_BINARY);
}

TEST_F(GlobalSettingsTest, EmptiedValuesComeBackAsDefaults)
{
    EXPECT_EQ(GlobalSettings().Load(std::string()), S_OK);
    auto key = settingsKey();
    ASSERT_EQ(key.setValue("TempFileNameTemplate", REG_SZ, ""), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("DefaultLabel", REG_SZ, ""), ERROR_SUCCESS);
    ASSERT_EQ(key.deleteValue("ChangeNotificationSyncDelay"), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("DelayToDeleteTemporaryFile", REG_DWORD, dword(1) + dword(2)), ERROR_SUCCESS);

    GlobalSettings settings;
    EXPECT_EQ(settings.Load(std::string()), S_OK);
    EXPECT_EQ(settings.TempFileNameTemplate, "%title%,%session%");
    EXPECT_EQ(settings.DefaultLabel, "&Edit with editor");
    EXPECT_EQ(settings.ChangeNotificationSyncDelay, 250);
    EXPECT_EQ(settings.DelayToDeleteTemporaryFile, 10000);
    // The recomputed label made the load save everything.
    EXPECT_EQ(key.queryValue("DefaultLabel").value().data, "&Edit with editor");
    EXPECT_EQ(key.queryValue("TempFileNameTemplate").value().data, "%title%,%session%");
    EXPECT_EQ(key.queryValue("ChangeNotificationSyncDelay").value().data, dword(250));
}

TEST_F(GlobalSettingsTest, StoredValuesWin)
{
    auto key = settingsKey();
    ASSERT_EQ(key.setValue("TempFolderPath", REG_SZ, (home_.root() / "own temp").string()), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("ChangeNotificationSyncDelay", REG_DWORD, dword(40)), ERROR_SUCCESS);
    ASSERT_EQ(key.setValue("FileOpenCodePage", REG_DWORD, dword(65001)), ERROR_SUCCESS);

    GlobalSettings settings;
    EXPECT_EQ(settings.Load(std::string()), S_OK);
    EXPECT_EQ(settings.TempFolderPath, (home_.root() / "own temp").string());
    EXPECT_TRUE(std::filesystem::is_directory(home_.root() / "own temp"));
    EXPECT_EQ(settings.ChangeNotificationSyncDelay, 40);
    EXPECT_EQ(settings.FileOpenCodePage, 65001);
}

TEST_F(GlobalSettingsTest, NextSessionIdPersistsAndWraps)
{
    auto key = settingsKey();
    ASSERT_EQ(key.setValue("SessionID", REG_DWORD, dword(41)), ERROR_SUCCESS);
    GlobalSettings settings;
    EXPECT_EQ(settings.Load(std::string()), S_OK);
    EXPECT_EQ(settings.NextSessionID(), 42);
    EXPECT_EQ(settings.NextSessionID(), 43);
    EXPECT_EQ(key.queryValue("SessionID").value().data, dword(43));

    // The registry is not read first: the in-memory counter goes on.
    ASSERT_EQ(key.setValue("SessionID", REG_DWORD, dword(1000)), ERROR_SUCCESS);
    EXPECT_EQ(settings.NextSessionID(), 44);

    settings.SessionID = 0x7FFFFFFF;
    EXPECT_EQ(settings.NextSessionID(), -2147483647 - 1);
    EXPECT_EQ(key.queryValue("SessionID").value().data, dword(0x80000000u));
}

TEST_F(GlobalSettingsTest, UnusableHiveLeavesDefaultsInMemory)
{
    home_.setEnvironment("QUILLBROOK_HIVE", (home_.root() / "home").string()); // a folder, not a file
    GlobalSettings settings;
    EXPECT_EQ(settings.Load(std::string()), S_OK);
    EXPECT_EQ(settings.DefaultLabel, "&Edit with editor");
    EXPECT_EQ(settings.TempFileNameTemplate, "%title%,%session%");
    EXPECT_EQ(settings.DelayToDeleteTemporaryFile, 10000);
    EXPECT_TRUE(std::filesystem::is_directory(home_.root() / "data" / "Quillbrook"));
}

TEST_F(GlobalSettingsTest, SaveWritesAssignedFields)
{
    GlobalSettings settings;
    EXPECT_EQ(settings.Load(std::string()), S_OK);
    settings.TempFileNameTemplate = "%url%";
    settings.BackupLastDeletedFile = 0;
    EXPECT_EQ(settings.Save(std::string()), S_OK);
    GlobalSettings reloaded;
    EXPECT_EQ(reloaded.Load(std::string()), S_OK);
    EXPECT_EQ(reloaded.TempFileNameTemplate, "%url%");
    EXPECT_EQ(reloaded.BackupLastDeletedFile, 0);
}

} // namespace
} // namespace quillbrook
