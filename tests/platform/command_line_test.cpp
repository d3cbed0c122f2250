#include "platform/command_line.h"
#include "platform/program_search.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using quillbrook::testing::TemporaryHome;
using Arguments = std::vector<std::string>;

TEST(CommandLineTest, SplitsArgumentsByTheRuntimeRules)
{
    struct Case {
        const char* name;
        const char* text;
        Arguments expected;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"blanks only", " \t ", {}},
        {"spaces and tabs separate", "a b\tc", {"a", "b", "c"}},
        {"runs of blanks", "  a  \t b  ", {"a", "b"}},
        {"quotes group", R"("a b" c)", {"a b", "c"}},
        {"quotes inside a word", R"(a"b c"d)", {"ab cd"}},
        {"empty quoted arguments", R"("" x "")", {"", "x", ""}},
        {"unterminated quote", R"("a b)", {"a b"}},
        {"lone quote at the end", R"(a ")", {"a", ""}},
        {"backslashes not before a quote", R"(a\\b\c\\)", {R"(a\\b\c\\)"}},
        {"backslash before a quoted blank", R"("a\ b")", {R"(a\ b)"}},
        {"two backslashes and a quote", R"(a\\"b c")", {R"(a\b c)"}},
        {"three backslashes and a quote", R"(a\\\"b)", {R"(a\"b)"}},
        {"escaped quotes", R"(\"a\")", {R"("a")"}},
        {"escaped quotes in a quoted run", R"("a \"b\" c")", {R"(a "b" c)"}},
        {"doubled quote in a quoted run", R"("a""b c")", {R"(a"b c)"}},
        {"doubled quote outside a run", R"(a""b)", {"ab"}},
        {"tripled quotes", R"("""a""")", {R"("a")"}},
        {"trailing backslash escapes the closing quote", R"("C:\Program Files\x\" y)", {R"(C:\Program Files\x" y)"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitArguments(c.text), c.expected) << c.name;
}

// Programs in a temporary folder P:
//   P/ed  P/tool  P/tool x  P/my editor/bin/ed  (executable)   P/my/  (a folder)
//   P/plain.txt  (not executable)
class CommandLineProgramTest : public ::testing::Test {
protected:
    CommandLineProgramTest()
    {
        fs::create_directories(at("my editor/bin"));
        fs::create_directories(at("my"));
        for (const char* name : {"ed", "tool", "tool x", "my editor/bin/ed"})
            makeFile(at(name), fs::perms::owner_all);
        makeFile(at("plain.txt"), fs::perms::owner_read | fs::perms::owner_write);
    }

    static void makeFile(const std::string& file, fs::perms permissions)
    {
        std::ofstream(file) << "x";
        fs::permissions(file, permissions);
    }

    std::string at(const std::string& relative) const { return (home_.root() / "p" / relative).string(); }

    TemporaryHome home_;
};

TEST_F(CommandLineProgramTest, FindsTheProgramAndItsArguments)
{
    struct Case {
        const char* name;
        std::string line;
        std::string program;
        Arguments arguments;
    };
    const Case cases[] = {
        {"program and argument", at("ed") + " file", at("ed"), {"file"}},
        {"tab after the program", at("ed") + "\tfile", at("ed"), {"file"}},
        {"blank and nothing after", at("ed") + " ", at("ed"), {}},
        {"quoted file argument", at("ed") + " \"" + at("a file.txt") + "\"", at("ed"), {at("a file.txt")}},
        {"unquoted path with blanks, a folder as shorter prefix",
         at("my editor/bin/ed") + " --x \"a b\"",
         at("my editor/bin/ed"),
         {"--x", "a b"}},
        {"the shortest executable prefix wins", at("tool x y"), at("tool"), {"x", "y"}},
        {"quoted program", "\"" + at("my editor/bin/ed") + "\" a", at("my editor/bin/ed"), {"a"}},
        {"text after the closing quote belongs to argv[0]",
         "\"" + at("ed") + "\"tail\" still\" rest",
         at("ed"),
         {"rest"}},
        {"unterminated quoted program", "\"" + at("ed"), at("ed"), {}},
    };
    for (const Case& c : cases) {
        const auto parsed = parseCommandLine(c.line);
        ASSERT_TRUE(parsed.ok()) << c.name << ": error " << parsed.error();
        EXPECT_EQ(parsed.value().program, c.program) << c.name;
        EXPECT_EQ(parsed.value().programFile, c.program) << c.name;
        EXPECT_EQ(parsed.value().arguments, c.arguments) << c.name;
    }
}

TEST_F(CommandLineProgramTest, ReportsWhyNoProgramWasFound)
{
    struct Case {
        const char* name;
        std::string line;
        Win32Error expected;
    };
    const Case cases[] = {
        {"empty command line", "", ERROR_FILE_NOT_FOUND},
        {"blanks only", "  ", ERROR_FILE_NOT_FOUND},
        {"missing file", at("missing") + " a", ERROR_FILE_NOT_FOUND},
        {"missing folder", at("nowhere/ed") + " a", ERROR_PATH_NOT_FOUND},
        {"quoted path in a missing folder", "\"" + at("no where/ed") + "\" a", ERROR_PATH_NOT_FOUND},
        {"a folder is no program", at("my"), ERROR_FILE_NOT_FOUND},
        {"quoted folder", "\"" + at("my editor/bin") + "\"", ERROR_FILE_NOT_FOUND},
        {"not executable", at("plain.txt"), ERROR_ACCESS_DENIED},
        {"not executable wins over longer missing prefixes", at("plain.txt") + " more words", ERROR_ACCESS_DENIED},
        {"bare name found nowhere", "quillbrook-no-such-program --x", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        const auto parsed = parseCommandLine(c.line);
        EXPECT_EQ(parsed.error(), c.expected) << c.name;
    }
}

// A bare name is looked for in the program's own folder, the system folder, then PATH.
TEST_F(CommandLineProgramTest, SearchesOwnFolderThenSystemFolderThenPath)
{
    const std::string system = at("system"), first = at("path1"), second = at("path2");
    for (const std::string& folder : {system, first, second})
        fs::create_directories(folder);
    home_.setEnvironment("QUILLBROOK_SYSTEM_FOLDER", system);
    home_.setEnvironment("PATH", first + ":" + second);
    const auto executable = fs::perms::owner_all;
    const auto readable = fs::perms::owner_read;
    // process_probe also lies in this test program's own folder.
    for (const std::string& folder : {system, first})
        makeFile(folder + "/process_probe", executable);
    makeFile(system + "/in-system", executable);
    makeFile(first + "/in-system", executable);
    makeFile(first + "/in-path", readable);
    makeFile(second + "/in-path", executable);
    fs::create_directories(system + "/folder-first");
    makeFile(second + "/folder-first", executable);
    makeFile(first + "/never-executable", readable);

    struct Case {
        const char* name;
        std::string expectedFile;
        Win32Error expectedError;
    };
    const Case cases[] = {
        {"process_probe", ownProgramFolder() + "/process_probe", ERROR_SUCCESS},
        {"in-system", system + "/in-system", ERROR_SUCCESS},
        {"in-path", second + "/in-path", ERROR_SUCCESS},
        {"folder-first", second + "/folder-first", ERROR_SUCCESS},
        {"never-executable", "", ERROR_ACCESS_DENIED},
        {"nowhere", "", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        const auto found = findProgram(c.name);
        EXPECT_EQ(found.error(), c.expectedError) << c.name;
        if (found.ok()) {
            EXPECT_EQ(found.value(), c.expectedFile) << c.name;
        }
    }
}

TEST_F(CommandLineProgramTest, SystemFolderIsBesideTheProgramsUnlessSet)
{
    home_.setEnvironment("QUILLBROOK_SYSTEM_FOLDER", at("elsewhere"));
    EXPECT_EQ(systemFolder(), at("elsewhere"));

    for (const std::optional<std::string>& unset : {std::optional<std::string>(), std::optional<std::string>("")}) {
        home_.setEnvironment("QUILLBROOK_SYSTEM_FOLDER", unset);
        const std::string notepad = systemFolder() + "/notepad.exe";
        EXPECT_NE(systemFolder(), "");
        const auto found = findProgram("notepad.exe");
        ASSERT_TRUE(found.ok()) << "the build tree's system folder holds notepad.exe; error " << found.error();
        EXPECT_EQ(found.value(), notepad);
    }
}

} // namespace
} // namespace quillbrook
