#include "platform/file_names.h"

#include <gtest/gtest.h>

namespace quillbrook {
namespace {

TEST(PathInFolder, JoinsPlainNamesWithOneSlash)
{
    struct Case {
        std::string folder;
        std::string name;
        std::string expected;
    };
    const Case cases[] = {
        {"/tmp/q", "Report_ Q1_Q2,12.txt", "/tmp/q/Report_ Q1_Q2,12.txt"},
        {"/tmp/q/", "a.txt", "/tmp/q/a.txt"},
        {"/tmp/q", "...", "/tmp/q/..."},
        {"/tmp/q", ".hidden", "/tmp/q/.hidden"},
        {"/tmp/q", "a\\b", "/tmp/q/a\\b"},
    };
    for (const Case& c : cases) {
        const auto joined = pathInFolder(c.folder, c.name);
        ASSERT_TRUE(joined.ok()) << c.name;
        EXPECT_EQ(joined.value(), c.expected) << c.name;
    }
}

TEST(PathInFolder, RefusesNamesThatLeaveTheFolder)
{
    const std::string names[] = {
        "", ".", "..", "a/b", "/a", "x./", "../up", std::string("a\0b", 3), std::string(1, '\0')};
    for (const std::string& name : names)
        EXPECT_EQ(pathInFolder("/tmp/q", name).error(), ERROR_INVALID_NAME)
            << "name of " << name.size() << " bytes: " << name;
}

} // namespace
} // namespace quillbrook
