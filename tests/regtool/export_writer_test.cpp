#include "regtool/export_writer.h"

#include "support/temporary_home.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quillbrook::regtool {
namespace {

using namespace std::string_literals;
using testing::ScopedLocale;

struct LineCase {
    const char* name;
    RegistryValue value;
    std::string line;
};

void expectLines(const std::vector<LineCase>& cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(exportValueLine(c.value), c.line) << c.name;
}

TEST(RegExportFormat, WritesEachTypeInItsForm)
{
    const ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    expectLines({
        {"default string", {"", REG_SZ, "text"}, "@=\"text\""},
        {"escapes", {"a\"b\\c", REG_SZ, "C:\\x \"q\""}, R"("a\"b\\c"="C:\\x \"q\"")"},
        {"empty string", {"n", REG_SZ, ""}, "\"n\"=\"\""},
        {"string with a zero byte", {"n", REG_SZ, "a\0b"s}, "\"n\"=hex(1):61,00,62"},
        {"string with a terminator", {"n", REG_SZ, "a\0"s}, "\"n\"=hex(1):61,00"},
        {"string with a line feed", {"n", REG_SZ, "a\nb"}, "\"n\"=hex(1):61,0a,62"},
        {"string with a carriage return", {"n", REG_SZ, "a\rb"}, "\"n\"=hex(1):61,0d,62"},
        {"string that is not UTF-8", {"n", REG_SZ, "\xff"}, "\"n\"=hex(1):ff"},
        {"Japanese string", {"名前", REG_SZ, "日本語"}, "\"名前\"=\"日本語\""},
        {"dword", {"n", REG_DWORD, "\x2a\0\0\0"s}, "\"n\"=dword:0000002a"},
        {"dword max", {"n", REG_DWORD, "\xff\xff\xff\xfe"s}, "\"n\"=dword:feffffff"},
        {"dword of 8 bytes", {"n", REG_DWORD, "\x2a\0\0\0\0\0\0\0"s}, "\"n\"=hex(4):2a,00,00,00,00,00,00,00"},
        {"binary", {"n", REG_BINARY, "\x01\x02\xab"}, "\"n\"=hex:01,02,ab"},
        {"empty binary", {"n", REG_BINARY, ""}, "\"n\"=hex:"},
        {"none", {"n", REG_NONE, ""}, "\"n\"=hex(0):"},
        {"expandable string", {"n", REG_EXPAND_SZ, "%A%"}, "\"n\"=hex(2):25,00,41,00,25,00,00,00"},
        {"multi string", {"n", REG_MULTI_SZ, "a\0\0"s}, "\"n\"=hex(7):61,00,00,00,00,00"},
        {"expandable string beyond the BMP",
         {"n", REG_EXPAND_SZ, "é\xF0\x9F\x98\x80"},
         "\"n\"=hex(2):e9,00,3d,d8,00,de,00,00"},
        {"empty multi string", {"n", REG_MULTI_SZ, "\0"s}, "\"n\"=hex(7):00,00"},
        {"qword", {"n", REG_QWORD, "\x01\0\0\0\0\0\0\0"s}, "\"n\"=hex(b):01,00,00,00,00,00,00,00"},
        {"unnamed type", {"n", 0x1234, "\x01"}, "\"n\"=hex(1234):01"},
    });
}

TEST(RegExportFormat, WritesStringsTheCharsetCannotCarryAsHex)
{
    const ScopedLocale locale("C");
    ASSERT_TRUE(locale.ok());
    expectLines({
        {"ASCII", {"n", REG_SZ, "abc"}, "\"n\"=\"abc\""},
        {"UTF-8 bytes under ASCII", {"n", REG_SZ, "\xc3\xa9"}, "\"n\"=hex(1):c3,a9"},
    });
}

TEST(RegExportFormat, WrapsLongHexListsAtEightyColumns)
{
    EXPECT_EQ(exportValueLine({"n", REG_BINARY, std::string(30, '\xab')}),
              "\"n\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\n"
              "  ab,ab,ab,ab,ab,ab,ab");

    for (const std::string& name : {std::string("n"), std::string("a name of some length"), std::string(90, 'x')}) {
        std::string bytes;
        for (int i = 0; i < 1000; ++i)
            bytes.push_back(static_cast<char>(i));
        std::istringstream lines(exportValueLine({name, REG_NONE, bytes}));
        std::string line;
        std::string list;
        for (int number = 1; std::getline(lines, line); ++number) {
            SCOPED_TRACE("name of " + std::to_string(name.size()) + " characters, line " + std::to_string(number));
            if (number > 1 || name.size() < 60) {
                EXPECT_LE(line.size(), 80u);
            }
            if (number > 1) {
                ASSERT_TRUE(line.starts_with("  "));
            }
            if (!lines.eof()) {
                ASSERT_TRUE(line.ends_with(",\\"));
            }
            list += number == 1 ? line.substr(line.find(':') + 1) : line.substr(2);
            if (!lines.eof())
                list.pop_back();
        }
        EXPECT_EQ(list.size(), 3 * bytes.size() - 1);
        EXPECT_EQ(list.substr(list.size() - 8), "e5,e6,e7");
    }
}

} // namespace
} // namespace quillbrook::regtool
