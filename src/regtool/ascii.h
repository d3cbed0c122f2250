// Letter case of ASCII only: option names, type names and answers are ASCII whatever the charset.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook::regtool {

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = asciiLower(c);
    return lower;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return asciiLower(a) == asciiLower(b);
}

} // namespace quillbrook::regtool
