// `kMenuItemSettings`: every setting of a menu item once, with its field, its IService property,
// the item key's value that stores it and the menu item dialog's control that shows it. Loading
// and saving an item, CopyTo, fresh defaults and the dialog all walk this table.
#pragma once

#include "interfaces/iservice.h"
#include "resources/menu_item_controls.h"
#include "store/global_settings.h"
#include "store/menu_item_settings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <variant>

namespace quillbrook {

// A string setting; shown in an edit control.
struct TextSetting {
    QString MenuItemSettings::*field;
    HRESULT (IService::*get)(QString*);
    HRESULT (IService::*put)(const QString&);
    // The global setting a fresh object takes it from; null when the field's own default stands.
    std::string GlobalSettings::*globalDefault = nullptr;
};

// A boolean setting; shown in a check box.
struct FlagSetting {
    VARIANT_BOOL MenuItemSettings::*field;
    HRESULT (IService::*get)(VARIANT_BOOL*);
    HRESULT (IService::*put)(VARIANT_BOOL);
};

// The code page; shown in the encoding list.
struct NumberSetting {
    std::int32_t MenuItemSettings::*field;
    HRESULT (IService::*get)(std::int32_t*);
    HRESULT (IService::*put)(std::int32_t);
};

// A setting's place in one of the orders below; kNoPlace when it takes no part.
inline constexpr std::uint8_t kNoPlace = 0xFF;

struct MenuItemSetting {
    // The item key's value that stores it; null for the label, which names the key instead.
    const char* valueName;
    std::variant<TextSetting, FlagSetting, NumberSetting> access;
    // The dialog's control; 0 when the dialog does not show it.
    int control;
    // Each order is seen from outside, so each is kept as it is: CopyTo calls the target's puts
    // in copyOrder, and the dialog reads and writes the properties in dialogOrder.
    std::uint8_t copyOrder;
    std::uint8_t dialogOrder;
};

// In the order in which the values are read and written in the item's key.
inline constexpr std::array<MenuItemSetting, 14> kMenuItemSettings{{
    {nullptr,
     TextSetting{&MenuItemSettings::Label, &IService::get_Label, &IService::put_Label, &GlobalSettings::DefaultLabel},
     menu_item_control::Label, 0, 0},
    {"QuillbrookEditorName",
     TextSetting{&MenuItemSettings::EditorName, &IService::get_EditorName, &IService::put_EditorName,
                 &GlobalSettings::DefaultEditorName},
     menu_item_control::EditorName, 1, 1},
    {"QuillbrookEditorProgramFile",
     TextSetting{&MenuItemSettings::EditorProgramFile, &IService::get_EditorProgramFile,
                 &IService::put_EditorProgramFile, &GlobalSettings::DefaultEditorProgramFile},
     menu_item_control::EditorProgramFile, 2, 2},
    {"QuillbrookCommandLine",
     TextSetting{&MenuItemSettings::CommandLine, &IService::get_CommandLine, &IService::put_CommandLine},
     menu_item_control::CommandLine, 3, 3},
    {"QuillbrookExtension",
     TextSetting{&MenuItemSettings::Extension, &IService::get_Extension, &IService::put_Extension,
                 &GlobalSettings::DefaultExtension},
     menu_item_control::Extension, 5, 4},
    {"QuillbrookCarbonCopyFile",
     TextSetting{&MenuItemSettings::CarbonCopyFile, &IService::get_CarbonCopyFile, &IService::put_CarbonCopyFile},
     menu_item_control::CarbonCopyFile, 4, 5},
    {"QuillbrookTemplateFile",
     TextSetting{&MenuItemSettings::TemplateFile, &IService::get_TemplateFile, &IService::put_TemplateFile},
     menu_item_control::TemplateFile, 6, 7},
    {"QuillbrookUnicode", FlagSetting{&MenuItemSettings::Unicode, &IService::get_Unicode, &IService::put_Unicode}, 0,
     11, kNoPlace},
    {"QuillbrookCloseAtSaving",
     FlagSetting{&MenuItemSettings::CloseAtSaving, &IService::get_CloseAtSaving, &IService::put_CloseAtSaving},
     menu_item_control::CloseAtSaving, 7, 8},
    {"QuillbrookCarbonCopy",
     FlagSetting{&MenuItemSettings::CarbonCopy, &IService::get_CarbonCopy, &IService::put_CarbonCopy},
     menu_item_control::CarbonCopy, 9, 10},
    {"QuillbrookDeleteTemporaryFile",
     FlagSetting{&MenuItemSettings::DeleteTemporaryFile, &IService::get_DeleteTemporaryFile,
                 &IService::put_DeleteTemporaryFile},
     menu_item_control::DeleteTemporaryFile, 8, 9},
    {"QuillbrookAlwaysAskTemplate",
     FlagSetting{&MenuItemSettings::AlwaysAskTemplate, &IService::get_AlwaysAskTemplate,
                 &IService::put_AlwaysAskTemplate},
     menu_item_control::AlwaysAskTemplate, 10, 11},
    {"QuillbrookUseTemplateFile",
     FlagSetting{&MenuItemSettings::UseTemplateFile, &IService::get_UseTemplateFile, &IService::put_UseTemplateFile},
     menu_item_control::UseTemplateFile, 12, 6},
    {"QuillbrookCodePage", NumberSetting{&MenuItemSettings::CodePage, &IService::get_CodePage, &IService::put_CodePage},
     menu_item_control::CodePage, 13, 12},
}};

// True when the places in `order` are 0, 1, 2, ... with none missing or taken twice.
constexpr bool isWholeOrder(std::uint8_t MenuItemSetting::*order)
{
    const auto taking =
        std::ranges::count_if(kMenuItemSettings, [&](const auto& row) { return row.*order != kNoPlace; });
    for (std::uint8_t place = 0; place < taking; ++place) {
        if (std::ranges::count(kMenuItemSettings, place, order) != 1)
            return false;
    }
    return true;
}

static_assert(isWholeOrder(&MenuItemSetting::copyOrder));
static_assert(isWholeOrder(&MenuItemSetting::dialogOrder));

// One visitor from a lambda per kind of setting, for std::visit on a row's access.
template <class... PerKind>
struct Overloaded : PerKind... {
    using PerKind::operator()...;
};
// Clang 14, which builds the fuzzers, does not deduce an aggregate's arguments by itself.
template <class... PerKind>
Overloaded(PerKind...) -> Overloaded<PerKind...>;

// Calls `visit` with every row that has a place in `order`, in that order.
template <class Visit>
void forEachMenuItemSetting(std::uint8_t MenuItemSetting::*order, Visit&& visit)
{
    for (std::uint8_t place = 0;; ++place) {
        const auto row = std::ranges::find(kMenuItemSettings, place, order);
        if (row == kMenuItemSettings.end())
            return;
        visit(*row);
    }
}

} // namespace quillbrook
