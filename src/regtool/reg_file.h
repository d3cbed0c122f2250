// The registry file format shared by export and import: UTF-8, one value per line.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillbrook::regtool {

inline constexpr std::string_view regFileHeader = "Windows Registry Editor Version 5.00";

// Names and strings are narrow (process charset) in the hive and UTF-8 in the file. A leading
// U+FEFF is a character of the name or string here, never a byte order mark to drop.
std::string utf8FromNarrow(std::string_view narrow);
std::string narrowFromUtf8(std::string_view utf8);
QString wideFromNarrow(std::string_view narrow);
QString wideFromUtf8(std::string_view utf8);

// Whether narrow text goes into a file and comes back as the same bytes: not when they are not
// text in the process charset.
bool survivesTheFile(std::string_view narrow);

} // namespace quillbrook::regtool
