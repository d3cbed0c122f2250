#include "store/menu_script.h"

#include "resources/script_template.h"

#include "menu_item_fixture.h"

#include <filesystem>

namespace quillbrook {
namespace {

using MenuScriptTest = testing::MenuItemTest;

TEST_F(MenuScriptTest, TemplateIsTheReferenceFile)
{
    const std::string reference = referenceTemplate();
    ASSERT_EQ(reference.size(), 375u);
    EXPECT_EQ(menuScriptTemplate(), reference);
}

struct PathCase {
    const char* folder;
    const char* label;
    const char* path;
};

TEST_F(MenuScriptTest, ScriptPathHasExactlyOneSlash)
{
    const PathCase cases[] = {
        {"/s", "Edit", "/s/Edit.htm"},
        {"/s/", "Edit", "/s/Edit.htm"},
        {"/s", "&Edit with editor", "/s/&Edit with editor.htm"},
        {"/s", "...", "/s/....htm"},
    };
    for (const PathCase& c : cases) {
        globalSettings().ScriptsFolderPath = c.folder;
        EXPECT_EQ(MenuScriptPath(c.label), c.path) << c.folder << " " << c.label;
    }
}

// The label goes in as bytes of the process charset, without any escaping.
TEST_F(MenuScriptTest, ScriptIsTheTemplateWithTheLabel)
{
    for (const std::string label : {"&Edit with editor", "エディタで編集", "a'b%sc"}) {
        ASSERT_EQ(WriteMenuScript(label), S_OK) << label;
        const std::string path = scriptsFolder() + "/" + label + ".htm";
        EXPECT_EQ(readFile(path), expectedScript(label)) << label;
    }
}

TEST_F(MenuScriptTest, ReplacesALongerFile)
{
    const std::string path = scriptsFolder() + "/Edit.htm";
    std::ofstream(path, std::ios::binary) << std::string(1000, 'x');
    ASSERT_EQ(WriteMenuScript("Edit"), S_OK);
    EXPECT_EQ(readFile(path), expectedScript("Edit"));
}

TEST_F(MenuScriptTest, MissingScriptsFolderIsPathNotFound)
{
    globalSettings().ScriptsFolderPath = (home_.root() / "missing").string();
    EXPECT_EQ(WriteMenuScript("Edit"), static_cast<HRESULT>(0x80070003u));
    EXPECT_FALSE(std::filesystem::exists(home_.root() / "missing"));
}

} // namespace
} // namespace quillbrook
