// An X display for one test: the one $DISPLAY names when it can be reached (CI runs the suite
// under xvfb-run), else a private Xvfb on a free display number, stopped on destruction. DISPLAY
// names the display for the object's lifetime and comes back as it was afterwards.
#pragma once

#include "platform/x11_connection.h"
#include "support/x11/test_child_process.h"

#include <memory>
#include <optional>
#include <string>

namespace quillbrook::testing {

class TestDisplay {
public:
    enum class Kind {
        SharedWhenReachable,
        // For tests that play the window manager on the root window, which must not disturb a
        // display other tests or a desktop use.
        Private,
    };

    explicit TestDisplay(Kind kind = Kind::SharedWhenReachable);
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;

    bool ok() const { return !name_.empty(); }
    // ":N", or empty when no display could be had.
    const std::string& name() const { return name_; }

private:
    bool startServer();

    std::string name_;
    std::optional<std::string> previousDisplay_;
    std::unique_ptr<TestChildProcess> server_;
    // A server started without -noreset (xvfb-run's) resets whenever its last client leaves, and
    // a client connecting just then is dropped. Staying connected keeps it from resetting while
    // the test runs.
    std::optional<x11::Connection> resetGuard_;
};

} // namespace quillbrook::testing
