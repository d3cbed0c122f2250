#include "store/global_settings.h"

#include "platform/folders.h"
#include "resources/string_table.h"

#include <filesystem>
#include <optional>
#include <variant>

namespace quillbrook {
namespace {

constexpr const char* kSettingsKey = "Software\\Fernhollow\\Quillbrook";

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

// Three defaults start from the documents folder, which is read from user-dirs.dirs: once per Load.
class DocumentsFolderOnce {
public:
    const std::string& operator()()
    {
        if (!folder_)
            folder_ = folderOrFallback(documentsFolder());
        return *folder_;
    }

private:
    std::optional<std::string> folder_;
};

// What Load puts into a text value that is missing or empty; such a value is then written back.
using ComputeDefault = std::string (*)(DocumentsFolderOnce& documents);

struct TextField {
    std::string GlobalSettings::*field;
    ComputeDefault computeDefault = nullptr;
};

// Every value with its field, in the order Load reads and Save writes them.
struct SettingField {
    const char* name;
    std::variant<TextField, std::int32_t GlobalSettings::*> field;
};

const SettingField kFields[] = {
    {"TempFolderPath",
     TextField{&GlobalSettings::TempFolderPath,
               [](DocumentsFolderOnce&) { return joinPath(folderOrFallback(applicationDataFolder()), "Quillbrook"); }}},
    {"ScriptsFolderPath",
     TextField{&GlobalSettings::ScriptsFolderPath,
               [](DocumentsFolderOnce& documents) { return joinPath(documents(), "Quillbrook Scripts"); }}},
    {"TempFileNameTemplate", TextField{&GlobalSettings::TempFileNameTemplate}},
    {"DefaultLabel", TextField{&GlobalSettings::DefaultLabel,
                               [](DocumentsFolderOnce&) { return loadString(string_id::DefaultLabel); }}},
    {"DefaultEditorName", TextField{&GlobalSettings::DefaultEditorName,
                                    [](DocumentsFolderOnce&) { return loadString(string_id::DefaultEditorName); }}},
    {"DefaultEditorProgramFile",
     TextField{&GlobalSettings::DefaultEditorProgramFile,
               [](DocumentsFolderOnce&) { return loadString(string_id::DefaultEditorProgramFile); }}},
    {"DefaultExtension", TextField{&GlobalSettings::DefaultExtension,
                                   [](DocumentsFolderOnce&) { return loadString(string_id::DefaultExtension); }}},
    {"SessionID", &GlobalSettings::SessionID},
    {"FileOpenMenuItem", TextField{&GlobalSettings::FileOpenMenuItem,
                                   [](DocumentsFolderOnce&) { return loadString(string_id::FileOpenMenuItem); }}},
    {"FileOpenExtensions", TextField{&GlobalSettings::FileOpenExtensions}},
    {"LastOpenedFile",
     TextField{&GlobalSettings::LastOpenedFile, [](DocumentsFolderOnce& documents) { return documents(); }}},
    {"FileOpenSpecifyCodePage", &GlobalSettings::FileOpenSpecifyCodePage},
    {"FileOpenCodePage", &GlobalSettings::FileOpenCodePage},
    {"BackupLastDeletedFile", &GlobalSettings::BackupLastDeletedFile},
    {"LastDeletedFileBackup",
     TextField{&GlobalSettings::LastDeletedFileBackup,
               [](DocumentsFolderOnce& documents) { return documents() + "/Quillbrook.txt"; }}},
    {"ChangeNotificationSyncDelay", &GlobalSettings::ChangeNotificationSyncDelay},
    {"DelayToDeleteTemporaryFile", &GlobalSettings::DelayToDeleteTemporaryFile},
};

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
    DocumentsFolderOnce documents;
    for (const SettingField& setting : kFields) {
        if (const auto* text = std::get_if<TextField>(&setting.field)) {
            std::string& value = this->*text->field;
            value = ReadString({}, setting.name, value);
            if (value.empty() && text->computeDefault) {
                value = text->computeDefault(documents);
                computed = true;
            }
        } else {
            std::int32_t& value = this->*std::get<std::int32_t GlobalSettings::*>(setting.field);
            value = ReadDword({}, setting.name, value);
        }
    }
    CloseKey();
    // Page text may be private: a temporary files folder made here is the user's alone.
    createFolderWithParents(TempFolderPath, 0700);
    createFolderWithParents(ScriptsFolderPath);

    // The computed defaults are stored for next time; when that fails they are computed again.
    if (computed)
        ignoreResult(Save(std::string()));
    return S_OK;
}

HRESULT GlobalSettings::Save(const std::string& item)
{
    SelectItem(item);
    for (const SettingField& setting : kFields) {
        if (const auto* text = std::get_if<TextField>(&setting.field))
            WriteString({}, setting.name, this->*text->field);
        else
            WriteDword({}, setting.name, this->*std::get<std::int32_t GlobalSettings::*>(setting.field));
    }
    CloseKey();
    // A value that could not be written is a failure, not a save.
    return LastResult();
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
