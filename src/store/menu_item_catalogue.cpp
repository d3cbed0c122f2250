#include "store/menu_item_catalogue.h"

#include "automation/class_factory.h"
#include "platform/charset.h"
#include "platform/menu_ext_schema.h"
#include "resources/string_table.h"
#include "store/menu_item_store.h"
#include "store/menu_label.h"
#include "store/menu_script.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quillbrook {
namespace {

// Opens the key at `path` under HKEY_CURRENT_USER, creating it when missing, as the store does.
Win32Result<RegistryKey> openOrCreate(const std::string& path)
{
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
    if (!root.ok())
        return root.error();
    return root.value().createSubKey(path, KEY_ALL_ACCESS);
}

// The key's own name with the letter case the hive stored.
std::string storedName(const RegistryKey& key)
{
    const std::string fullName = key.fullName();
    return fullName.substr(fullName.rfind('\\') + 1);
}

// Gives an entry key the spelling `name`, its values kept in their order. The hive has no rename:
// the values are read, the key is deleted and created again under the new spelling, all in one
// transaction, so that a failure leaves the entry as it was.
[[nodiscard]] Win32Error respellEntryKey(RegistryKey& menuExt, const std::string& currentName, const std::string& name)
{
    auto transaction = menuExt.beginTransaction();
    if (!transaction.ok())
        return transaction.error();
    auto entry = menuExt.openSubKey(currentName, KEY_READ);
    if (!entry.ok())
        return entry.error();
    const auto subKey = entry.value().enumSubKey(0);
    if (subKey.ok())
        return ERROR_SUCCESS; // a key with subkeys cannot be deleted, so it keeps its spelling
    if (subKey.error() != ERROR_NO_MORE_ITEMS)
        return subKey.error();
    std::vector<RegistryValue> values;
    for (std::uint32_t index = 0;; ++index) {
        auto value = entry.value().enumValue(index);
        if (value.error() == ERROR_NO_MORE_ITEMS)
            break;
        if (!value.ok())
            return value.error();
        values.push_back(std::move(value).value());
    }
    entry.value().close();
    if (const Win32Error error = menuExt.deleteSubKey(currentName); error != ERROR_SUCCESS)
        return error;
    auto respelled = menuExt.createSubKey(name, KEY_SET_VALUE);
    if (!respelled.ok())
        return respelled.error();
    for (const RegistryValue& value : values) {
        if (const Win32Error error = respelled.value().setValue(value.name, value.type, value.data);
            error != ERROR_SUCCESS)
            return error;
    }
    return transaction.value().commit();
}

// Removes the old label's script unless it is the new one's: this file system may tell the two
// names apart by letter case or not.
void removeOldScript(const std::string& oldName, const std::string& newName)
{
    const std::filesystem::path oldScript = MenuScriptPath(oldName);
    std::error_code error;
    if (!std::filesystem::equivalent(oldScript, MenuScriptPath(newName), error))
        std::filesystem::remove(oldScript, error);
}

} // namespace

const Dispatchable* identityOf(const std::shared_ptr<IService>& object)
{
    std::shared_ptr<Dispatchable> unknown;
    if (object)
        ignoreResult(object->QueryInterface(IID_IUnknown, &unknown));
    return unknown.get();
}

CMenuItemCatalogue::CMenuItemCatalogue() : CRegistryStore(kMenuExtKeyPath, std::string()) {}

CMenuItemCatalogue::~CMenuItemCatalogue() = default;

HRESULT CMenuItemCatalogue::Load(const std::string& item)
{
    SelectItem(item);
    auto menuExt = openOrCreate(Path());
    if (!menuExt.ok())
        return HRESULT_FROM_WIN32(menuExt.error());
    for (std::uint32_t index = 0;; ++index) {
        const auto name = menuExt.value().enumSubKey(index);
        if (!name.ok())
            break;
        const auto entry = menuExt.value().openSubKey(name.value(), KEY_READ);
        if (!entry.ok() || !carriesOwnershipMarker(entry.value()))
            continue;
        // An entry named as no label can be (written by hand) would load nothing and be listed
        // under another label.
        const QString label = toWide(name.value());
        std::shared_ptr<IService> service;
        if (!isStorableLabel(label) || FAILED(newItem(&service)))
            continue;
        if (service->LoadFromMenuExt(label) == S_OK)
            items_.push_back(std::move(service));
    }
    return S_OK;
}

HRESULT CMenuItemCatalogue::Save(const std::string&)
{
    return S_OK;
}

HRESULT CMenuItemCatalogue::AddItem(std::shared_ptr<IService> item)
{
    if (!item)
        return E_POINTER;
    // Listed whatever the save gives: the dialog shows the item, and OK saves it again.
    ignoreResult(item->SaveToMenuExt());
    items_.push_back(std::move(item));
    return S_OK;
}

HRESULT CMenuItemCatalogue::UpdateItem(std::shared_ptr<IService> item, const QString& oldLabel)
{
    if (!item)
        return E_POINTER;
    QString label;
    if (const HRESULT result = item->get_Label(&label); FAILED(result))
        return result;
    // An entry that could not be written under its new label keeps the old one.
    if (const HRESULT result = item->SaveToMenuExt(); FAILED(result))
        return result;
    if (label != oldLabel)
        return HRESULT_FROM_WIN32(retireOldEntry(oldLabel, label));
    return S_OK;
}

Win32Error CMenuItemCatalogue::retireOldEntry(const QString& oldLabel, const QString& newLabel)
{
    if (!isStorableLabel(newLabel))
        return ERROR_SUCCESS; // nothing was saved, so the old entry is the item's only one
    auto menuExt = openOrCreate(Path());
    if (!menuExt.ok())
        return ERROR_SUCCESS;
    const std::string newName = toNarrow(newLabel);
    auto written = menuExt.value().openSubKey(newName, KEY_READ);
    if (!written.ok())
        return ERROR_SUCCESS;
    if (isStorableLabel(oldLabel)) {
        const std::string oldName = toNarrow(oldLabel);
        auto old = menuExt.value().openSubKey(oldName, KEY_READ);
        if (old.ok() && old.value().fullName() == written.value().fullName()) {
            // Only the letter case changed, and the hive's names ignore it: the save went into the
            // old key, which must stay, under the new spelling.
            const std::string currentName = storedName(written.value());
            old.value().close();
            written.value().close();
            const Win32Error respelled =
                currentName == newName ? ERROR_SUCCESS : respellEntryKey(menuExt.value(), currentName, newName);
            removeOldScript(oldName, newName);
            return respelled;
        }
    }
    DeleteEntry(oldLabel);
    return ERROR_SUCCESS;
}

HRESULT CMenuItemCatalogue::RemoveItem(std::shared_ptr<IService> item)
{
    const Dispatchable* wanted = identityOf(item);
    const auto listed = std::find_if(items_.begin(), items_.end(),
                                     [&](const auto& candidate) { return wanted && identityOf(candidate) == wanted; });
    if (listed == items_.end())
        return S_OK;
    QString label;
    if (SUCCEEDED((*listed)->get_Label(&label)))
        DeleteEntry(label);
    items_.erase(listed);
    return S_OK;
}

bool CMenuItemCatalogue::FindByLabel(const std::string& label, std::shared_ptr<IService> except) const
{
    const QString wanted = toWide(label);
    const Dispatchable* excluded = identityOf(except);
    return std::any_of(items_.begin(), items_.end(), [&](const auto& listed) {
        if (excluded && identityOf(listed) == excluded)
            return false;
        QString listedLabel;
        return SUCCEEDED(listed->get_Label(&listedLabel)) && listedLabel == wanted;
    });
}

HRESULT CMenuItemCatalogue::DeleteEntry(const QString& label)
{
    if (!isStorableLabel(label))
        return S_OK;
    const std::string name = toNarrow(label);
    // An entry or script that is not there is already gone.
    if (auto menuExt = openOrCreate(Path()); menuExt.ok())
        ignoreResult(menuExt.value().deleteSubKey(name));
    std::error_code error;
    std::filesystem::remove(MenuScriptPath(name), error);
    return S_OK;
}

HRESULT CMenuItemCatalogue::newItem(std::shared_ptr<IService>* item)
{
    if (!item)
        return E_POINTER;
    std::shared_ptr<Dispatchable> object;
    if (const HRESULT result = createInstance(CLSID_CService, IID_IService, &object); FAILED(result))
        return result;
    *item = asService(object);
    return *item ? S_OK : E_NOINTERFACE;
}

HRESULT CMenuItemCatalogue::copyItem(const std::shared_ptr<IService>& source, std::shared_ptr<IService>* copy)
{
    if (!source || !copy)
        return E_POINTER;
    std::shared_ptr<IService> created;
    if (const HRESULT result = newItem(&created); FAILED(result))
        return result;
    if (const HRESULT result = source->CopyTo(created); FAILED(result))
        return result;
    QString label;
    if (const HRESULT result = source->get_Label(&label); FAILED(result))
        return result;
    if (const HRESULT result = created->put_Label(loadStringW(string_id::CopyOf) + label); FAILED(result))
        return result;
    *copy = std::move(created);
    return S_OK;
}

} // namespace quillbrook
