// Reaps the children whose owners let go of them while they still ran, so that an editor the
// server no longer waits for leaves no zombie behind when it ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace quillbrook {

class ChildReaper {
public:
    ChildReaper();
    // Stops and joins the thread. Children still running are not waited for.
    ~ChildReaper();
    ChildReaper(const ChildReaper&) = delete;
    ChildReaper& operator=(const ChildReaper&) = delete;

    // Takes ownership of the pidfd of a child of this process; the child is reaped when it ends.
    void adopt(int pidfd);
    // Waits until every adopted child has been reaped or `timeout` has passed; true when none is
    // left. For an orderly shutdown, and for tests.
    bool waitUntilNoneLeft(std::chrono::milliseconds timeout);

private:
    void run();

    int wakeFd_ = -1;
    std::mutex mutex_;
    std::condition_variable noneLeft_;
    std::vector<int> handedOver_; // adopted, not yet seen by the thread
    std::size_t left_ = 0;        // adopted, not yet reaped
    bool stopping_ = false;
    std::thread thread_;
};

// The reaper of this process, started on first use and stopped at exit.
ChildReaper& childReaper();

} // namespace quillbrook
