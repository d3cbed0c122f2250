#include "service/change_notifier.h"
#include "service/change_watcher.h"

#include "automation/main_thread.h"
#include "service/service.h"
#include "store/global_settings.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "support/main_thread_loop.h"
#include "support/temporary_home.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using quillbrook::testing::runEventLoopUntil;
using quillbrook::testing::TemporaryHome;
using quillbrook::testing::testApplication;
using Clock = std::chrono::steady_clock;

// The notifications the services of one test received, in order. Written on the main thread only.
struct NotificationLog {
    std::vector<std::string> services;
    bool allOnMainThread = true;
};

// A service object that writes each notification into the log and then runs `onNotified`.
class NotifiedService final : public CService {
public:
    NotifiedService(std::string name, NotificationLog& log, std::function<void()> onNotified = {})
        : name_(std::move(name)), log_(log), onNotified_(std::move(onNotified))
    {}

    HRESULT OnChangeNotification() override
    {
        log_.allOnMainThread = log_.allOnMainThread && isMainThread();
        log_.services.push_back(name_);
        if (onNotified_)
            onNotified_();
        return S_OK;
    }

private:
    std::string name_;
    NotificationLog& log_;
    std::function<void()> onNotified_;
};

using Names = std::vector<std::string>;

class ChangeNotifierTest : public ::testing::Test {
protected:
    ChangeNotifierTest() { testApplication(); }

    std::shared_ptr<NotifiedService> add(const std::string& name, std::function<void()> onNotified = {})
    {
        auto service = std::make_shared<NotifiedService>(name, log_, std::move(onNotified));
        EXPECT_EQ(notifier_.AddService(service), S_OK);
        return service;
    }

    // NotifyAll on a worker thread, as the watcher runs it, while the main thread serves its calls.
    void notifyAll()
    {
        auto finished = std::make_shared<bool>(false);
        worker_ = std::thread([this, finished] {
            EXPECT_EQ(notifier_.NotifyAll(stop_), S_OK);
            QMetaObject::invokeMethod(
                &testApplication(), [finished] { *finished = true; }, Qt::QueuedConnection);
        });
        EXPECT_TRUE(runEventLoopUntil([&] { return *finished; }));
        if (worker_.joinable())
            worker_.join();
    }
    // What the watcher's Stop does to its thread.
    void stopWorker()
    {
        stop_.set();
        if (worker_.joinable())
            worker_.join();
    }

    NotificationLog log_;
    StopEvent stop_;
    ChangeNotifier notifier_;
    std::thread worker_;
};

TEST_F(ChangeNotifierTest, NotifiesOnTheMainThreadInHandOverOrder)
{
    add("first");
    add("second");
    notifyAll();
    add("third");
    notifyAll();

    EXPECT_EQ(log_.services, (Names{"first", "second", "first", "second", "third"}));
    EXPECT_TRUE(log_.allOnMainThread);
}

TEST_F(ChangeNotifierTest, RemoveServiceReleasesOnlyTheFirstTakenOverEntry)
{
    auto twice = add("twice");
    EXPECT_EQ(notifier_.AddService(twice), S_OK);
    std::weak_ptr<NotifiedService> once = add("once");
    notifyAll();

    EXPECT_EQ(notifier_.RemoveService(twice.get()), S_OK);
    EXPECT_EQ(notifier_.RemoveService(once.lock().get()), S_OK);
    // Still queued, so not touched.
    auto queued = add("queued");
    EXPECT_EQ(notifier_.RemoveService(queued.get()), S_OK);
    notifyAll();

    EXPECT_EQ(log_.services, (Names{"twice", "twice", "once", "twice", "queued"}));
    EXPECT_TRUE(once.expired());
}

TEST_F(ChangeNotifierTest, StopFromWithinANotificationEndsTheRound)
{
    add("first", [this] { stopWorker(); });
    add("second");
    notifyAll();

    EXPECT_EQ(log_.services, Names{"first"});
}

void write(const fs::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary | std::ios::app) << content;
}

// A save that makes exactly one event in the folder: a file written elsewhere, renamed into it.
void renameInto(const fs::path& target, const fs::path& elsewhere)
{
    write(elsewhere / "new.txt", "saved");
    fs::rename(elsewhere / "new.txt", target);
}

class ChangeWatcherTest : public ChangeNotifierTest {
protected:
    ChangeWatcherTest() : previousFolder_(globalSettings().TempFolderPath)
    {
        fs::create_directories(folder());
        fs::create_directories(outside());
        write(folder() / "session.txt", "before");
        globalSettings().TempFolderPath = folder().string();
    }
    ~ChangeWatcherTest() override
    {
        watcher_.Stop();
        globalSettings().TempFolderPath = previousFolder_;
    }

    fs::path folder() const { return home_.root() / "temp"; }
    fs::path outside() const { return home_.root() / "elsewhere"; }

    void renameInto(const fs::path& target) const { quillbrook::renameInto(target, outside()); }
    bool notifiedAtLeast(std::size_t count)
    {
        return runEventLoopUntil([&] { return log_.services.size() >= count; });
    }

    TemporaryHome home_;
    std::string previousFolder_;
    ChangeWatcher watcher_{notifier_};
};

struct SaveKind {
    const char* name;
    std::function<void(const fs::path& file, const fs::path& elsewhere)> save;
};

void PrintTo(const SaveKind& kind, std::ostream* out)
{
    *out << kind.name;
}

class ChangeWatcherSaveTest : public ChangeWatcherTest, public ::testing::WithParamInterface<SaveKind> {};

TEST_P(ChangeWatcherSaveTest, EverySaveOfAFileInTheFolderNotifies)
{
    add("service");
    ASSERT_EQ(watcher_.Start(), S_OK);
    GetParam().save(folder() / "session.txt", outside());

    ASSERT_TRUE(notifiedAtLeast(1)) << GetParam().name;
    EXPECT_TRUE(log_.allOnMainThread);
}

INSTANTIATE_TEST_SUITE_P(
    ChangeWatcherSaves, ChangeWatcherSaveTest,
    ::testing::Values(SaveKind{"Write", [](const fs::path& file, const fs::path&) { write(file, "!"); }},
                      SaveKind{"NewTime", [](const fs::path& file,
                                             const fs::path&) { utimensat(AT_FDCWD, file.c_str(), nullptr, 0); }},
                      SaveKind{"RenameOver",
                               [](const fs::path& file, const fs::path& elsewhere) { renameInto(file, elsewhere); }},
                      SaveKind{"RenameIn",
                               [](const fs::path& file, const fs::path& elsewhere) {
                                   renameInto(file.parent_path() / "other.txt", elsewhere);
                               }}),
    [](const ::testing::TestParamInfo<SaveKind>& kind) { return std::string(kind.param.name); });

TEST_F(ChangeWatcherTest, AServiceAddedAfterTheLastChangeIsNotifiedFromTheNextOne)
{
    add("early");
    ASSERT_EQ(watcher_.Start(), S_OK);
    renameInto(folder() / "session.txt");
    ASSERT_TRUE(notifiedAtLeast(1));

    add("late");
    renameInto(folder() / "session.txt");
    ASSERT_TRUE(notifiedAtLeast(3));
    EXPECT_EQ(log_.services, (Names{"early", "early", "late"}));
}

TEST_F(ChangeWatcherTest, StartFailsPromptlyOnAFolderThatCannotBeWatched)
{
    for (const fs::path& path : {folder() / "missing", folder() / "session.txt"}) {
        globalSettings().TempFolderPath = path.string();
        const auto started = Clock::now();
        EXPECT_EQ(watcher_.Start(), E_FAIL) << path;
        EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(2500)) << path;
    }
}

TEST_F(ChangeWatcherTest, StartAgainWatchesTheFolderNowSet)
{
    add("service");
    ASSERT_EQ(watcher_.Start(), S_OK);
    const fs::path moved = home_.root() / "moved";
    fs::create_directories(moved);
    globalSettings().TempFolderPath = moved.string();
    ASSERT_EQ(watcher_.Start(), S_OK);

    renameInto(moved / "session.txt");
    EXPECT_TRUE(notifiedAtLeast(1));
}

// Stop on the main thread while the worker waits for a call onto the main thread: from within the
// call itself, and from a main thread that serves no calls at all.
TEST_F(ChangeWatcherTest, StopWhileTheWorkerWaitsForTheMainThreadReturnsPromptly)
{
    auto stopped = Clock::duration::max();
    add("stopping", [&] {
        const auto started = Clock::now();
        watcher_.Stop();
        stopped = Clock::now() - started;
    });
    add("after");
    ASSERT_EQ(watcher_.Start(), S_OK);
    renameInto(folder() / "session.txt");
    ASSERT_TRUE(notifiedAtLeast(1));
    EXPECT_LT(stopped, std::chrono::milliseconds(2000));

    ASSERT_EQ(watcher_.Start(), S_OK);
    renameInto(folder() / "session.txt");
    const auto started = Clock::now();
    watcher_.Stop();
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(2000));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(log_.services, Names{"stopping"});
}

} // namespace
} // namespace quillbrook
