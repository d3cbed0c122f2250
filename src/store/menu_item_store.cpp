#include "store/menu_item_store.h"

#include "platform/charset.h"
#include "platform/folders.h"
#include "platform/program_search.h"
#include "store/menu_item_setting_table.h"
#include "store/menu_label.h"
#include "store/menu_script.h"

#include <cstdint>
#include <string>

namespace quillbrook {
namespace {

// The item's own key: values are read and written there, not in a subkey.
const std::string kItemKey;

} // namespace

[[nodiscard]] HRESULT loadMenuItem(CRegistryStore& menuExt, const QString& label, MenuItemSettings& settings)
{
    if (!isStorableLabel(label))
        return S_OK;
    menuExt.SelectItem(toNarrow(label));
    settings.Label = label;
    for (const MenuItemSetting& row : kMenuItemSettings) {
        if (!row.valueName)
            continue;
        std::visit(Overloaded{
                       [&](const TextSetting& text) {
                           settings.*text.field = menuExt.ReadStringW(kItemKey, row.valueName, settings.*text.field);
                       },
                       [&](const FlagSetting& flag) {
                           settings.*flag.field = static_cast<VARIANT_BOOL>(
                               menuExt.ReadDword(kItemKey, row.valueName, settings.*flag.field));
                       },
                       [&](const NumberSetting& number) {
                           settings.*number.field = menuExt.ReadDword(kItemKey, row.valueName, settings.*number.field);
                       },
                   },
                   row.access);
    }
    menuExt.CloseKey();

    // The original fell back to the Windows folder's Notepad; here the stand-in system folder has it.
    if (settings.EditorProgramFile.isEmpty())
        settings.EditorProgramFile = toWide(joinPath(systemFolder(), "notepad.exe"));
    return S_OK;
}

[[nodiscard]] HRESULT saveMenuItem(CRegistryStore& menuExt, const MenuItemSettings& settings)
{
    if (!isStorableLabel(settings.Label))
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    const std::string label = toNarrow(settings.Label);
    menuExt.SelectItem(label);
    menuExt.WriteString(kItemKey, std::string(), MenuScriptPath(label));
    menuExt.WriteDword(kItemKey, kContextsValue, kTextBoxContext);
    menuExt.WriteDword(kItemKey, kFlagsValue, kFlagsHidden);
    menuExt.WriteString(kItemKey, kOwnershipMarker, std::string());
    for (const MenuItemSetting& row : kMenuItemSettings) {
        if (!row.valueName)
            continue;
        std::visit(
            Overloaded{
                [&](const TextSetting& text) { menuExt.WriteStringW(kItemKey, row.valueName, settings.*text.field); },
                [&](const auto& dword) { menuExt.WriteDword(kItemKey, row.valueName, settings.*dword.field); },
            },
            row.access);
    }
    menuExt.CloseKey();
    return WriteMenuScript(label);
}

} // namespace quillbrook
