#include "hive_fixture.h"
#include "utf16_file.h"

#include <filesystem>

namespace quillbrook::regtool {
namespace {

using namespace std::string_literals;

constexpr const char* done = "The operation completed successfully.\n";

using RegExportImport = RegHiveTest;

TEST_F(RegExportImport, ExportWritesTheFileExactly)
{
    auto small = key("Software\\Small");
    EXPECT_EQ(small.setValue("", REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(small.setValue("n", REG_DWORD, "\x01\0\0\0"s), ERROR_SUCCESS);
    key("Software\\Small\\Sub");

    const auto result = run({"export", "HKCU\\software\\small", file("small.reg")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, done);
    EXPECT_EQ(readFile(file("small.reg")), "Windows Registry Editor Version 5.00\n\n"
                                           "[HKEY_CURRENT_USER\\Software\\Small]\n"
                                           "@=\"x\"\n"
                                           "\"n\"=dword:00000001\n"
                                           "\n"
                                           "[HKEY_CURRENT_USER\\Software\\Small\\Sub]\n"
                                           "\n");
}

TEST_F(RegExportImport, ExportWritesUtf16LikeTheOriginalRegistryEditor)
{
    auto small = key("Software\\Small");
    EXPECT_EQ(small.setValue("", REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(small.setValue("p", REG_EXPAND_SZ, "%A%"), ERROR_SUCCESS);

    const auto result = run({"export", "HKCU\\software\\small", file("small.reg"), "/utf16"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, done);
    EXPECT_EQ(readFile(file("small.reg")), utf16leFile(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                                       u"[HKEY_CURRENT_USER\\Software\\Small]\r\n"
                                                       u"@=\"x\"\r\n"
                                                       u"\"p\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                                                       u"\r\n"));
}

TEST_F(RegExportImport, ImportOfAnExportGivesBackEveryTypeAndByte)
{
    const testing::ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    std::string binary;
    for (int i = 0; i < 300; ++i)
        binary.push_back(static_cast<char>(i));
    auto all = key("Software\\RoundTrip");
    EXPECT_EQ(all.setValue("", REG_SZ, "default"), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("plain", REG_SZ, "C:\\path \"quoted\""), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("empty", REG_SZ, ""), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("zero bytes", REG_SZ, "a\0b\0"s), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("line breaks", REG_SZ, "one\r\ntwo"), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("not UTF-8", REG_SZ, "\xff\xfe"), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("名前", REG_SZ, "日本語のテキスト"), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("a\\b\"c", REG_EXPAND_SZ, "%HOME%\\x"), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("binary", REG_BINARY, binary), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("dword", REG_DWORD, "\x2a\0\0\x80"s), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("long dword", REG_DWORD, "\x2a\0\0\0\0\0\0\0"s), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("empty dword", REG_DWORD, ""), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("qword", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("multi", REG_MULTI_SZ, "a\0b\0\0"s), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("none", REG_NONE, ""), ERROR_SUCCESS);
    EXPECT_EQ(all.setValue("odd type", 0x1234, "\x01\x02"), ERROR_SUCCESS);
    key("Software\\RoundTrip\\Empty");
    EXPECT_EQ(key("Software\\RoundTrip\\日本\\Deeper").setValue("v", REG_DWORD_BIG_ENDIAN, "\0\0\0\x01"s),
              ERROR_SUCCESS);
    const auto before = dump("Software\\RoundTrip");

    ASSERT_EQ(run({"export", "HKCU\\Software\\RoundTrip", file("all.reg")}).status, 0);
    ASSERT_EQ(run({"delete", "HKCU\\Software\\RoundTrip", "/f"}).status, 0);
    ASSERT_EQ(dump("Software\\RoundTrip"), "");
    const auto result = run({"import", file("all.reg")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, done);
    EXPECT_EQ(dump("Software\\RoundTrip"), before);
}

// Names and data a file must carry without change, each set alone below HKCU\Software\Hostile.
TEST_F(RegExportImport, HostileNamesAndDataComeBackUnchanged)
{
    const testing::ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    const std::string feff = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::string subKey;
        RegistryValue value;
    } cases[] = {
        {"name starting with U+FEFF", "", {feff + "name", REG_SZ, "x"}},
        {"name with U+FEFF inside", "", {"a" + feff + "b", REG_SZ, "x"}},
        {"name with spaces around it", "", {"  spaced  ", REG_SZ, " x "}},
        {"string starting with U+FEFF", "", {"n", REG_SZ, feff + "text"}},
        {"string with a line feed", "", {"n", REG_SZ, "a\nb"}},
        {"string with CRLF at the end", "", {"n", REG_SZ, "a\r\n"}},
        {"string that is a zero", "", {"n", REG_SZ, "\0"s}},
        {"key starting with U+FEFF", feff + "key", {"n", REG_SZ, "x"}},
        {"key with a bracket and spaces", " a ] b ", {"n", REG_SZ, "x"}},
        {"expandable string", "", {"n", REG_EXPAND_SZ, "%HOME%\\bin"}},
        {"expandable string with a zero inside", "", {"n", REG_EXPAND_SZ, "a\0b"s}},
        {"expandable string with a zero at its end", "", {"n", REG_EXPAND_SZ, "a\0"s}},
        {"expandable string starting with U+FEFF", "", {"n", REG_EXPAND_SZ, feff + "%A%"}},
        {"expandable string beyond the BMP", "", {"n", REG_EXPAND_SZ, "\xF0\x9F\x98\x80 日本"}},
        {"multi-string", "", {"n", REG_MULTI_SZ, "a\0日本\0\0"s}},
        {"empty multi-string", "", {"n", REG_MULTI_SZ, "\0"s}},
        {"multi-string of no bytes", "", {"n", REG_MULTI_SZ, ""}},
        {"multi-string without its terminators", "", {"n", REG_MULTI_SZ, "a\0b"s}},
        {"multi-string starting with U+FEFF", "", {"n", REG_MULTI_SZ, feff + "a\0\0"}},
    };
    const std::vector<std::string> exportToUtf8{"export", "HKCU\\Software\\Hostile", file("hostile.reg"), "/y"};
    auto exportToUtf16 = exportToUtf8;
    exportToUtf16.push_back("/utf16");
    for (const auto& c : cases) {
        for (const auto& exportCommand : {exportToUtf8, exportToUtf16}) {
            SCOPED_TRACE(c.name + std::string(exportCommand.size() > 4 ? " in UTF-16" : " in UTF-8"));
            const std::string path = "Software\\Hostile" + (c.subKey.empty() ? "" : "\\" + c.subKey);
            ASSERT_EQ(key(path).setValue(c.value.name, c.value.type, c.value.data), ERROR_SUCCESS);
            const auto before = dump("Software\\Hostile");

            const auto exported = run(exportCommand);
            ASSERT_EQ(exported.status, 0) << exported.err;
            ASSERT_EQ(run({"delete", "HKCU\\Software\\Hostile", "/f"}).status, 0);
            const auto imported = run({"import", file("hostile.reg")});
            EXPECT_EQ(imported.status, 0) << imported.err;
            EXPECT_EQ(dump("Software\\Hostile"), before) << readFile(file("hostile.reg"));
            ASSERT_EQ(run({"delete", "HKCU\\Software\\Hostile", "/f"}).status, 0);
        }
    }
}

TEST_F(RegExportImport, RefusesNamesAFileCannotCarry)
{
    const testing::ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    const std::string refused = "HKEY_CURRENT_USER\\Software\\Refused";
    const struct {
        const char* name;
        std::string subKey;
        RegistryValue value;
        std::string err;
    } cases[] = {
        {"value name with a line feed",
         "",
         {"a\nb", REG_SZ, "x"},
         "The value \"a\\nb\" of " + refused + " cannot be exported: its name holds a line break."},
        {"value name with a zero",
         "",
         {"a\0b"s, REG_DWORD, "\1\0\0\0"s},
         "The value \"a\\0b\" of " + refused + " cannot be exported: its name holds a zero character."},
        {"value name that is not UTF-8",
         "",
         {"\xff", REG_SZ, "x"},
         "The value \"\xff\" of " + refused + " cannot be exported: its name is not text in the charset UTF-8."},
        {"key name with a line feed",
         "k\ney",
         {"n", REG_SZ, "x"},
         "The key " + refused + "\\k\\ney cannot be exported: its name holds a line break."},
        {"expandable string that is not UTF-8",
         "",
         {"", REG_EXPAND_SZ, "%\xff%"},
         "The default value of " + refused + " cannot be exported: its data is not text in the charset UTF-8."},
        {"multi-string that is not UTF-8",
         "",
         {"m", REG_MULTI_SZ, "\xc3\0\0"s},
         "The value \"m\" of " + refused + " cannot be exported: its data is not text in the charset UTF-8."},
        {"key name that is not UTF-8",
         "k\xfe",
         {"n", REG_SZ, "x"},
         "The key " + refused + "\\k\xfe cannot be exported: its name is not text in the charset UTF-8."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(key("Software\\Refused\\Fine").setValue("v", REG_SZ, "ok"), ERROR_SUCCESS);
        ASSERT_EQ(key("Software\\Refused" + (c.subKey.empty() ? "" : "\\" + c.subKey))
                      .setValue(c.value.name, c.value.type, c.value.data),
                  ERROR_SUCCESS);
        const auto result = run({"export", "HKCU\\Software\\Refused", file("refused.reg")});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "ERROR: " + c.err + "\n");
        EXPECT_FALSE(std::filesystem::exists(file("refused.reg")));
        ASSERT_EQ(run({"delete", "HKCU\\Software\\Refused", "/f"}).status, 0);
    }
}

TEST_F(RegExportImport, ImportsAFileOfTheOriginalRegistryEditor)
{
    const testing::ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    writeFile(file("win.reg"),
              utf16leFile(u"Windows Registry Editor Version 5.00\r\n"
                          u"\r\n"
                          u"[HKEY_CURRENT_USER\\Software\\FromWindows]\r\n"
                          u"@=\"Gr\u00FC\u00DFe\"\r\n"
                          u"\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,62,00,69,00,6e,00,00,\\\r\n"
                          u"  00\r\n"
                          u"\"List\"=hex(7):6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,00\r\n"
                          u"\"Count\"=dword:0000002a\r\n"
                          u"\"\uFEFFCaf\u00E9\"=\"\U0001F600\"\r\n"
                          u"\r\n"));
    const auto imported = run({"import", file("win.reg")});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, done);
    EXPECT_EQ(run({"query", "HKCU\\Software\\FromWindows"}).out, "HKEY_CURRENT_USER\\Software\\FromWindows\n"
                                                                 "    (Default)    REG_SZ    Grüße\n"
                                                                 "    Path    REG_EXPAND_SZ    %HOME%\\bin\n"
                                                                 "    List    REG_MULTI_SZ    one\\0two\n"
                                                                 "    Count    REG_DWORD    0x2a\n"
                                                                 "    \xEF\xBB\xBF"
                                                                 "Café    REG_SZ    😀\n");
    EXPECT_EQ(data("Software\\FromWindows", "Path"), "%HOME%\\bin");
    EXPECT_EQ(data("Software\\FromWindows", "List"), "one\0two\0\0"s);
}

TEST_F(RegExportImport, ImportDeletesKeysAndValues)
{
    key("Software\\Gone\\Below");
    EXPECT_EQ(key("Software\\Kept").setValue("old", REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(key("Software\\Kept").setValue("stays", REG_SZ, "y"), ERROR_SUCCESS);
    writeFile(file("delete.reg"), "Windows Registry Editor Version 5.00\n\n"
                                  "[-HKEY_CURRENT_USER\\Software\\Gone]\n"
                                  "[-HKEY_CURRENT_USER\\Software\\NeverThere]\n"
                                  "[HKEY_CURRENT_USER\\Software\\Kept]\n"
                                  "\"old\"=-\n"
                                  "\"never there\"=-\n");
    const auto result = run({"import", file("delete.reg")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(keyExists("Software\\Gone"));
    EXPECT_EQ(dump("Software\\Kept"), "HKEY_CURRENT_USER\\Software\\Kept\n  stays 1 79\n");
}

TEST_F(RegExportImport, MalformedImportLeavesTheHiveUnchanged)
{
    EXPECT_EQ(key("Software\\Existing").setValue("v", REG_SZ, "x"), ERROR_SUCCESS);
    const auto before = dump("Software");
    writeFile(file("bad.reg"), "Windows Registry Editor Version 5.00\n\n"
                               "[HKEY_CURRENT_USER\\Software\\New]\n"
                               "\"a\"=\"b\"\n"
                               "[-HKEY_CURRENT_USER\\Software\\Existing]\n"
                               "[HKEY_CURRENT_USER\\Software\\Other]\n"
                               "\"c\"=hex:1,zz\n");
    const auto result = run({"import", file("bad.reg")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ERROR: Line 7 of " + file("bad.reg") + ": the hex bytes are malformed.\n");
    EXPECT_EQ(dump("Software"), before);
}

TEST_F(RegExportImport, FailsWithoutTouchingFiles)
{
    EXPECT_EQ(key("Software\\K").setValue("v", REG_SZ, "new"), ERROR_SUCCESS);
    writeFile(file("existing.reg"), "old content");

    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string err;
        std::string existingAfter;
    } cases[] = {
        {"missing key",
         {"export", "HKCU\\Software\\Nope", file("nope.reg")},
         "",
         1,
         "ERROR: The system was unable to find the specified registry key or value.\n",
         "old content"},
        {"overwrite refused",
         {"export", "HKCU\\Software\\K", file("existing.reg")},
         "n\n",
         1,
         "ERROR: The operation was cancelled by the user.\n",
         "old content"},
        {"missing file",
         {"import", file("absent.reg")},
         "",
         1,
         "ERROR: The system cannot find the file specified.\n",
         "old content"},
        {"missing folder",
         {"export", "HKCU\\Software\\K", file("no/such/folder.reg")},
         "",
         1,
         "ERROR: The system cannot find the path specified.\n",
         "old content"},
        {"overwrite accepted",
         {"export", "HKCU\\Software\\K", file("existing.reg")},
         "y\n",
         0,
         "",
         "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\K]\n\"v\"=\"new\"\n\n"},
    };
    for (const auto& c : cases) {
        const auto result = run(c.arguments, c.input);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.err, c.err) << c.name;
        EXPECT_EQ(readFile(file("existing.reg")), c.existingAfter) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(file("nope.reg")));
}

} // namespace
} // namespace quillbrook::regtool
