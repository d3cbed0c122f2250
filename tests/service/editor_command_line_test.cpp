#include "service/editor_command_line.h"

#include <gtest/gtest.h>

namespace quillbrook {
namespace {

TEST(EditorCommandLine, BuiltFromProgramArgumentsAndPath)
{
    struct Case {
        const char* name;
        std::string program;
        std::string arguments;
        std::string expected;
    };
    const std::string path = "/t/Report,12.txt";
    const Case cases[] = {
        {"no arguments", "notepad.exe", "", "notepad.exe \"/t/Report,12.txt\""},
        {"an option", "notepad.exe", "-n", "notepad.exe -n \"/t/Report,12.txt\""},
        {"an option ending in a space", "notepad.exe", "-n ", "notepad.exe -n \"/t/Report,12.txt\""},
        {"placeholder twice, no quotes added", "ed", "--a %filepath% --b %filepath%",
         "ed --a /t/Report,12.txt --b /t/Report,12.txt"},
        {"placeholder already quoted", "ed", "+1 \"%filepath%\"", "ed +1 \"/t/Report,12.txt\""},
        {"program with spaces stays unquoted", "/opt/my editor/ed", "", "/opt/my editor/ed \"/t/Report,12.txt\""},
        {"a placeholder case differs", "ed", "%FILEPATH%", "ed %FILEPATH% \"/t/Report,12.txt\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buildEditorCommandLine(c.program, c.arguments, path), c.expected) << c.name;
}

TEST(EditorCommandLine, TheInsertedPathIsNotSearchedAgain)
{
    EXPECT_EQ(buildEditorCommandLine("ed", "%filepath%", "/t/%filepath%.txt"), "ed /t/%filepath%.txt");
}

} // namespace
} // namespace quillbrook
