// The script file of a menu item: the small HTML page that the browser runs when the user picks
// the item. It lives in the scripts folder of the global settings, named after the label.
#pragma once

#include "platform/win32_error.h"

#include <string>

namespace quillbrook {

// ScriptsFolderPath joined with exactly one '/' to the label (in the process charset), then
// ".htm".
std::string MenuScriptPath(const std::string& label);

// Writes the script of the label (in the process charset) to MenuScriptPath(label), replacing
// any file there: the script template with the label put in unchanged, nothing escaped. Returns
// S_OK or HRESULT_FROM_WIN32 of the failure (a missing scripts folder: ERROR_PATH_NOT_FOUND).
[[nodiscard]] HRESULT WriteMenuScript(const std::string& label);

} // namespace quillbrook
