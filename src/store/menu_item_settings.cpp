#include "store/menu_item_settings.h"

#include "platform/charset.h"
#include "store/global_settings.h"

namespace quillbrook {

MenuItemSettings MenuItemSettings::withGlobalDefaults(const GlobalSettings& settings)
{
    MenuItemSettings defaults;
    defaults.Label = toWide(settings.DefaultLabel);
    defaults.EditorProgramFile = toWide(settings.DefaultEditorProgramFile);
    defaults.EditorName = toWide(settings.DefaultEditorName);
    defaults.Extension = toWide(settings.DefaultExtension);
    return defaults;
}

} // namespace quillbrook
