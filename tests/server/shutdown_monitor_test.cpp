// The shutdown monitor's algorithm with a finite idle timeout, and its end on destruction.
#include "server/shutdown_monitor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace quillbrook {
namespace {

using namespace std::chrono_literals;

// What the monitor saw and did, for the test to wait on.
class MonitorProbe {
public:
    explicit MonitorProbe(std::vector<long> lockCounts) : lockCounts_(std::move(lockCounts)) {}

    long lockCount()
    {
        const std::lock_guard lock(mutex_);
        const long count = reads_ < lockCounts_.size() ? lockCounts_[reads_] : 0;
        ++reads_;
        changed_.notify_all();
        return count;
    }
    void postQuit()
    {
        const std::lock_guard lock(mutex_);
        readsAtQuit_ = static_cast<long>(reads_);
        changed_.notify_all();
    }
    std::size_t reads()
    {
        const std::lock_guard lock(mutex_);
        return reads_;
    }
    bool waitForReads(std::size_t reads)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return reads_ >= reads; });
    }
    // The number of lock count reads when the quit was posted; -1 when it was not in time.
    long waitForQuit(std::chrono::milliseconds timeout = 10s)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return readsAtQuit_ >= 0; });
        return readsAtQuit_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<long> lockCounts_;
    std::size_t reads_ = 0;
    long readsAtQuit_ = -1;
};

std::unique_ptr<ShutdownMonitor> monitorWith(MonitorProbe& probe, ShutdownMonitor::IdleTimeout timeout)
{
    return std::make_unique<ShutdownMonitor>(
        timeout, [&probe] { return probe.lockCount(); }, [&probe] { probe.postQuit(); });
}

TEST(ShutdownMonitor, QuitsOnceIdleForTheTimeoutWithNoLocks)
{
    MonitorProbe probe({0});
    const auto monitor = monitorWith(probe, 10ms);
    ASSERT_TRUE(monitor->started());
    monitor->lockCountFellToZero();
    EXPECT_EQ(probe.waitForQuit(), 1);
}

TEST(ShutdownMonitor, ALockTakenAgainKeepsTheServerUntilTheCountFallsAgain)
{
    MonitorProbe probe({1, 0});
    const auto monitor = monitorWith(probe, 10ms);
    monitor->lockCountFellToZero();
    ASSERT_TRUE(probe.waitForReads(1));
    monitor->lockCountFellToZero();
    EXPECT_EQ(probe.waitForQuit(), 2);
}

TEST(ShutdownMonitor, AnInfiniteTimeoutWaitsUntilTheMonitorIsDestroyed)
{
    MonitorProbe probe({0});
    monitorWith(probe, std::nullopt)->lockCountFellToZero();
    // The thread has been joined: what it did is final.
    EXPECT_EQ(probe.reads(), 0u);
    EXPECT_EQ(probe.waitForQuit(0ms), -1);
}

} // namespace
} // namespace quillbrook
