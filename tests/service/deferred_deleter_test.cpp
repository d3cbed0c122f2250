#include "service/deferred_deleter.h"

#include "support/temporary_home.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A job on a real file whose editor "ends" when the test says so.
class DeferredDeleterTest : public ::testing::Test {
protected:
    DeferredDeleterTest()
    {
        std::ofstream(file_) << "last text";
    }

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
    EXPECT_FALSE(finishedEvent_.waitFor(50ms));  // waits for the editor
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

} // namespace
} // namespace quillbrook
