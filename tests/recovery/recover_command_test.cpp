#include "recoverytool/recover_command.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quillbrook::testing {
namespace {

struct RecoverRun {
    int status;
    std::string out;
    std::string err;
};

RecoverRun recover(const RecoveryStore& store, const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runRecoverCommand(arguments, store, out, err);
    return {status, out.str(), err.str()};
}

TEST(RecoverCommand, ListsNewestFirstAndPrintsByNumberOrIdDecodedOrRaw)
{
    TemporaryHome home;
    RecoveryStore store = RecoveryStore::forCurrentUser();
    // UTF-16LE (1201) with a line break, and UTF-8.
    const std::string utf16("h\0i\0\n\0t\0w\0o\0", 12);
    ASSERT_TRUE(store
                    .keep(KeptBecause::SessionEnded,
                          {QStringLiteral("Old"), QStringLiteral("u"), QStringLiteral("Edit"), 1201}, utf16)
                    .ok());
    const auto newest =
        store.keep(KeptBecause::Undelivered,
                   {QString(), QStringLiteral("http://x.test/"), QStringLiteral("Edit"), 65001}, "caf\xC3\xA9");
    ASSERT_TRUE(newest.ok());

    const RecoverRun list = recover(store, {});
    EXPECT_EQ(list.status, 0);
    std::istringstream lines(list.out);
    std::string first;
    std::string second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_NE(first.find("not delivered\tEdit\thttp://x.test/\tcaf\xC3\xA9"), std::string::npos) << first;
    EXPECT_NE(second.find("session ended\tEdit\tOld\thi"), std::string::npos) << second;
    EXPECT_EQ(second.rfind("2\t", 0), 0u);

    EXPECT_EQ(recover(store, {"print", "2"}).out, "hi\ntwo");
    EXPECT_EQ(recover(store, {"print", "--raw", "2"}).out, utf16);
    EXPECT_EQ(recover(store, {"print", newest.value().id}).out, "caf\xC3\xA9");
    EXPECT_NE(recover(store, {"info", "1"}).out.find("file: " + newest.value().textPath), std::string::npos);
    EXPECT_EQ(recover(store, {"folder"}).out, store.folder() + "\n");

    const RecoverRun missing = recover(store, {"print", "3"});
    EXPECT_EQ(missing.status, kRecoverExitNotFound);
    EXPECT_NE(missing.err.find("no kept text 3"), std::string::npos);
    EXPECT_EQ(recover(store, {"print"}).status, kRecoverExitUsage);
    EXPECT_EQ(recover(store, {"erase", "1"}).status, kRecoverExitUsage);
}

} // namespace
} // namespace quillbrook::testing
