// The process-wide settings as a new process has them, loaded from the current hive and home, so
// that each test starts from its own private ones.
#pragma once

#include "store/global_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace quillbrook::testing {

inline void loadFreshGlobalSettings()
{
    GlobalSettings& settings = globalSettings();
    const GlobalSettings fresh;
    for (auto field :
         {&GlobalSettings::TempFolderPath, &GlobalSettings::ScriptsFolderPath, &GlobalSettings::TempFileNameTemplate,
          &GlobalSettings::DefaultLabel, &GlobalSettings::DefaultEditorName, &GlobalSettings::DefaultEditorProgramFile,
          &GlobalSettings::DefaultExtension, &GlobalSettings::FileOpenMenuItem, &GlobalSettings::FileOpenExtensions,
          &GlobalSettings::LastOpenedFile, &GlobalSettings::LastDeletedFileBackup})
        settings.*field = fresh.*field;
    for (auto field : {&GlobalSettings::SessionID, &GlobalSettings::FileOpenSpecifyCodePage,
                       &GlobalSettings::FileOpenCodePage, &GlobalSettings::BackupLastDeletedFile,
                       &GlobalSettings::ChangeNotificationSyncDelay, &GlobalSettings::DelayToDeleteTemporaryFile})
        settings.*field = fresh.*field;
    EXPECT_EQ(settings.Load(std::string()), S_OK);
}

} // namespace quillbrook::testing
