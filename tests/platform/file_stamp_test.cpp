#include "platform/file_stamp.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using quillbrook::testing::TemporaryHome;

class FileStampTest : public ::testing::Test {
protected:
    fs::path file(const char* name) const { return home_.root() / name; }

    static void write(const fs::path& path, const std::string& content)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    }

    // Gives the file a fixed modification time, as a save within one timestamp tick would leave it.
    static void setModified(const fs::path& path, long nanoseconds)
    {
        const timespec times[2] = {{1'700'000'000, 0}, {1'700'000'000, nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    }

    static FileStamp stampOf(const fs::path& path)
    {
        auto stamp = fileStampOf(path.string());
        EXPECT_TRUE(stamp.ok()) << path << " error " << stamp.error();
        return stamp.value();
    }

    TemporaryHome home_;
};

TEST_F(FileStampTest, AnUntouchedFileKeepsItsStampAndReportsItsSize)
{
    write(file("a.txt"), "twelve bytes");
    EXPECT_EQ(stampOf(file("a.txt")), stampOf(file("a.txt")));
    EXPECT_EQ(stampOf(file("a.txt")).size, 12u);
}

TEST_F(FileStampTest, TwoSavesWithinOneTimestampTickDifferBySize)
{
    write(file("a.txt"), "first");
    setModified(file("a.txt"), 0);
    const FileStamp before = stampOf(file("a.txt"));

    write(file("a.txt"), "second save");
    setModified(file("a.txt"), 0);
    const FileStamp after = stampOf(file("a.txt"));

    EXPECT_EQ(before.modifiedNanoseconds, after.modifiedNanoseconds);
    EXPECT_NE(before, after);
}

TEST_F(FileStampTest, ASaveByRenamingANewFileOverTheOldOneDiffers)
{
    write(file("a.txt"), "same");
    setModified(file("a.txt"), 0);
    const FileStamp before = stampOf(file("a.txt"));

    // Created while the old file still exists, so it cannot reuse the old inode.
    write(file("a.txt.new"), "SAME");
    setModified(file("a.txt.new"), 0);
    ASSERT_EQ(std::rename(file("a.txt.new").c_str(), file("a.txt").c_str()), 0);
    const FileStamp after = stampOf(file("a.txt"));

    EXPECT_EQ(before.modifiedNanoseconds, after.modifiedNanoseconds);
    EXPECT_EQ(before.size, after.size);
    EXPECT_NE(before, after);
}

TEST_F(FileStampTest, TimesThatDifferOnlyInNanosecondsDiffer)
{
    write(file("a.txt"), "same");
    setModified(file("a.txt"), 1);
    const FileStamp before = stampOf(file("a.txt"));
    setModified(file("a.txt"), 2);
    EXPECT_NE(before, stampOf(file("a.txt")));
}

TEST_F(FileStampTest, MissingFilesAndFoldersGiveTheirWin32Codes)
{
    const struct {
        fs::path path;
        Win32Error error;
    } cases[] = {
        {file("missing.txt"), ERROR_FILE_NOT_FOUND},
        {file("missing") / "a.txt", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        const auto stamp = fileStampOf(c.path.string());
        EXPECT_EQ(stamp.error(), c.error) << c.path;
    }
}

} // namespace
} // namespace quillbrook
