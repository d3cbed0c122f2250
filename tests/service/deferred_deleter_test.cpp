#include "service/deferred_deleter.h"

#include "support/temporary_home.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <vector>

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A job on a real file whose editor "ends" when the test says so.
class DeferredDeleterTest : public ::testing::Test {
protected:
    DeferredDeleterTest() { std::ofstream(file_) << "last text"; }

    DeferredDeleter::Job job(std::chrono::milliseconds delay)
    {
        DeferredDeleter::Job job;
        job.waitForEditorEnd = [this](const StopEvent& stop) {
            pollfd waits[2] = {{editorEnded_.fd(), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
            while (poll(waits, 2, -1) < 0 && errno == EINTR) {
            }
        };
        job.delay = delay;
        job.backupPath = backup_.string();
        job.temporaryFilePath = [this] { return file_.string(); };
        job.finished = [this] {
            finished_ = true;
            finishedEvent_.set();
        };
        return job;
    }

    // Lets the editor end at once and waits for the deletion; may run again in the same test.
    void runJobToItsEnd()
    {
        StopEvent finished;
        auto toTheEnd = job(0ms);
        toTheEnd.finished = [&finished] { finished.set(); };
        DeferredDeleter deleter;
        ASSERT_EQ(deleter.Start(std::move(toTheEnd)), S_OK);
        editorEnded_.set();
        ASSERT_TRUE(finished.waitFor(5000ms));
    }

    // Files left beside the backup by a replacement that did not finish.
    std::vector<fs::path> partialBackups() const
    {
        std::vector<fs::path> partial;
        for (const auto& entry : fs::directory_iterator(backup_.parent_path())) {
            if (entry.path().filename().string().starts_with("." + backup_.filename().string()))
                partial.push_back(entry.path());
        }
        return partial;
    }

    testing::TemporaryHome home_;
    fs::path file_ = home_.root() / "Report,1.txt";
    fs::path backup_ = home_.root() / "Quillbrook.txt";
    StopEvent editorEnded_;
    StopEvent finishedEvent_;
    std::atomic<bool> finished_ = false;
};

TEST_F(DeferredDeleterTest, AfterTheEditorsEndTheFileIsBackedUpAndDeleted)
{
    std::ofstream(backup_) << "an older backup";
    DeferredDeleter deleter;
    ASSERT_EQ(deleter.Start(job(0ms)), S_OK);
    EXPECT_FALSE(finishedEvent_.waitFor(50ms)); // waits for the editor
    EXPECT_TRUE(fs::exists(file_));
    editorEnded_.set();
    ASSERT_TRUE(finishedEvent_.waitFor(5000ms));
    EXPECT_FALSE(fs::exists(file_));
    std::ifstream in(backup_);
    std::string backup;
    std::getline(in, backup);
    EXPECT_EQ(backup, "last text");
}

TEST_F(DeferredDeleterTest, StopDuringALongDelayDeletesNothing)
{
    DeferredDeleter deleter;
    ASSERT_EQ(deleter.Start(job(10000ms)), S_OK);
    editorEnded_.set();
    const auto before = std::chrono::steady_clock::now();
    deleter.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3000ms);
    EXPECT_TRUE(fs::exists(file_));
    EXPECT_FALSE(fs::exists(backup_));
    EXPECT_FALSE(finished_);
}

TEST_F(DeferredDeleterTest, StopWithAShortDelayStillDeletes)
{
    // Stop wakes the wait for the editor; a delay within the stop's bound runs to its end.
    DeferredDeleter deleter;
    ASSERT_EQ(deleter.Start(job(100ms)), S_OK);
    deleter.Stop();
    EXPECT_TRUE(finished_);
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(DeferredDeleterTest, NoBackupPathMeansNoBackup)
{
    DeferredDeleter deleter;
    auto noBackup = job(0ms);
    noBackup.backupPath.clear();
    ASSERT_EQ(deleter.Start(std::move(noBackup)), S_OK);
    editorEnded_.set();
    ASSERT_TRUE(finishedEvent_.waitFor(5000ms));
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_FALSE(fs::exists(backup_));
}

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(DeferredDeleterTest, AnExistingBackupIsReplacedByANewFile)
{
    std::ofstream(backup_) << "an older backup";
    fs::permissions(backup_, fs::perms(0644));
    const fs::path otherName = home_.root() / "older backup.txt";
    fs::create_hard_link(backup_, otherName);
    runJobToItsEnd();
    EXPECT_EQ(contentOf(backup_), "last text");
    EXPECT_EQ(fs::status(backup_).permissions(), fs::perms(0600));
    // Renamed over the old backup, not written into it.
    EXPECT_EQ(contentOf(otherName), "an older backup");
    EXPECT_TRUE(partialBackups().empty());
}

TEST_F(DeferredDeleterTest, ALinkAtTheBackupPathIsNeverWrittenThrough)
{
    const fs::path usersFile = home_.root() / "notes.txt";
    std::ofstream(usersFile) << "the user's own text";
    fs::permissions(usersFile, fs::perms(0644));
    const struct {
        const char* name;
        fs::path target;
    } cases[] = {
        {"a link to a file of the user's", usersFile},
        {"a link to nothing yet", home_.root() / "not there.txt"},
    };
    for (const auto& c : cases) {
        std::ofstream(file_) << "last text";
        fs::remove(backup_);
        fs::create_symlink(c.target, backup_);
        runJobToItsEnd();
        EXPECT_FALSE(fs::exists(file_)) << c.name;
        EXPECT_TRUE(fs::is_symlink(backup_)) << c.name;
        EXPECT_EQ(fs::read_symlink(backup_), c.target) << c.name;
        EXPECT_TRUE(partialBackups().empty()) << c.name;
    }
    EXPECT_EQ(contentOf(usersFile), "the user's own text");
    EXPECT_EQ(fs::status(usersFile).permissions(), fs::perms(0644));
    EXPECT_FALSE(fs::exists(home_.root() / "not there.txt"));
}

} // namespace
} // namespace quillbrook
