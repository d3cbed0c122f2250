#include "regtool/command_line.h"

#include <gtest/gtest.h>

namespace quillbrook::regtool {
namespace {

using Args = std::vector<std::string>;

std::string joined(const Args& arguments)
{
    std::string line;
    for (const auto& argument : arguments)
        line += (line.empty() ? "" : " ") + argument;
    return line;
}

struct GoodCase {
    const char* name;
    Args arguments;
    Operation operation;
    KeyPath key;
    ValueChoice value = ValueChoice::None;
    std::string valueName{};
    bool recursive = false;
    RegistryType type = REG_SZ;
    std::string data{};
    bool force = false;
    std::string file{};
    RegFileEncoding encoding = RegFileEncoding::Utf8;
};

TEST(RegCommandLine, ParsesEveryOperationAndOption)
{
    const KeyPath x{HiveRoot::CurrentUser, "Software\\X"};
    const GoodCase cases[] = {
        {"query", {"query", "HKCU\\Software\\X"}, Operation::Query, x},
        {"long root, any case", {"QUERY", "hkey_current_user\\Software\\X"}, Operation::Query, x},
        {"classes root",
         {"query", "HKCR\\.txt", "/S"},
         Operation::Query,
         {HiveRoot::ClassesRoot, ".txt"},
         ValueChoice::None,
         "",
         true},
        {"dash option", {"query", "HKCU\\Software\\X", "-s"}, Operation::Query, x, ValueChoice::None, "", true},
        {"trailing backslash", {"query", "HKCU\\Software\\X\\"}, Operation::Query, x},
        {"root only", {"query", "HKCU"}, Operation::Query, {HiveRoot::CurrentUser, ""}},
        {"named value", {"query", "HKCU\\Software\\X", "/V", "Path"}, Operation::Query, x, ValueChoice::Named, "Path"},
        {"value named like an option",
         {"query", "HKCU\\Software\\X", "/v", "/s"},
         Operation::Query,
         x,
         ValueChoice::Named,
         "/s"},
        {"default value", {"query", "HKCU\\Software\\X", "/ve"}, Operation::Query, x, ValueChoice::Default},
        {"add key only", {"add", "HKCU\\Software\\X"}, Operation::Add, x},
        {"add string",
         {"add", "HKCU\\Software\\X", "/ve", "/d", "text"},
         Operation::Add,
         x,
         ValueChoice::Default,
         "",
         false,
         REG_SZ,
         "text"},
        {"add dword",
         {"add", "HKCU\\Software\\X", "/v", "n", "/t", "reg_dword", "/d", "0x2a", "/F"},
         Operation::Add,
         x,
         ValueChoice::Named,
         "n",
         false,
         REG_DWORD,
         std::string("\x2a\0\0\0", 4),
         true},
        {"add without data",
         {"add", "HKCU\\Software\\X", "/v", "n", "/t", "REG_BINARY"},
         Operation::Add,
         x,
         ValueChoice::Named,
         "n",
         false,
         REG_BINARY,
         ""},
        {"delete all values",
         {"delete", "HKCU\\Software\\X", "/va", "/f"},
         Operation::Delete,
         x,
         ValueChoice::All,
         "",
         false,
         REG_SZ,
         "",
         true},
        {"export to an absolute path",
         {"export", "HKCU\\Software\\X", "/tmp/x.reg", "/y"},
         Operation::Export,
         x,
         ValueChoice::None,
         "",
         false,
         REG_SZ,
         "",
         true,
         "/tmp/x.reg"},
        {"export in UTF-16",
         {"export", "HKCU\\Software\\X", "x.reg", "-UTF16", "/y"},
         Operation::Export,
         x,
         ValueChoice::None,
         "",
         false,
         REG_SZ,
         "",
         true,
         "x.reg",
         RegFileEncoding::Utf16},
        {"import",
         {"import", "/tmp/x.reg"},
         Operation::Import,
         {},
         ValueChoice::None,
         "",
         false,
         REG_SZ,
         "",
         false,
         "/tmp/x.reg"},
        {"help", {"/?"}, Operation::Usage, {}},
        {"help of an operation", {"add", "/?"}, Operation::Usage, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = parseCommandLine(c.arguments);
        ASSERT_EQ(parsed.error, "");
        const auto& command = parsed.command;
        EXPECT_EQ(command.operation, c.operation);
        EXPECT_TRUE(command.key == c.key) << command.key.path;
        EXPECT_EQ(command.value, c.value);
        EXPECT_EQ(command.valueName, c.valueName);
        EXPECT_EQ(command.recursive, c.recursive);
        EXPECT_EQ(command.type, c.type);
        EXPECT_EQ(command.data, c.data);
        EXPECT_EQ(command.force, c.force);
        EXPECT_EQ(command.file, c.file);
        EXPECT_EQ(command.encoding, c.encoding);
    }
}

TEST(RegCommandLine, RejectsBadCommandLines)
{
    const struct {
        Args arguments;
        const char* error;
    } cases[] = {
        {{}, "no operation"},
        {{"frobnicate", "HKCU"}, "Invalid operation \"frobnicate\""},
        {{"query"}, "a key name is missing"},
        {{"export", "HKCU\\A"}, "a key name is missing"},
        {{"import"}, "a file name is missing"},
        {{"query", "HKLM\\Software"}, "Invalid key name \"HKLM\\Software\""},
        {{"query", "HKCU\\a\\\\b"}, "Invalid key name"},
        {{"query", "HKCUX\\a"}, "Invalid key name"},
        {{"query", "HKCU\\A", "/x"}, "unknown option \"/x\""},
        {{"query", "HKCU\\A", "/f"}, "unknown option \"/f\""},
        {{"import", "a.reg", "/y"}, "unknown option \"/y\""},
        {{"import", "a.reg", "/utf16"}, "unknown option \"/utf16\""},
        {{"export", "HKCU\\A", "a.reg", "/utf16", "/utf16"}, "\"/utf16\" is given twice"},
        {{"query", "HKCU\\A", "extra"}, "unexpected argument \"extra\""},
        {{"query", "HKCU\\A", "/v"}, "\"/v\" needs an argument"},
        {{"query", "HKCU\\A", "/s", "/S"}, "\"/S\" is given twice"},
        {{"query", "HKCU\\A", "/v", "a", "/ve"}, "exclude each other"},
        {{"delete", "HKCU\\A", "/va", "/ve"}, "exclude each other"},
        {{"add", "HKCU\\A", "/d", "x"}, "need /v or /ve"},
        {{"add", "HKCU\\A", "/v", "n", "/t", "REG_LINK"}, "Invalid type \"REG_LINK\""},
        {{"add", "HKCU\\A", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"},
         "Invalid data \"4294967296\" for REG_DWORD"},
        {{"add", "HKCU\\A", "/v", "n", "/t", "REG_BINARY", "/d", "abc"}, "Invalid data"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseCommandLine(c.arguments);
        EXPECT_NE(parsed.error.find(c.error), std::string::npos)
            << "for \"" << joined(c.arguments) << "\": got \"" << parsed.error << "\", expected \"" << c.error << "\"";
    }
}

} // namespace
} // namespace quillbrook::regtool
