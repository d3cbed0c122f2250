#include "store/menu_item_store.h"

#include "platform/charset.h"
#include "platform/folders.h"
#include "platform/program_search.h"
#include "store/menu_label.h"
#include "store/menu_script.h"

#include <array>
#include <cstdint>
#include <string>

namespace quillbrook {
namespace {

// The item's own key: values are read and written there, not in a subkey.
const std::string kItemKey;

struct StringValue {
    const char* name;
    QString MenuItemSettings::*field;
};

struct BooleanValue {
    const char* name;
    VARIANT_BOOL MenuItemSettings::*field;
};

// In the order in which they are read and written.
constexpr std::array<StringValue, 6> kStringValues{{
    {"QuillbrookEditorName", &MenuItemSettings::EditorName},
    {"QuillbrookEditorProgramFile", &MenuItemSettings::EditorProgramFile},
    {"QuillbrookCommandLine", &MenuItemSettings::CommandLine},
    {"QuillbrookExtension", &MenuItemSettings::Extension},
    {"QuillbrookCarbonCopyFile", &MenuItemSettings::CarbonCopyFile},
    {"QuillbrookTemplateFile", &MenuItemSettings::TemplateFile},
}};

constexpr std::array<BooleanValue, 6> kBooleanValues{{
    {"QuillbrookUnicode", &MenuItemSettings::Unicode},
    {"QuillbrookCloseAtSaving", &MenuItemSettings::CloseAtSaving},
    {"QuillbrookCarbonCopy", &MenuItemSettings::CarbonCopy},
    {"QuillbrookDeleteTemporaryFile", &MenuItemSettings::DeleteTemporaryFile},
    {"QuillbrookAlwaysAskTemplate", &MenuItemSettings::AlwaysAskTemplate},
    {"QuillbrookUseTemplateFile", &MenuItemSettings::UseTemplateFile},
}};

constexpr char kCodePageValue[] = "QuillbrookCodePage";

} // namespace

HRESULT loadMenuItem(CRegistryStore& menuExt, const QString& label, MenuItemSettings& settings)
{
    if (!isStorableLabel(label))
        return S_OK;
    menuExt.SelectItem(toNarrow(label));
    settings.Label = label;
    for (const StringValue& value : kStringValues)
        settings.*value.field = menuExt.ReadStringW(kItemKey, value.name, settings.*value.field);
    for (const BooleanValue& value : kBooleanValues)
        settings.*value.field = static_cast<VARIANT_BOOL>(menuExt.ReadDword(kItemKey, value.name, settings.*value.field));
    settings.CodePage = menuExt.ReadDword(kItemKey, kCodePageValue, settings.CodePage);
    menuExt.CloseKey();

    // The original fell back to the Windows folder's Notepad; here the stand-in system folder has it.
    if (settings.EditorProgramFile.isEmpty())
        settings.EditorProgramFile = toWide(joinPath(systemFolder(), "notepad.exe"));
    return S_OK;
}

HRESULT saveMenuItem(CRegistryStore& menuExt, const MenuItemSettings& settings)
{
    if (!isStorableLabel(settings.Label))
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    const std::string label = toNarrow(settings.Label);
    menuExt.SelectItem(label);
    menuExt.WriteString(kItemKey, std::string(), MenuScriptPath(label));
    menuExt.WriteDword(kItemKey, kContextsValue, kTextBoxContext);
    menuExt.WriteDword(kItemKey, kFlagsValue, kFlagsHidden);
    menuExt.WriteString(kItemKey, kOwnershipMarker, std::string());
    for (const StringValue& value : kStringValues)
        menuExt.WriteStringW(kItemKey, value.name, settings.*value.field);
    for (const BooleanValue& value : kBooleanValues)
        menuExt.WriteDword(kItemKey, value.name, settings.*value.field);
    menuExt.WriteDword(kItemKey, kCodePageValue, settings.CodePage);
    menuExt.CloseKey();
    return WriteMenuScript(label);
}

} // namespace quillbrook
