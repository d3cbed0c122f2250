// A child's standard error seen by its parent: passed on to this process's standard error as it
// comes, so that logs keep it, and its last few kilobytes kept, so that a child that failed can be
// reported with what it said.
//
//   auto tail = std::make_shared<OutputTail>();
//   startProcess(commandLine, {.standardErrorTail = tail});
//   ... the child ends with a failure ...
//   tail->waitForEnd(bound);
//   report(tail->lastLine());
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace quillbrook {

class OutputTail {
public:
    static constexpr std::size_t kKeptBytes = 4096;

    // The last bytes written, at most kKeptBytes.
    std::string text() const;
    // The last line of text() that holds more than blanks, without its line break; empty when
    // there is none.
    std::string lastLine() const;
    // Waits until every writer has closed its end (the child and whatever it started with the
    // same standard error) or `timeout` has passed; true at the end.
    bool waitForEnd(std::chrono::milliseconds timeout) const;

    // The relay's side.
    void append(std::string_view bytes);
    void markEnded();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable ended_;
    std::string bytes_;
    bool hasEnded_ = false;
};

// Takes over `readEnd`, the read end of a pipe, and relays what arrives into `tail` and this
// process's standard error on the process's relay thread, until every writer has closed the pipe.
// The pipe is read for as long as it has writers, so a child never blocks on a full pipe and
// never meets a closed one while this process runs.
void relayOutput(int readEnd, std::shared_ptr<OutputTail> tail);

} // namespace quillbrook
