#include "regtool/value_text.h"

#include <gtest/gtest.h>

namespace quillbrook::regtool {
namespace {

using namespace std::string_literals;

TEST(RegValueText, NamesEveryType)
{
    const std::pair<RegistryType, const char*> cases[] = {
        {REG_NONE, "REG_NONE"},
        {REG_SZ, "REG_SZ"},
        {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
        {REG_BINARY, "REG_BINARY"},
        {REG_DWORD, "REG_DWORD"},
        {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
        {REG_LINK, "REG_LINK"},
        {REG_MULTI_SZ, "REG_MULTI_SZ"},
        {REG_RESOURCE_LIST, "REG_RESOURCE_LIST"},
        {REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR"},
        {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST"},
        {REG_QWORD, "REG_QWORD"},
        {12, "REG_0xc"},
        {0x1234, "REG_0x1234"},
        {0xFFFFFFFF, "REG_0xffffffff"},
    };
    for (const auto& [type, name] : cases)
        EXPECT_EQ(registryTypeName(type), name) << "type " << type;
}

TEST(RegValueText, FormatsTheQueryDataColumn)
{
    const struct {
        const char* name;
        RegistryType type;
        std::string data;
        const char* shown;
    } cases[] = {
        {"dword", REG_DWORD, "\x2a\0\0\0"s, "0x2a"},
        {"dword zero", REG_DWORD, "\0\0\0\0"s, "0x0"},
        {"dword max", REG_DWORD, "\xff\xff\xff\xff"s, "0xffffffff"},
        {"dword of 8 bytes", REG_DWORD, "\x2a\0\0\0\0\0\0\0"s, "2A00000000000000"},
        {"empty dword", REG_DWORD, "", ""},
        {"qword", REG_QWORD, "\x08\x07\x06\x05\x04\x03\x02\x01"s, "0x102030405060708"},
        {"qword of 4 bytes", REG_QWORD, "\x2a\0\0\0"s, "2A000000"},
        {"string to the first zero", REG_SZ, "ab\0cd"s, "ab"},
        {"empty string", REG_SZ, "", ""},
        {"expandable string", REG_EXPAND_SZ, "%HOME%\\x", "%HOME%\\x"},
        {"multi string", REG_MULTI_SZ, "a\0bc\0\0"s, "a\\0bc"},
        {"multi string without ends", REG_MULTI_SZ, "a\0b"s, "a\\0b"},
        {"empty multi string", REG_MULTI_SZ, "\0"s, ""},
        {"binary", REG_BINARY, "\x01\xab\x00"s, "01AB00"},
        {"big-endian dword", REG_DWORD_BIG_ENDIAN, "\0\0\0\x2a"s, "0000002A"},
        {"none", REG_NONE, "", ""},
        {"unnamed type", 0x1234, "\xfe", "FE"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatQueryData({"", c.type, c.data}), c.shown) << c.name;
}

TEST(RegValueText, EncodesAddDataPerType)
{
    const std::optional<std::string> invalid;
    const struct {
        const char* name;
        RegistryType type;
        const char* text;
        std::optional<std::string> stored;
    } cases[] = {
        {"string without terminator", REG_SZ, "a b", "a b"},
        {"empty string", REG_SZ, "", ""},
        {"expandable string", REG_EXPAND_SZ, "%HOME%", "%HOME%"},
        {"multi string", REG_MULTI_SZ, "a\\0bc", "a\0bc\0\0"s},
        {"one-item multi string", REG_MULTI_SZ, "a", "a\0\0"s},
        {"empty multi string", REG_MULTI_SZ, "", "\0"s},
        {"decimal dword", REG_DWORD, "42", "\x2a\0\0\0"s},
        {"hex dword", REG_DWORD, "0X2A", "\x2a\0\0\0"s},
        {"largest dword", REG_DWORD, "4294967295", "\xff\xff\xff\xff"s},
        {"dword too large", REG_DWORD, "4294967296", invalid},
        {"hex dword too large", REG_DWORD, "0x100000000", invalid},
        {"negative dword", REG_DWORD, "-1", invalid},
        {"hex digit in decimal", REG_DWORD, "12a", invalid},
        {"bare 0x", REG_DWORD, "0x", invalid},
        {"missing dword", REG_DWORD, "", "\0\0\0\0"s},
        {"largest qword", REG_QWORD, "18446744073709551615", "\xff\xff\xff\xff\xff\xff\xff\xff"s},
        {"qword too large", REG_QWORD, "18446744073709551616", invalid},
        {"hex qword", REG_QWORD, "0x0102030405060708", "\x08\x07\x06\x05\x04\x03\x02\x01"s},
        {"binary", REG_BINARY, "01aBff", "\x01\xab\xff"s},
        {"odd binary", REG_BINARY, "abc", invalid},
        {"not hex", REG_BINARY, "zz", invalid},
        {"empty none", REG_NONE, "", ""},
        {"none with bytes", REG_NONE, "00", "\0"s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodeAddData(c.type, c.text), c.stored) << c.name;
}

TEST(RegValueText, AcceptsOnlyTheAddTypes)
{
    EXPECT_EQ(parseAddType("reg_expand_sz"), REG_EXPAND_SZ);
    EXPECT_EQ(parseAddType("REG_QWORD"), REG_QWORD);
    for (const char* name : {"REG_LINK", "REG_DWORD_BIG_ENDIAN", "REG_RESOURCE_LIST", "REG_0x1234", "SZ", ""})
        EXPECT_EQ(parseAddType(name), std::nullopt) << name;
}

} // namespace
} // namespace quillbrook::regtool
