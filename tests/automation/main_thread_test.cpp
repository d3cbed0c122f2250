#include "automation/main_thread.h"

#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

#include "support/main_thread_loop.h"

namespace quillbrook {
namespace {

using quillbrook::testing::runEventLoopUntil;
using quillbrook::testing::testApplication;

// A worker thread that makes one call onto the main thread and keeps its result.
class Worker {
public:
    Worker(std::function<HRESULT()> call, const StopEvent& stop)
        : thread_([this, call = std::move(call), &stop] {
              result_ = callOnMainThread(call, stop);
              finished_ = true;
          })
    {}
    ~Worker() { join(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void join()
    {
        if (thread_.joinable())
            thread_.join();
    }
    bool finished() const { return finished_; }
    HRESULT result() const { return result_; }

private:
    std::atomic<HRESULT> result_{S_OK};
    std::atomic<bool> finished_{false};
    std::thread thread_; // last: started once the fields it writes exist
};

class MainThreadCall : public ::testing::Test {
protected:
    MainThreadCall() { testApplication(); }

    StopEvent stop_;
};

TEST_F(MainThreadCall, RunsOnTheMainThreadWhileTheWorkerWaitsAndPassesTheResultBack)
{
    constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005u);
    QThread* ranOn = nullptr;
    Worker worker(
        [&] {
            ranOn = QThread::currentThread();
            return kAccessDenied;
        },
        stop_);
    // Nothing but the main thread's loop can end the worker's wait.
    EXPECT_FALSE(worker.finished());

    ASSERT_TRUE(runEventLoopUntil([&] { return worker.finished(); }));
    EXPECT_EQ(ranOn, testApplication().thread());
    EXPECT_EQ(worker.result(), kAccessDenied);
}

TEST_F(MainThreadCall, OnTheMainThreadRunsDirectly)
{
    int runs = 0;
    EXPECT_TRUE(isMainThread());
    EXPECT_EQ(callOnMainThread([&] { return ++runs, S_FALSE; }, stop_), S_FALSE);
    EXPECT_EQ(runs, 1);
}

TEST_F(MainThreadCall, NoCallBeginsOnceStopIsSet)
{
    int runs = 0;
    const auto call = [&] { return ++runs, S_OK; };
    stop_.set();

    EXPECT_EQ(callOnMainThread(call, stop_), E_ABORT);
    Worker worker(call, stop_);
    worker.join();
    EXPECT_EQ(worker.result(), E_ABORT);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(runs, 0);
}

// The main thread does not serve its queue but waits for the worker, as Stop joins the watcher's
// thread: the stop event frees the worker, and the call it left behind never runs.
TEST_F(MainThreadCall, StopFreesAWaitingWorkerAndItsQueuedCallNeverRuns)
{
    int runs = 0;
    Worker worker([&] { return ++runs, S_OK; }, stop_);
    stop_.set();
    worker.join();

    EXPECT_EQ(worker.result(), E_ABORT);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(runs, 0);
}

// The call itself stops and joins its caller (Stop from within a notification): the worker ends
// while the call is still running, and the call finishes safely after it.
TEST_F(MainThreadCall, ACallThatOutlivesItsStoppedCallerFinishesSafely)
{
    std::optional<Worker> worker;
    bool callerEndedFirst = false;
    worker.emplace(
        [&] {
            stop_.set();
            worker->join();
            callerEndedFirst = worker->finished();
            return S_OK;
        },
        stop_);

    ASSERT_TRUE(runEventLoopUntil([&] { return callerEndedFirst; }));
    EXPECT_EQ(worker->result(), E_ABORT);
}

TEST_F(MainThreadCall, NestedEventLoopsKeepServingCalls)
{
    bool innerRan = false;
    std::optional<Worker> inner;
    Worker outer(
        [&] {
            inner.emplace([&] { return innerRan = true, S_OK; }, stop_);
            // The loop of a modal dialog that the outer call shows.
            return runEventLoopUntil([&] { return inner->finished(); }) ? S_OK : E_FAIL;
        },
        stop_);

    ASSERT_TRUE(runEventLoopUntil([&] { return outer.finished(); }));
    EXPECT_EQ(outer.result(), S_OK);
    EXPECT_TRUE(innerRan);
}

// Swallows the queued calls: what the application's end does to calls still in its queue.
class QueuedCallSwallower : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::MetaCall; }
};

TEST_F(MainThreadCall, ACallDroppedByTheMainThreadReportsDisconnected)
{
    QueuedCallSwallower swallower;
    testApplication().installEventFilter(&swallower);
    bool ran = false;
    Worker worker([&] { return ran = true, S_OK; }, stop_);

    ASSERT_TRUE(runEventLoopUntil([&] { return worker.finished(); }));
    testApplication().removeEventFilter(&swallower);
    EXPECT_EQ(worker.result(), RPC_E_DISCONNECTED);
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace quillbrook
