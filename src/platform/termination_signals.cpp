#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <sys/signalfd.h>
#include <unistd.h>

namespace quillbrook {
namespace {

sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    const sigset_t set = terminationSet();
    if (pthread_sigmask(SIG_BLOCK, &set, &previousMask_) != 0)
        return;
    descriptor_ = FileDescriptor(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
}

TerminationSignals::~TerminationSignals()
{
    notifier_.reset();
    descriptor_.reset();
    // A signal that came after the loop ended is taken as handled: the program is ending anyway.
    const sigset_t set = terminationSet();
    const timespec noWait{0, 0};
    while (sigtimedwait(&set, nullptr, &noWait) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void TerminationSignals::onSignal(std::function<void()> handler)
{
    handler_ = std::move(handler);
    notifier_ = std::make_unique<QSocketNotifier>(descriptor_.get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        signalfd_siginfo info{};
        while (::read(descriptor_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            handler_();
    });
}

} // namespace quillbrook
