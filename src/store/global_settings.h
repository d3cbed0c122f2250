// GlobalSettings: the per-user options under HKEY_CURRENT_USER\Software\Fernhollow\Quillbrook.
// The values are public fields that the rest of the system reads directly; Load fills in
// computed defaults on first use and writes them back.
#pragma once

#include "store/registry_store.h"

#include <cstdint>
#include <string>

namespace quillbrook {

class GlobalSettings : public CRegistryStore {
public:
    GlobalSettings();
    ~GlobalSettings() override;

    // Reads every value, computes the missing defaults, creates the temporary and scripts folders
    // and writes everything back when a default was computed. Returns 0.
    [[nodiscard]] HRESULT Load(const std::string& item) override;
    // Writes every value, in the order of the fields below. Returns 0.
    [[nodiscard]] HRESULT Save(const std::string& item) override;
    // Adds 1 to SessionID (wrapping as a signed 32-bit integer), stores only "SessionID" and
    // returns the new number.
    std::int32_t NextSessionID();

    std::string TempFolderPath;
    std::string ScriptsFolderPath;
    std::string TempFileNameTemplate = "%title%,%session%";
    std::string DefaultLabel;
    std::string DefaultEditorName;
    std::string DefaultEditorProgramFile;
    std::string DefaultExtension;
    std::int32_t SessionID = 0;
    std::string FileOpenMenuItem;
    std::string FileOpenExtensions = "txt; html; css; sql; xml;";
    std::string LastOpenedFile;
    std::int32_t FileOpenSpecifyCodePage = 1;
    std::int32_t FileOpenCodePage = 1;
    std::int32_t BackupLastDeletedFile = 1;
    std::string LastDeletedFileBackup;
    std::int32_t ChangeNotificationSyncDelay = 250;
    std::int32_t DelayToDeleteTemporaryFile = 10000;
};

// The one GlobalSettings object of the process; it lives as long as the process.
GlobalSettings& globalSettings();

} // namespace quillbrook
