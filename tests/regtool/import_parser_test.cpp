#include "regtool/import_plan.h"

#include "support/temporary_home.h"
#include "utf16_file.h"

#include <gtest/gtest.h>

namespace quillbrook::regtool {
namespace {

using namespace std::string_literals;
using Action = ImportStep::Action;

std::string withHeader(const std::string& body)
{
    return "Windows Registry Editor Version 5.00\n\n" + body;
}

TEST(RegImportParser, ReadsEveryFormOfLine)
{
    const testing::ScopedLocale locale("C.UTF-8");
    const auto plan = parseImportFile("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                                      "\r\n"
                                      "; a comment\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\X]\r\n"
                                      "@=\"default\"\r\n"
                                      "\"a\\\"b\\\\c\"=\"C:\\\\x \\\"q\\\"\"\r\n"
                                      "\"Count\"=dword:0000002A\r\n"
                                      "\"Long\"=hex(7):61,00,00,00,\\\r\n"
                                      "  62,00,00,00,00,00\r\n"
                                      "\"Bin\"=hex:\r\n"
                                      "\"Gone\"=-\r\n"
                                      "\"名前\"=\"日本語\"\r\n"
                                      "\r\n"
                                      "[-hkcr\\.txt]\r\n"
                                      "[HKCU]\r\n"
                                      "\"Odd\"=hex(1234):ff\r\n");
    ASSERT_EQ(plan.error, "");
    const struct {
        Action action;
        size_t line;
        KeyPath key;
        RegistryValue value;
    } expected[] = {
        {Action::CreateKey, 4, {HiveRoot::CurrentUser, "Software\\X"}, {}},
        {Action::SetValue, 5, {}, {"", REG_SZ, "default"}},
        {Action::SetValue, 6, {}, {"a\"b\\c", REG_SZ, "C:\\x \"q\""}},
        {Action::SetValue, 7, {}, {"Count", REG_DWORD, "\x2a\0\0\0"s}},
        {Action::SetValue, 8, {}, {"Long", REG_MULTI_SZ, "a\0b\0\0"s}},
        {Action::SetValue, 10, {}, {"Bin", REG_BINARY, ""}},
        {Action::DeleteValue, 11, {}, {"Gone", REG_NONE, ""}},
        {Action::SetValue, 12, {}, {"名前", REG_SZ, "日本語"}},
        {Action::DeleteKey, 14, {HiveRoot::ClassesRoot, ".txt"}, {}},
        {Action::CreateKey, 15, {HiveRoot::CurrentUser, ""}, {}},
        {Action::SetValue, 16, {}, {"Odd", 0x1234, "\xff"}},
    };
    ASSERT_EQ(plan.steps.size(), std::size(expected));
    for (size_t i = 0; i < plan.steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const auto& step = plan.steps[i];
        EXPECT_EQ(step.action, expected[i].action);
        EXPECT_EQ(step.line, expected[i].line);
        EXPECT_TRUE(step.key == expected[i].key) << step.key.path;
        EXPECT_EQ(step.value.name, expected[i].value.name);
        EXPECT_EQ(step.value.type, expected[i].value.type);
        EXPECT_EQ(step.value.data, expected[i].value.data);
    }
}

// UTF-8 and UTF-16LE files alike.
TEST(RegImportParser, NamesTheLineOfAMalformedFile)
{
    const struct {
        const char* name;
        std::string content;
        size_t line;
        const char* error;
    } cases[] = {
        {"empty file", "", 1, "first line"},
        {"old header", "REGEDIT4\n\n[HKCU\\A]\n", 1, "first line"},
        {"value before any key", withHeader("\"a\"=\"b\"\n"), 3, "not inside a key"},
        {"value after a deleted key", withHeader("[-HKCU\\A]\n\"a\"=\"b\"\n"), 4, "not inside a key"},
        {"bad escape", withHeader("[HKCU\\A]\n\"a\"=\"b\\q\"\n"), 4, "backslash"},
        {"bad escape in a name", withHeader("[HKCU\\A]\n\"a\\n\"=\"b\"\n"), 4, "backslash"},
        {"unterminated string", withHeader("[HKCU\\A]\n\"a\"=\"b\n"), 4, "no closing quote"},
        {"text after a string", withHeader("[HKCU\\A]\n\"a\"=\"b\" c\n"), 4, "after the closing quote"},
        {"missing equals sign", withHeader("[HKCU\\A]\n\"a\" \"b\"\n"), 4, "'='"},
        {"bad hex digit", withHeader("[HKCU\\A]\n\"a\"=hex:0g\n"), 4, "hex bytes"},
        {"three hex digits", withHeader("[HKCU\\A]\n\"a\"=hex:123\n"), 4, "hex bytes"},
        {"continuation at the end", withHeader("[HKCU\\A]\n\"a\"=hex:01,\\\n"), 4, "hex bytes"},
        {"bad hex type", withHeader("[HKCU\\A]\n\"a\"=hex(xyz):01\n"), 4, "hex(...)"},
        {"hex without colon", withHeader("[HKCU\\A]\n\"a\"=hex 01\n"), 4, "':'"},
        {"dword of 9 digits", withHeader("[HKCU\\A]\n\"a\"=dword:123456789\n"), 4, "dword"},
        {"empty dword", withHeader("[HKCU\\A]\n\"a\"=dword:\n"), 4, "dword"},
        {"dword with 0x", withHeader("[HKCU\\A]\n\"a\"=dword:0x1\n"), 4, "dword"},
        {"unknown data", withHeader("[HKCU\\A]\n\"a\"=str:x\n"), 4, "not a string"},
        {"unknown root", withHeader("[HKEY_LOCAL_MACHINE\\Software]\n"), 3, "HKEY_LOCAL_MACHINE\\Software"},
        {"empty key component", withHeader("[HKCU\\A\\\\B]\n"), 3, "is not a key"},
        {"deleting a root", withHeader("[-HKCU]\n"), 3, "root key"},
        {"unclosed key", withHeader("[HKCU\\A\n"), 3, "']'"},
        {"stray line", withHeader("[HKCU\\A]\nfoo\n"), 4, "neither"},
        {"after a continued value", withHeader("[HKCU\\A]\n\"a\"=hex:01,\\\n  02\n\"b\"=dword:x\n"), 6, "dword"},
        // UTF-16LE files, which start with their byte order mark.
        {"odd last byte", utf16leFile(u"Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\A]") + "\x01", 3,
         "the UTF-16 file ends in the middle of a character"},
        {"only the byte order mark and a byte", "\xFF\xFE\x57", 1, "the UTF-16 file ends in the middle"},
        {"only the byte order mark", "\xFF\xFE", 1, "first line"},
        {"big-endian", "\xFE\xFF" + utf16leFile(u"\u5700").substr(2), 1, "first line"},
        {"without a byte order mark", utf16leFile(u"Windows Registry Editor Version 5.00\r\n").substr(2), 1,
         "first line"},
        {"malformed value",
         utf16leFile(u"Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\A]\r\n\"a\"=hex(7):61\r\n"), 4,
         "odd number of bytes"},
    };
    for (const auto& c : cases) {
        const auto plan = parseImportFile(c.content);
        EXPECT_EQ(plan.errorLine, c.line) << c.name;
        EXPECT_NE(plan.error.find(c.error), std::string::npos) << c.name << ": " << plan.error;
        EXPECT_TRUE(plan.steps.empty()) << c.name;
    }
}

TEST(RegImportParser, ReadsExpandAndMultiStringsAsUtf16CodeUnits)
{
    const testing::ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    const struct {
        const char* name;
        std::string data;
        RegistryType type;
        std::string stored;
    } cases[] = {
        {"expandable string", "hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00", REG_EXPAND_SZ, "%HOME%"},
        {"expandable string without its terminator", "hex(2):61,00", REG_EXPAND_SZ, "a"},
        {"only the first terminator goes", "hex(2):61,00,00,00,00,00", REG_EXPAND_SZ, "a\0"s},
        {"surrogate pair", "hex(2):3d,d8,00,de,00,00", REG_EXPAND_SZ, "\xF0\x9F\x98\x80"},
        {"two strings", "hex(7):61,00,00,00,62,00,63,00,00,00,00,00", REG_MULTI_SZ, "a\0bc\0\0"s},
        {"other string types stay bytes", "hex(1):61,00", REG_SZ, "a\0"s},
    };
    for (const auto& c : cases) {
        const auto plan = parseImportFile(withHeader("[HKCU\\A]\n\"v\"=" + c.data + "\n"));
        ASSERT_EQ(plan.error, "") << c.name;
        ASSERT_EQ(plan.steps.size(), 2u) << c.name;
        EXPECT_EQ(plan.steps[1].value.type, c.type) << c.name;
        EXPECT_EQ(plan.steps[1].value.data, c.stored) << c.name;
    }
}

TEST(RegImportParser, NamesTheLineOfMalformedUtf16Data)
{
    const struct {
        const char* name;
        std::string data;
        const char* error;
    } cases[] = {
        {"odd byte count", "hex(2):25,00,48", "the hex(2) data is an odd number of bytes, not UTF-16LE code units"},
        {"odd over two lines", "hex(7):61,00,\\\n  00", "the hex(7) data is an odd number of bytes"},
        {"high surrogate at the end", "hex(2):3d,d8",
         "the hex(2) data holds a UTF-16 surrogate without its other half"},
        {"high surrogate before a letter", "hex(7):3d,d8,61,00,00,00,00,00", "surrogate without its other half"},
    };
    for (const auto& c : cases) {
        const auto plan = parseImportFile(withHeader("[HKCU\\A]\n\"ok\"=dword:1\n\"v\"=" + c.data + "\n"));
        EXPECT_EQ(plan.errorLine, 5u) << c.name;
        EXPECT_NE(plan.error.find(c.error), std::string::npos) << c.name << ": " << plan.error;
        EXPECT_TRUE(plan.steps.empty()) << c.name;
    }
}

} // namespace
} // namespace quillbrook::regtool
