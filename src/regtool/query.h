// The output of `quillbrook-reg query`.
#pragma once

#include "regtool/command_line.h"

#include <ostream>

namespace quillbrook::regtool {

struct QuerySelection {
    ValueChoice value = ValueChoice::None; // None, Named or Default
    std::string valueName;
    bool recursive = false;
};

// One line per key and value as the registry tool prints them. A missing value gives
// ERROR_FILE_NOT_FOUND and no output; with `recursive`, only when no key of the tree has it.
[[nodiscard]] Win32Error writeQuery(const RegistryKey& key, const QuerySelection& selection, std::ostream& out);

// "    name    REG_SZ    data"
std::string queryValueLine(const RegistryValue& value);

} // namespace quillbrook::regtool
