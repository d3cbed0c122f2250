// SIGTERM and SIGINT as events of the main loop rather than asynchronous interruptions: both are
// blocked from construction on (in every thread started afterwards too, so construct this before
// the first thread) and read from a signalfd, so the server ends through its ordinary stop
// sequence. Children get the default signal handling back when they are started.
#pragma once

#include "platform/file_descriptor.h"

#include <signal.h>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quillbrook {

class TerminationSignals {
public:
    TerminationSignals();
    // Unblocks the signals again, after handling any that arrived.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool ok() const { return descriptor_.valid(); }
    // From now on `handler` runs on the application's thread once per signal. Needs the
    // QCoreApplication.
    void onSignal(std::function<void()> handler);

private:
    sigset_t previousMask_{};
    FileDescriptor descriptor_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> handler_;
};

} // namespace quillbrook
