#include "recovery/recovery_store.h"
#include "recovery/session_ledger.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillbrook::testing {
namespace {

namespace fs = std::filesystem;

unsigned modeOf(const fs::path& path)
{
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 0777;
}

const TextOrigin kOrigin{QStringLiteral("Report & <notes>"), QStringLiteral("http://example.test/r"),
                         QStringLiteral("Edit in &Test"), 65001};

class RecoveryStoreTest : public ::testing::Test {
protected:
    TemporaryHome home_;
    RecoveryStore store_ = RecoveryStore::forCurrentUser();
};

TEST_F(RecoveryStoreTest, KeepsBytesAndFactsPrivatelyAndListsNewestFirst)
{
    EXPECT_EQ(store_.folder(), (home_.root() / "state" / "quillbrook" / "recovered").string());
    const std::string bytes("\xEF\xBB\xBF"
                            "caf\xC3\xA9\0tail",
                            12);
    const auto first = store_.keep(KeptBecause::SessionEnded, kOrigin, bytes);
    ASSERT_TRUE(first.ok());
    const auto second = store_.keep(KeptBecause::Undelivered, kOrigin, "second");
    ASSERT_TRUE(second.ok());

    EXPECT_EQ(modeOf(store_.folder()), 0700u);
    EXPECT_EQ(modeOf(first.value().textPath), 0600u);
    EXPECT_EQ(modeOf(store_.folder() + "/" + first.value().id + ".json"), 0600u);

    const auto texts = store_.list();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].id, second.value().id);
    EXPECT_EQ(texts[1].reason, KeptBecause::SessionEnded);
    EXPECT_EQ(texts[1].origin.title, kOrigin.title);
    EXPECT_EQ(texts[1].origin.menuItem, kOrigin.menuItem);
    EXPECT_EQ(texts[1].origin.codePage, 65001);
    EXPECT_EQ(store_.bytesOf(texts[1]).value(), bytes);

    const auto found = store_.find(first.value().id);
    ASSERT_TRUE(found.ok());
    EXPECT_EQ(found.value().textPath, first.value().textPath);
    EXPECT_FALSE(store_.find("../" + first.value().id).ok());
    EXPECT_FALSE(store_.find("missing").ok());
}

TEST_F(RecoveryStoreTest, KeepsAtMostItsBoundAndNeverFollowsALinkInItsFolder)
{
    for (std::size_t i = 0; i < RecoveryStore::kKeptTexts + 3; ++i)
        ASSERT_TRUE(store_.keep(KeptBecause::SessionEnded, kOrigin, std::to_string(i)).ok());
    const auto texts = store_.list();
    ASSERT_EQ(texts.size(), RecoveryStore::kKeptTexts);
    EXPECT_EQ(store_.bytesOf(texts.front()).value(), std::to_string(RecoveryStore::kKeptTexts + 2));
    EXPECT_EQ(store_.bytesOf(texts.back()).value(), "3");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(store_.folder()))
        ++files;
    EXPECT_EQ(files, 2 * RecoveryStore::kKeptTexts);

    // A folder that is a link elsewhere is refused, not written through.
    RecoveryStore linked((home_.root() / "linked").string());
    fs::create_directories(home_.root() / "elsewhere");
    fs::create_directory_symlink(home_.root() / "elsewhere", home_.root() / "linked");
    EXPECT_FALSE(linked.keep(KeptBecause::SessionEnded, kOrigin, "x").ok());
    EXPECT_TRUE(fs::is_empty(home_.root() / "elsewhere"));
}

TEST_F(RecoveryStoreTest, SweepKeepsOnlyTheFilesOfServersThatNoLongerRun)
{
    SessionLedger ledger = SessionLedger::forCurrentUser();
    const fs::path folder = home_.root() / "temp";
    fs::create_directories(folder);
    const auto write = [&](const char* name, const std::string& content) {
        std::ofstream(folder / name) << content;
        return (folder / name).string();
    };
    const std::string ours = write("ours.txt", "still being edited");
    ASSERT_TRUE(ledger.record(ours, kOrigin).ok());

    // Entries of a process that has ended, as a killed server leaves them.
    const std::string left = write("left.txt", "left behind");
    const std::string empty = write("empty.txt", "");
    const pid_t child = fork();
    if (child == 0) {
        const bool recorded = ledger.record(left, kOrigin).ok() && ledger.record(empty, kOrigin).ok()
                              && ledger.record((folder / "gone.txt").string(), kOrigin).ok();
        _exit(recorded ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);

    const auto kept = ledger.sweep(store_);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].reason, KeptBecause::LeftBehind);
    EXPECT_EQ(store_.bytesOf(kept[0]).value(), "left behind");
    EXPECT_FALSE(fs::exists(left));
    EXPECT_FALSE(fs::exists(empty));
    EXPECT_TRUE(fs::exists(ours));
    // Only this process's entry is left; a second sweep finds nothing more.
    EXPECT_EQ(std::distance(fs::directory_iterator(ledger.folder()), fs::directory_iterator()), 1);
    EXPECT_TRUE(ledger.sweep(store_).empty());
}

} // namespace
} // namespace quillbrook::testing
