// A registry file as the original platform's registry editor writes it: UTF-16LE after the byte
// order mark FF FE. Written out here byte by byte, apart from the code under test.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook::regtool {

inline std::string utf16leFile(std::u16string_view text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

} // namespace quillbrook::regtool
