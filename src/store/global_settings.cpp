#include "store/global_settings.h"

#include "platform/folders.h"
#include "resources/string_table.h"

#include <filesystem>
#include <optional>
#include <variant>

namespace quillbrook {
namespace {

constexpr const char* kSettingsKey = "Software\\Fernhollow\\Quillbrook";
// Buffer sizes in characters with which the default texts are loaded.
constexpr std::size_t kNameBuffer = 256;
constexpr std::size_t kPathBuffer = 260;

// Every value with its field, in the order Save writes them.
struct SettingField {
    const char* name;
    std::variant<std::string GlobalSettings::*, std::int32_t GlobalSettings::*> field;
};

const SettingField kFields[] = {
    {"TempFolderPath", &GlobalSettings::TempFolderPath},
    {"ScriptsFolderPath", &GlobalSettings::ScriptsFolderPath},
    {"TempFileNameTemplate", &GlobalSettings::TempFileNameTemplate},
    {"DefaultLabel", &GlobalSettings::DefaultLabel},
    {"DefaultEditorName", &GlobalSettings::DefaultEditorName},
    {"DefaultEditorProgramFile", &GlobalSettings::DefaultEditorProgramFile},
    {"DefaultExtension", &GlobalSettings::DefaultExtension},
    {"SessionID", &GlobalSettings::SessionID},
    {"FileOpenMenuItem", &GlobalSettings::FileOpenMenuItem},
    {"FileOpenExtensions", &GlobalSettings::FileOpenExtensions},
    {"LastOpenedFile", &GlobalSettings::LastOpenedFile},
    {"FileOpenSpecifyCodePage", &GlobalSettings::FileOpenSpecifyCodePage},
    {"FileOpenCodePage", &GlobalSettings::FileOpenCodePage},
    {"BackupLastDeletedFile", &GlobalSettings::BackupLastDeletedFile},
    {"LastDeletedFileBackup", &GlobalSettings::LastDeletedFileBackup},
    {"ChangeNotificationSyncDelay", &GlobalSettings::ChangeNotificationSyncDelay},
    {"DelayToDeleteTemporaryFile", &GlobalSettings::DelayToDeleteTemporaryFile},
};

// A special folder that cannot be determined is replaced by the home folder, and without one by
// the system's temporary folder, so that the computed paths are never relative.
std::string folderOrFallback(std::string folder)
{
    if (folder.empty())
        folder = homeFolder();
    if (folder.empty())
        folder = std::filesystem::temp_directory_path().string();
    return folder;
}

} // namespace

GlobalSettings::GlobalSettings() : CRegistryStore(kSettingsKey, std::string()) {}

GlobalSettings::~GlobalSettings()
{
    CloseKey();
}

HRESULT GlobalSettings::Load(const std::string& item)
{
    SelectItem(item);
    bool computed = false;
    const auto readString = [&](const char* name, std::string& field) { field = ReadString({}, name, field); };
    const auto readDword = [&](const char* name, std::int32_t& field) { field = ReadDword({}, name, field); };
    const auto readOrCompute = [&](const char* name, std::string& field, auto compute) {
        readString(name, field);
        if (field.empty()) {
            field = compute();
            computed = true;
        }
    };
    const auto resourceText = [](unsigned id, std::size_t buffer) { return [=] { return loadString(id, buffer); }; };
    // Three defaults start from the documents folder, which is read from user-dirs.dirs: once.
    std::optional<std::string> documents;
    const auto documentsFolderOnce = [&documents] {
        if (!documents)
            documents = folderOrFallback(documentsFolder());
        return *documents;
    };

    readOrCompute("TempFolderPath", TempFolderPath,
                  [] { return joinPath(folderOrFallback(applicationDataFolder()), "Quillbrook"); });
    // Page text may be private: a temporary files folder made here is the user's alone.
    createFolderWithParents(TempFolderPath, 0700);
    readOrCompute("ScriptsFolderPath", ScriptsFolderPath,
                  [&] { return joinPath(documentsFolderOnce(), "Quillbrook Scripts"); });
    createFolderWithParents(ScriptsFolderPath);
    readString("TempFileNameTemplate", TempFileNameTemplate);
    readOrCompute("DefaultLabel", DefaultLabel, resourceText(string_id::DefaultLabel, kNameBuffer));
    readOrCompute("DefaultEditorName", DefaultEditorName, resourceText(string_id::DefaultEditorName, kNameBuffer));
    readOrCompute("DefaultEditorProgramFile", DefaultEditorProgramFile,
                  resourceText(string_id::DefaultEditorProgramFile, kPathBuffer));
    readOrCompute("DefaultExtension", DefaultExtension, resourceText(string_id::DefaultExtension, kPathBuffer));
    readDword("SessionID", SessionID);
    readOrCompute("FileOpenMenuItem", FileOpenMenuItem, resourceText(string_id::FileOpenMenuItem, kNameBuffer));
    readString("FileOpenExtensions", FileOpenExtensions);
    readDword("FileOpenSpecifyCodePage", FileOpenSpecifyCodePage);
    readDword("FileOpenCodePage", FileOpenCodePage);
    readOrCompute("LastOpenedFile", LastOpenedFile, [&] { return documentsFolderOnce(); });
    readDword("ChangeNotificationSyncDelay", ChangeNotificationSyncDelay);
    readDword("BackupLastDeletedFile", BackupLastDeletedFile);
    readOrCompute("LastDeletedFileBackup", LastDeletedFileBackup,
                  [&] { return documentsFolderOnce() + "/Quillbrook.txt"; });
    readDword("DelayToDeleteTemporaryFile", DelayToDeleteTemporaryFile);
    CloseKey();

    if (computed)
        Save(std::string());
    return S_OK;
}

HRESULT GlobalSettings::Save(const std::string& item)
{
    SelectItem(item);
    for (const SettingField& setting : kFields) {
        if (const auto* text = std::get_if<std::string GlobalSettings::*>(&setting.field))
            WriteString({}, setting.name, this->**text);
        else
            WriteDword({}, setting.name, this->*std::get<std::int32_t GlobalSettings::*>(setting.field));
    }
    CloseKey();
    return S_OK;
}

std::int32_t GlobalSettings::NextSessionID()
{
    SessionID = static_cast<std::int32_t>(static_cast<std::uint32_t>(SessionID) + 1u);
    WriteDword({}, "SessionID", SessionID);
    CloseKey();
    return SessionID;
}

GlobalSettings& globalSettings()
{
    static GlobalSettings settings;
    return settings;
}

} // namespace quillbrook
