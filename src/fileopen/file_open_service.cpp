// CFileOpenService's identity, properties and its context-menu entry.
#include "fileopen/file_open_service.h"

#include "platform/charset.h"
#include "platform/folders.h"
#include "platform/hive.h"
#include "platform/menu_ext_schema.h"
#include "platform/program_search.h"
#include "store/global_settings.h"

namespace quillbrook {
namespace {

// A copy of an automation string: it ends at the first NUL, and null stays null.
QString copied(const QString& value)
{
    const qsizetype nul = value.indexOf(QChar(u'\0'));
    if (nul < 0)
        return value;
    return nul == 0 ? QString(QLatin1String("")) : value.left(nul);
}

[[nodiscard]] HRESULT getString(const QString& stored, QString* value)
{
    if (!value)
        return E_POINTER;
    *value = stored;
    return S_OK;
}

// The command's entry below the menu key; empty when the setting names no key, since an empty
// name would stand for the menu key itself.
std::string entryPath()
{
    const std::string& entry = globalSettings().FileOpenMenuItem;
    return entry.empty() ? std::string() : menuExtEntryPath(entry);
}

} // namespace

CFileOpenService::CFileOpenService()
    : menuExtKey_(kMenuExtKeyPath, std::string()), extensions_(toWide(globalSettings().FileOpenExtensions)),
      openingFile_(toWide(globalSettings().LastOpenedFile))
{}

CFileOpenService::~CFileOpenService() = default;

std::string CFileOpenService::scriptPath()
{
    return joinPath(ownProgramFolder(), kOpenFileScriptName);
}

HRESULT CFileOpenService::get_Registered(VARIANT_BOOL* value)
{
    if (!value)
        return E_POINTER;
    *value = 0;
    menuExtKey_.SelectItem(std::string());
    if (FAILED(menuExtKey_.OpenKey()))
        return S_OK;
    const std::string entry = entryPath();
    const auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    if (!entry.empty() && root.ok() && root.value().openSubKey(entry, KEY_READ).ok())
        *value = 1;
    menuExtKey_.CloseKey();
    return S_OK;
}

HRESULT CFileOpenService::put_Registered(VARIANT_BOOL value)
{
    const std::string& entry = globalSettings().FileOpenMenuItem;
    if (entry.empty())
        return S_OK;
    if (value) {
        menuExtKey_.SelectItem(entry);
        menuExtKey_.WriteString(std::string(), std::string(), scriptPath());
        menuExtKey_.WriteDword(std::string(), kContextsValue, kTextBoxContext);
        menuExtKey_.WriteDword(std::string(), kFlagsValue, kFlagsHidden);
        menuExtKey_.CloseKey();
        return S_OK;
    }
    menuExtKey_.SelectItem(std::string());
    // Removing an entry that is not there, or from a hive that cannot be opened, leaves nothing to
    // undo: the menu shows no Open File entry either way.
    ignoreResult(menuExtKey_.OpenKey());
    if (auto root = RegistryKey::openRoot(HiveRoot::CurrentUser); root.ok())
        ignoreResult(root.value().deleteSubKey(entryPath()));
    menuExtKey_.CloseKey();
    return S_OK;
}

HRESULT CFileOpenService::get_Extensions(QString* value)
{
    return getString(extensions_, value);
}

HRESULT CFileOpenService::put_Extensions(const QString& value)
{
    extensions_ = copied(value);
    return S_OK;
}

HRESULT CFileOpenService::get_OpeningFile(QString* value)
{
    return getString(openingFile_, value);
}

HRESULT CFileOpenService::put_OpeningFile(const QString& value)
{
    openingFile_ = copied(value);
    return S_OK;
}

} // namespace quillbrook
