#include "platform/folders.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

using quillbrook::testing::TemporaryHome;

TEST(Folders, XdgDefaultsBelowHome)
{
    TemporaryHome home;
    home.setEnvironment("XDG_DATA_HOME", std::nullopt);
    home.setEnvironment("XDG_CONFIG_HOME", std::nullopt);
    const std::string homePath = (home.root() / "home").string();
    EXPECT_EQ(homeFolder(), homePath);
    EXPECT_EQ(applicationDataFolder(), homePath + "/.local/share");
    EXPECT_EQ(configFolder(), homePath + "/.config");
    EXPECT_EQ(documentsFolder(), homePath + "/Documents");
}

TEST(Folders, EnvironmentWinsAndRelativeValuesAreIgnored)
{
    TemporaryHome home;
    home.setEnvironment("XDG_DATA_HOME", "/srv/data/");
    EXPECT_EQ(applicationDataFolder(), "/srv/data");
    home.setEnvironment("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(applicationDataFolder(), (home.root() / "home" / ".local/share").string());
}

TEST(Folders, DocumentsFromUserDirs)
{
    TemporaryHome home;
    const std::string homePath = (home.root() / "home").string();
    std::filesystem::create_directories(home.root() / "config");
    struct Case {
        const char* name;
        const char* line;
        std::string expected;
    };
    const Case cases[] = {
        {"relative to home", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"", homePath + "/Dokumente"},
        {"absolute", "XDG_DOCUMENTS_DIR=\"/data/docs\"", "/data/docs"},
        {"escaped quote", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"", homePath + "/My \"Docs\""},
        {"home itself means disabled", "XDG_DOCUMENTS_DIR=\"$HOME/\"", homePath + "/Documents"},
        {"another variable only", "XDG_MUSIC_DIR=\"$HOME/Music\"", homePath + "/Documents"},
    };
    for (const Case& c : cases) {
        std::ofstream(home.root() / "config" / "user-dirs.dirs") << "# written by a test\n" << c.line << "\n";
        EXPECT_EQ(documentsFolder(), c.expected) << c.name;
    }
}

TEST(Folders, JoinPathPutsExactlyOneSlash)
{
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
    EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(joinPath("/a", "/b"), "/a/b");
    EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
}

TEST(Folders, CreateFolderWithParents)
{
    TemporaryHome home;
    const auto deep = home.root() / "x" / "y" / "z";
    EXPECT_TRUE(createFolderWithParents(deep.string()));
    EXPECT_TRUE(std::filesystem::is_directory(deep));
    EXPECT_TRUE(createFolderWithParents(deep.string()));
    std::ofstream(home.root() / "file") << "x";
    EXPECT_FALSE(createFolderWithParents((home.root() / "file" / "sub").string()));
    EXPECT_FALSE(createFolderWithParents(""));
}

} // namespace
} // namespace quillbrook
