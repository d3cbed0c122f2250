#include "regtool/value_text.h"

#include "regtool/ascii.h"

#include <array>
#include <limits>

namespace quillbrook::regtool {
namespace {

struct TypeName {
    RegistryType type;
    std::string_view name;
    bool acceptedByAdd;
};

constexpr std::array typeNames{
    TypeName{REG_NONE, "REG_NONE", true},
    TypeName{REG_SZ, "REG_SZ", true},
    TypeName{REG_EXPAND_SZ, "REG_EXPAND_SZ", true},
    TypeName{REG_BINARY, "REG_BINARY", true},
    TypeName{REG_DWORD, "REG_DWORD", true},
    TypeName{REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN", false},
    TypeName{REG_LINK, "REG_LINK", false},
    TypeName{REG_MULTI_SZ, "REG_MULTI_SZ", true},
    TypeName{REG_RESOURCE_LIST, "REG_RESOURCE_LIST", false},
    TypeName{REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    TypeName{REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    TypeName{REG_QWORD, "REG_QWORD", true},
};

std::uint64_t littleEndianNumber(std::string_view bytes)
{
    std::uint64_t number = 0;
    for (size_t i = bytes.size(); i > 0; --i)
        number = number << 8 | static_cast<unsigned char>(bytes[i - 1]);
    return number;
}

// REG_MULTI_SZ data: strings each ended by a zero byte, the list ended by an empty string.
std::string joinMultiString(std::string_view data)
{
    std::string joined;
    bool first = true;
    while (!data.empty()) {
        const auto end = data.find('\0');
        const auto item = data.substr(0, end);
        if (item.empty())
            break;
        if (!first)
            joined += "\\0";
        joined += item;
        first = false;
        data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
    }
    return joined;
}

std::string splitMultiString(std::string_view data)
{
    std::string stored;
    for (size_t separator; (separator = data.find("\\0")) != std::string_view::npos;) {
        stored.append(data.substr(0, separator)).push_back('\0');
        data.remove_prefix(separator + 2);
    }
    if (!data.empty())
        stored.append(data).push_back('\0');
    stored.push_back('\0');
    return stored;
}

} // namespace

std::string registryTypeName(RegistryType type)
{
    for (const auto& entry : typeNames) {
        if (entry.type == type)
            return std::string(entry.name);
    }
    return "REG_0x" + hexNumber(type);
}

std::optional<RegistryType> parseAddType(std::string_view name)
{
    for (const auto& entry : typeNames) {
        if (entry.acceptedByAdd && equalsIgnoringCase(entry.name, name))
            return entry.type;
    }
    return std::nullopt;
}

std::string formatQueryData(const RegistryValue& value)
{
    const std::string_view data = value.data;
    switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return std::string(data.substr(0, data.find('\0')));
    case REG_MULTI_SZ: return joinMultiString(data);
    case REG_DWORD:
        if (data.size() == 4)
            return "0x" + hexNumber(littleEndianNumber(data));
        break;
    case REG_QWORD:
        if (data.size() == 8)
            return "0x" + hexNumber(littleEndianNumber(data));
        break;
    default: break;
    }
    return hexDigits(data, true);
}

std::optional<std::string> encodeAddData(RegistryType type, std::string_view data)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return std::string(data);
    case REG_MULTI_SZ: return data.empty() ? std::string(1, '\0') : splitMultiString(data);
    case REG_DWORD:
    case REG_QWORD: {
        const bool dword = type == REG_DWORD;
        if (data.empty())
            return std::string(dword ? 4 : 8, '\0');
        const auto number = parseUnsigned(data, dword ? std::numeric_limits<std::uint32_t>::max()
                                                      : std::numeric_limits<std::uint64_t>::max());
        if (!number)
            return std::nullopt;
        return littleEndianBytes(*number, dword ? 4 : 8);
    }
    case REG_BINARY:
    case REG_NONE: return parseHexDigits(data);
    default: return std::nullopt;
    }
}

std::string hexNumber(std::uint64_t number)
{
    constexpr std::string_view digits = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[number % 16]);
        number /= 16;
    } while (number != 0);
    return text;
}

std::string hexDigits(std::string_view bytes, bool upperCase)
{
    const std::string_view digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0xF]);
    }
    return text;
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> parseHexDigits(std::string_view digits)
{
    if (digits.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigitValue(digits[i]);
        const int low = hexDigitValue(digits[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>(high << 4 | low));
    }
    return bytes;
}

std::optional<std::uint64_t> parseUnsigned(std::string_view text, std::uint64_t maximum)
{
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && asciiLower(text[1]) == 'x') {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            return std::nullopt;
        if (number > (maximum - static_cast<unsigned>(digit)) / base)
            return std::nullopt;
        number = number * base + static_cast<unsigned>(digit);
    }
    return number;
}

std::string littleEndianBytes(std::uint64_t number, int bytes)
{
    std::string data;
    for (int i = 0; i < bytes; ++i) {
        data.push_back(static_cast<char>(number & 0xFF));
        number >>= 8;
    }
    return data;
}

} // namespace quillbrook::regtool
