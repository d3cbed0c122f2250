// A 16-byte globally unique identifier with the original platform's layout (one 32-bit, two
// 16-bit fields, eight bytes) and its registry text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillbrook {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    // The braced form only, hex digits in either case. Usable in constant expressions, so that a
    // fixed GUID written as text is checked when it is compiled: `*Guid::parse("{...}")`.
    static constexpr std::optional<Guid> parse(std::string_view text);

    // Braced, upper-case hex, as the registry stores class and interface ids.
    std::string toString() const;

    constexpr bool isNull() const { return *this == Guid{}; }

    friend constexpr auto operator<=>(const Guid&, const Guid&) = default;
};
static_assert(sizeof(Guid) == 16);

namespace guid_detail {

constexpr int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`; false when one of them is not a hex digit.
constexpr bool readHex(std::string_view text, std::size_t pos, std::size_t digits, std::uint32_t& value)
{
    value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int v = hexValue(text[pos + i]);
        if (v < 0)
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(v);
    }
    return true;
}

} // namespace guid_detail

constexpr std::optional<Guid> Guid::parse(std::string_view text)
{
    // {01234567-0123-0123-0123-012345678901}
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' || text[19] != '-'
        || text[24] != '-')
        return std::nullopt;
    Guid guid;
    std::uint32_t value = 0;
    if (!guid_detail::readHex(text, 1, 8, guid.data1))
        return std::nullopt;
    if (!guid_detail::readHex(text, 10, 4, value))
        return std::nullopt;
    guid.data2 = static_cast<std::uint16_t>(value);
    if (!guid_detail::readHex(text, 15, 4, value))
        return std::nullopt;
    guid.data3 = static_cast<std::uint16_t>(value);
    constexpr std::size_t bytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!guid_detail::readHex(text, bytePositions[i], 2, value))
            return std::nullopt;
        guid.data4[i] = static_cast<std::uint8_t>(value);
    }
    return guid;
}

} // namespace quillbrook
