// `quillbrook-reg export`: a key and everything below it as a registry file.
#pragma once

#include "platform/hive.h"

#include <ostream>
#include <string>
#include <string_view>

namespace quillbrook::regtool {

struct ExportFailure {
    Win32Error error = ERROR_SUCCESS; // of the hive
    std::string problem;              // a key or value the file cannot carry, in plain words; empty if none
};

// The header, then one section per key, depth first, each followed by a blank line. Stops at the
// first key or value that a file cannot give back as it is in the hive.
ExportFailure writeExport(const RegistryKey& key, std::ostream& out);

// Why a file cannot carry the key named `keyName`, or its value `value`; empty when it can.
std::string keyExportProblem(std::string_view keyName);
std::string valueExportProblem(std::string_view keyName, const RegistryValue& value);

// One value, without a valueExportProblem, as it appears in a section; a long hex list spans
// several lines joined by "\\\n".
std::string exportValueLine(const RegistryValue& value);

// Backslashes and double quotes escaped, for a quoted name or string.
std::string escapeQuoted(std::string_view text);

} // namespace quillbrook::regtool
