#include "platform/path_exists.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using quillbrook::testing::ScopedLocale;
using quillbrook::testing::TemporaryHome;

// A folder of known entries:
//   one/  a.txt  b.txt  c.TXT  [a].txt  .hidden  メ.log  dangling -> nowhere
//   only/ single.txt
class PathExistsTest : public ::testing::Test {
protected:
    PathExistsTest()
    {
        fs::create_directories(folder() / "one");
        fs::create_directories(folder() / "only");
        for (const char* name : {"a.txt", "b.txt", "c.TXT", "[a].txt", ".hidden", "メ.log"})
            std::ofstream(folder() / name) << "x";
        std::ofstream(folder() / "only" / "single.txt") << "x";
        fs::create_symlink(folder() / "nowhere", folder() / "dangling");
    }

    fs::path folder() const { return home_.root() / "search"; }
    std::string at(const std::string& relative) const { return (folder() / relative).string(); }

    ScopedLocale locale_{"C.UTF-8"};
    TemporaryHome home_;
};

TEST_F(PathExistsTest, ExactlyOneEntryMustMatch)
{
    ASSERT_TRUE(locale_.ok());
    struct Case {
        const char* name;
        std::string path;
        bool expected;
    };
    const Case cases[] = {
        {"empty path", "", false},
        {"existing file", at("a.txt"), true},
        {"missing file", at("z.txt"), false},
        {"existing folder", at("one"), true},
        {"folder with a trailing slash", at("one/"), false},
        {"file with a trailing slash", at("a.txt/"), false},
        {"file below a file", at("a.txt/x"), false},
        {"hidden file by name", at(".hidden"), true},
        {"dangling symbolic link", at("dangling"), true},
        {"letter case counts", at("A.txt"), false},
        {"pattern matching two", at("?.txt"), false},
        {"pattern matching three", at("*.txt"), false},
        {"pattern matching one", at("only/*.txt"), true},
        {"pattern matching none", at("*.doc"), false},
        {"star matches a leading dot", at("*hidden"), true},
        {"star matches the empty run", at("a*.txt"), true},
        {"question mark is one character", at("?.TXT"), true},
        {"question mark is a whole multi-byte character", at("?.log"), true},
        {"question mark is never two characters", at("??.TXT"), false},
        {"brackets are literal", at("[a]*"), true},
        {"brackets are no character class", at("[abc].txt"), false},
        {"dot entries take part", at("only/*"), false},
        {"wildcard in a folder component", at("o*/single.txt"), false},
        {"embedded NUL", std::string("/\0x", 3), false},
        {"root folder", "/", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathExists(c.path), c.expected) << c.name << ": " << c.path;
}

// Restores the working folder on destruction.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~ScopedWorkingFolder() { fs::current_path(previous_); }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    fs::path previous_;
};

TEST_F(PathExistsTest, RelativePathsSearchTheWorkingFolder)
{
    ScopedWorkingFolder working(folder() / "only");
    EXPECT_TRUE(PathExists("single.txt"));
    EXPECT_TRUE(PathExists("s*"));
    EXPECT_FALSE(PathExists("x*"));
    EXPECT_TRUE(PathExists("../o?ly"));
}

} // namespace
} // namespace quillbrook
