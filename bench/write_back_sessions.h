// The editing sessions that the write-back benchmark drives: a private home and hive, the change
// watcher on its temporary files folder with no sync delay, idle sessions that only take part in
// every notification round, and sessions whose files the benchmark saves, playing the editor.
#pragma once

#include "service/service.h"
#include "support/page/test_page.h"
#include "support/temporary_home.h"

#include <QString>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace quillbrook::bench {

// One text box on a page of its own, registered with a service whose editor is the idle editor.
class RegisteredSession {
public:
    // Throws std::runtime_error when Register fails.
    RegisteredSession(const QString& title, const QString& value);
    // Takes the service out of the change notifier's rounds, then lets it go.
    ~RegisteredSession();
    RegisteredSession(const RegisteredSession&) = delete;
    RegisteredSession& operator=(const RegisteredSession&) = delete;

    testing::TestTextBox& box() { return *box_; }
    CService& service() { return *service_; }
    const std::string& file() const { return file_; }
    double registerMilliseconds() const { return registerMilliseconds_; }

private:
    std::shared_ptr<testing::TestPage> page_;
    std::shared_ptr<testing::TestTextBox> box_;
    std::shared_ptr<CService> service_;
    std::string file_;
    double registerMilliseconds_ = 0;
};

// A few figures of this process from /proc.
struct ProcessFigures {
    double residentMegabytes = 0;
    double threads = 0;
    double openDescriptors = 0;
};
ProcessFigures processFigures();

// What registering the idle sessions took, the last time some were registered.
struct IdleBuild {
    std::size_t sessions = 0;
    double seconds = 0;
    double residentMegabytesBefore = 0;
    double residentMegabytesAfter = 0;
};

class WriteBackWorld {
public:
    // Throws std::runtime_error when the watcher cannot start.
    WriteBackWorld();
    ~WriteBackWorld();
    WriteBackWorld(const WriteBackWorld&) = delete;
    WriteBackWorld& operator=(const WriteBackWorld&) = delete;

    // Registers or drops idle sessions until exactly `count` are held; they are notified before
    // any session registered later.
    void ensureIdleSessions(std::size_t count);
    std::vector<std::unique_ptr<RegisteredSession>>& idleSessions() { return idle_; }
    const IdleBuild& lastIdleBuild() const { return lastIdleBuild_; }
    // Runs the main thread's loop until the notification rounds of the latest changes have run.
    static void settle();

private:
    void registerIdleSessions(std::size_t more);

    testing::TemporaryHome home_;
    testing::ScopedLocale locale_;
    std::vector<std::unique_ptr<RegisteredSession>> idle_;
    IdleBuild lastIdleBuild_;
};

// UTF-8 text of at most `bytes` bytes (whole CR LF lines of ASCII and Japanese) that begins with
// `firstLine`.
std::string mixedUtf8Text(std::size_t bytes, const std::string& firstLine);

} // namespace quillbrook::bench
