#include "store/menu_item_settings.h"

#include "platform/charset.h"
#include "store/global_settings.h"
#include "store/menu_item_setting_table.h"

namespace quillbrook {

MenuItemSettings MenuItemSettings::withGlobalDefaults(const GlobalSettings& settings)
{
    MenuItemSettings defaults;
    for (const MenuItemSetting& row : kMenuItemSettings) {
        const auto* text = std::get_if<TextSetting>(&row.access);
        if (text && text->globalDefault)
            defaults.*text->field = toWide(settings.*text->globalDefault);
    }
    return defaults;
}

} // namespace quillbrook
