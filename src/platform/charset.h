// Narrow strings (paths, registry strings, command lines) are bytes in the charset of the process
// locale, the stand-in for the original platform's ANSI code page. These conversions never fail:
// a character the charset cannot hold becomes '?', bytes that are not valid in it become U+FFFD.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quillbrook {

// The charset of the process locale as iconv names it ("UTF-8", "EUC-JP", "ANSI_X3.4-1968", ...).
// Programs call setlocale(LC_ALL, "") at start; before that the C locale's charset is used.
std::string processCharset();

// Narrow (process charset) to UTF-16. An empty input gives an empty, non-null string.
QString toWide(std::string_view narrow);
// UTF-16 to narrow; a null string gives an empty one.
std::string toNarrow(QStringView wide);

// Between any charset iconv knows and UTF-16, with the same replacement rules. An unknown charset
// is treated as the process charset.
QString decodeCharset(std::string_view bytes, const std::string& charset);
std::string encodeCharset(QStringView text, const std::string& charset);

} // namespace quillbrook
