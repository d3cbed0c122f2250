// `quillbrook-reg export`: a key and everything below it as a registry file.
#pragma once

#include "platform/hive.h"

#include <ostream>
#include <string>
#include <string_view>

namespace quillbrook::regtool {

// The header, then one section per key, depth first, each followed by a blank line.
Win32Error writeExport(const RegistryKey& key, std::ostream& out);

// One value as it appears in a section; a long hex list spans several lines joined by "\\\n".
std::string exportValueLine(const RegistryValue& value);

// Backslashes and double quotes escaped, for a quoted name or string.
std::string escapeQuoted(std::string_view text);

} // namespace quillbrook::regtool
