// The file types that the Open File dialog offers, made from the service's `Extensions` setting:
// the extension list, its "*.ext" patterns and the dialog's filter.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

// The extensions of a ";"-separated list, each without its leading and trailing blanks, tabs,
// carriage returns and line feeds; empty pieces are skipped. A separator at the very start or
// right after another one ends the list there. No extension at all gives the single "txt".
std::vector<std::string> splitExtensions(std::string_view extensions);

// Each extension as "*.ext", joined by "; ".
std::string patternList(std::span<const std::string> extensions);

// The dialog's filter: `format` (two "%s", as string 137) filled with the pattern list of
// `extensions` for both. The filter is built in a buffer of `bufferSize` bytes; when it does not
// fit, the last extensions are left out of the patterns until it does (the first one always stays).
std::string fileTypeFilter(std::string_view format, std::span<const std::string> extensions, std::size_t bufferSize);

} // namespace quillbrook
