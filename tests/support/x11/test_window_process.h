// A running quillbrook-test-window, driven through its stdin and stdout: waits for "ready" on
// construction, and on destruction closes its stdin, which ends it.
#pragma once

#include "support/x11/test_child_process.h"

#include <xcb/xcb.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quillbrook::testing {

class TestWindowProcess {
public:
    explicit TestWindowProcess(const std::vector<std::string>& options = {});
    ~TestWindowProcess();
    TestWindowProcess(const TestWindowProcess&) = delete;
    TestWindowProcess& operator=(const TestWindowProcess&) = delete;

    // True once the program said "ready": its windows are mapped.
    bool ready() const { return ready_; }
    pid_t pid() const { return process_ ? process_->pid() : -1; }
    bool running() const { return process_ && process_->running(); }

    // The lines the program said before answering a ping, so every message that reached it
    // before this call is among them. nullopt if it did not answer (it ended, or timed out).
    std::optional<std::vector<std::string>> linesBeforePong();
    std::vector<xcb_window_t> windows();
    // The wait status once the program has ended, nullopt if it still runs after `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    void send(const std::string& command);
    std::optional<std::string> readLine();

    OwnedFd input_;
    OwnedFd output_;
    std::string buffered_;
    std::optional<TestChildProcess> process_;
    bool ready_ = false;
};

} // namespace quillbrook::testing
