// Menu items in the browser's per-user context-menu key: one key per item, named after its label,
// holding the script path, the browser's flags, the ownership marker and the item's settings. These
// are the bodies of the service's LoadFromMenuExt and SaveToMenuExt.
#pragma once

#include "platform/menu_ext_schema.h"
#include "platform/win32_error.h"
#include "store/menu_item_settings.h"
#include "store/registry_store.h"

#include <QString>

namespace quillbrook {

// `menuExt` is a store rooted at kMenuExtKeyPath with no section; its item becomes the label.
//
// Sets `settings.Label` and reads every stored setting of the item over the current ones: a value
// that is missing, empty or unreadable leaves its field as it was, and booleans keep the low 16
// bits of the value. An empty EditorProgramFile then becomes the system folder's notepad.exe.
// A label that isStorableLabel refuses touches neither the hive nor `settings`. Always S_OK.
[[nodiscard]] HRESULT loadMenuItem(CRegistryStore& menuExt, const QString& label, MenuItemSettings& settings);

// Writes the item's key (created when missing; other values in it are left alone), then its
// script file. Booleans are stored sign-extended, a null string as an empty one. A value that
// cannot be written is skipped (see LastResult). Returns the script's result, or
// HRESULT_FROM_WIN32(ERROR_INVALID_NAME) without writing anything when isStorableLabel refuses
// the label.
[[nodiscard]] HRESULT saveMenuItem(CRegistryStore& menuExt, const MenuItemSettings& settings);

} // namespace quillbrook
