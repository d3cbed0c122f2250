// The registry file format shared by export and import: UTF-8, one value per line.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook::regtool {

inline constexpr std::string_view regFileHeader = "Windows Registry Editor Version 5.00";

// Names and strings are narrow (process charset) in the hive and UTF-8 in the file.
std::string utf8FromNarrow(std::string_view narrow);
std::string narrowFromUtf8(std::string_view utf8);

} // namespace quillbrook::regtool
