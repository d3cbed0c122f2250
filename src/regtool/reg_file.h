// The registry file format shared by export and import: a header, then one key or value a line,
// as UTF-8 text (file_encoding.h turns a file's bytes into that text).
#pragma once

#include "platform/hive.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillbrook::regtool {

inline constexpr std::string_view regFileHeader = "Windows Registry Editor Version 5.00";

// Names and strings are narrow (process charset) in the hive and UTF-8 in the file. A leading
// U+FEFF is a character of the name or string here, never a byte order mark to drop.
std::string utf8FromNarrow(std::string_view narrow);
std::string narrowFromUtf8(std::string_view utf8);

// Whether narrow text goes into a file and comes back as the same bytes: not when they are not
// text in the process charset.
bool survivesTheFile(std::string_view narrow);

// hex(2) and hex(7) data are UTF-16LE code units in a file, as the original platform stores these
// types. The hive keeps them narrow: REG_EXPAND_SZ without a terminating zero, like every string
// it stores, REG_MULTI_SZ with the zeros that end each string and the list.
bool hexDataIsUtf16(RegistryType type);
// The code units of a REG_EXPAND_SZ or REG_MULTI_SZ, terminators included; the same text as
// `stored` when survivesTheFile(stored).
std::string utf16FromStoredText(RegistryType type, std::string_view stored);
// What the hive stores for those code units; nothing, and `problem` says why, when they are an
// odd number of bytes or hold a surrogate without its other half.
std::optional<std::string> storedTextFromUtf16(RegistryType type, std::string_view units, std::string& problem);

} // namespace quillbrook::regtool
