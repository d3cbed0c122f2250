// The browser's per-user context-menu entries as the registry holds them: one key per entry below
// kMenuExtKeyPath, named after the entry. Its default value is the script the browser runs,
// "contexts" says on which elements the entry shows, "flags" how its script runs, and the
// ownership marker tells this program's entries from others'. The store writes the entries, the
// bridge and the service read them, brackenhop removes them.
#pragma once

#include "platform/hive.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillbrook {

// Under HKEY_CURRENT_USER.
inline constexpr char kMenuExtKeyPath[] = "Software\\Microsoft\\Internet Explorer\\MenuExt";

// Present, with any type and data, on the entries that belong to this program.
inline constexpr char kOwnershipMarker[] = "Quillbrook";

// A DWORD of bits; an entry with kTextBoxContext shows on form controls such as text boxes.
inline constexpr char kContextsValue[] = "contexts";
inline constexpr std::uint32_t kTextBoxContext = 4;

// A DWORD; kFlagsHidden runs the entry's script hidden rather than as a dialog.
inline constexpr char kFlagsValue[] = "flags";
inline constexpr std::uint32_t kFlagsHidden = 0;

// The path of the entry `name` under HKEY_CURRENT_USER.
std::string menuExtEntryPath(std::string_view name);

// Whether the entry's key carries the ownership marker.
bool carriesOwnershipMarker(const RegistryKey& entry);

// Whether the entry's "contexts" is a REG_DWORD of at least 4 bytes (only the first 4 count) with
// the text-box bit.
bool showsOnTextBoxes(const RegistryKey& entry);

} // namespace quillbrook
