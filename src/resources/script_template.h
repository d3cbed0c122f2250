// The HTML template of a menu item's script, carried in the program as the original carried its
// HTML resource 4. The browser runs the script to create the service, load the item's settings by
// label and register the right-clicked text box.
#pragma once

#include <string_view>

namespace quillbrook {

// The template's exact 375 bytes: seventeen lines separated by CR LF, none after the last, one
// "%s" where the label goes. Its meta line names Shift_JIS whatever the process charset, as the
// original's one language variant did.
std::string_view menuScriptTemplate();

} // namespace quillbrook
