#include "store/menu_item_catalogue.h"

#include "settings_fixture.h"
#include "support/scripted_interactions.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace quillbrook::testing {
namespace {

namespace fs = std::filesystem;

constexpr WindowId kOptionsDialog = 0x2a00007;
const QString kCaption = QStringLiteral("Scripts Folder");

using FolderContents = std::map<std::string, std::string>; // relative path → file content

void writeFiles(const fs::path& folder, const FolderContents& files)
{
    for (const auto& [name, content] : files) {
        fs::create_directories((folder / name).parent_path());
        std::ofstream(folder / name, std::ios::binary) << content;
    }
}

FolderContents contentsOf(const fs::path& folder)
{
    FolderContents contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            contents[fs::relative(entry.path(), folder).string()] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return contents;
}

// The scripts folder changed in the Options dialog, with a few scripts and a subfolder in it.
class ScriptsFolderCatalogueTest : public StoreTest {
protected:
    ScriptsFolderCatalogueTest() { writeFiles(old_, kScripts); }

    void move(const std::string& newFolder)
    {
        CMenuItemCatalogue::MoveScriptsFolder(old_.string(), newFolder, kOptionsDialog);
    }

    void expectQuestionAsked()
    {
        ASSERT_EQ(interactions_.messageBoxes().size(), 1u);
        const auto& question = interactions_.messageBoxes().front();
        EXPECT_EQ(question.owner, kOptionsDialog);
        EXPECT_EQ(question.caption, kCaption);
        EXPECT_EQ(question.text, QStringLiteral("Scripts folder has been changed.\nAre you sure you want to move "
                                                "contents of the old scripts folder to new place?"));
        EXPECT_EQ(question.style, MB_YESNO);
    }

    const FolderContents kScripts{{"Edit.htm", "edit"}, {"Copy.htm", "copy"}, {"notes/read me.txt", "notes"}};
    const fs::path old_ = home_.root() / "scripts";
    ScriptedInteractions interactions_;
};

TEST_F(ScriptsFolderCatalogueTest, YesMovesTheOldFolderWholeToAMissingTarget)
{
    const fs::path target = home_.root() / "new" / "deeper" / "scripts";
    interactions_.expectMessageBox(IDYES);
    move(target.string());
    expectQuestionAsked();
    EXPECT_FALSE(fs::exists(old_));
    EXPECT_EQ(contentsOf(target), kScripts);
}

TEST_F(ScriptsFolderCatalogueTest, YesMovesTheEntriesIntoAnExistingTargetAndEmptiesTheOldFolder)
{
    const fs::path target = home_.root() / "existing";
    writeFiles(target, {{"Edit.htm", "stale"}, {"keep.txt", "keep"}, {"notes/other.txt", "other"}});
    interactions_.expectMessageBox(IDYES);
    move(target.string() + "/"); // a trailing '/' does not hide the existing folder
    expectQuestionAsked();
    EXPECT_TRUE(fs::is_directory(old_));
    EXPECT_TRUE(fs::is_empty(old_));
    const FolderContents merged{{"Edit.htm", "edit"},
                                {"Copy.htm", "copy"},
                                {"keep.txt", "keep"},
                                {"notes/read me.txt", "notes"},
                                {"notes/other.txt", "other"}};
    EXPECT_EQ(contentsOf(target), merged);
}

TEST_F(ScriptsFolderCatalogueTest, NothingMovesWhenDeclinedUnchangedOrWithoutAnOldFolder)
{
    const fs::path target = home_.root() / "declined";
    interactions_.expectMessageBox(IDNO);
    move(target.string());
    expectQuestionAsked();
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(contentsOf(old_), kScripts);

    // No question at all: the scripted interactions fail the test on one.
    move(old_.string());
    CMenuItemCatalogue::MoveScriptsFolder((home_.root() / "missing").string(), target.string(), kOptionsDialog);
    EXPECT_EQ(contentsOf(old_), kScripts);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ScriptsFolderCatalogueTest, RefusesTheSameFolderOrOneInsideItAndSaysWhy)
{
    fs::create_symlink(old_, home_.root() / "link");
    fs::create_symlink(old_ / "notes", home_.root() / "notes-link");
    const QString same = QStringLiteral("The new scripts folder is the old scripts folder. Nothing has been moved.");
    const QString inside =
        QStringLiteral("The new scripts folder lies inside the old scripts folder. Nothing has been moved.");
    const struct {
        const char* name;
        std::string newFolder;
        QString message;
    } cases[] = {
        {"through ..", (old_ / ".." / "scripts").string(), same},
        {"trailing slash", old_.string() + "/", same},
        {"through .", (old_ / ".").string(), same},
        {"symbolic link", (home_.root() / "link").string(), same},
        {"existing subfolder", (old_ / "notes").string(), inside},
        {"missing subfolder", (old_ / "new" / "deeper").string(), inside},
        {"link to a subfolder", (home_.root() / "notes-link").string(), inside},
    };
    for (const auto& c : cases) {
        ScriptedInteractions refusal;
        refusal.expectMessageBox(IDOK);
        move(c.newFolder);
        ASSERT_EQ(refusal.messageBoxes().size(), 1u) << c.name;
        EXPECT_EQ(refusal.messageBoxes()[0].text, c.message) << c.name;
        EXPECT_EQ(refusal.messageBoxes()[0].caption, kCaption) << c.name;
        EXPECT_EQ(refusal.messageBoxes()[0].style, MB_OK | MB_ICONWARNING) << c.name;
        EXPECT_EQ(contentsOf(old_), kScripts) << c.name;
        EXPECT_FALSE(fs::exists(old_ / "new")) << c.name;
    }
}

TEST_F(ScriptsFolderCatalogueTest, MovesAcrossFileSystems)
{
    struct RemovedAtEnd {
        fs::path path;
        ~RemovedAtEnd()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    };
    std::string pattern = "/dev/shm/quillbrook-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        GTEST_SKIP() << "no second file system to move to";
    const RemovedAtEnd removed{pattern};
    struct stat shm {};
    struct stat home {};
    if (stat(home_.root().c_str(), &home) != 0 || stat(pattern.c_str(), &shm) != 0 || shm.st_dev == home.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    const fs::path other = pattern;
    interactions_.expectMessageBox(IDYES);
    interactions_.expectMessageBox(IDYES);
    move((other / "whole").string());
    EXPECT_FALSE(fs::exists(old_));
    EXPECT_EQ(contentsOf(other / "whole"), kScripts);

    writeFiles(old_, kScripts);
    move(other.string());
    EXPECT_TRUE(fs::is_empty(old_));
    EXPECT_EQ(contentsOf(other).size(), 2 * kScripts.size());
}

} // namespace
} // namespace quillbrook::testing
