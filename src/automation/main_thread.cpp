#include "automation/main_thread.h"

#include <QCoreApplication>
#include <QThread>
#include <cerrno>
#include <memory>
#include <mutex>
#include <poll.h>

namespace quillbrook {
namespace {

// What a posted call and its waiting caller share; either side may outlive the other.
class CallState {
public:
    // On the main thread: false when the caller has already given up, so the call must not run.
    bool begin()
    {
        const std::lock_guard lock(mutex_);
        if (phase_ != Phase::Queued)
            return false;
        phase_ = Phase::Running;
        return true;
    }

    // On the main thread, after the call ran or when it is dropped without running.
    void finish(HRESULT result)
    {
        const std::lock_guard lock(mutex_);
        if (phase_ == Phase::Abandoned || phase_ == Phase::Finished)
            return;
        phase_ = Phase::Finished;
        result_ = result;
        finished_.set();
    }

    // On the caller's thread: the call's result, E_ABORT when `stop` came first.
    [[nodiscard]] HRESULT await(const StopEvent& stop)
    {
        pollfd waits[] = {{finished_.fd(), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
        while (poll(waits, 2, -1) < 0) {
            if (errno != EINTR)
                return abandon(hresultFromErrno(errno));
        }
        return abandon(E_ABORT);
    }

private:
    enum class Phase { Queued, Running, Finished, Abandoned };

    // A result that arrived together with the stop is still the call's result.
    [[nodiscard]] HRESULT abandon(HRESULT reason)
    {
        const std::lock_guard lock(mutex_);
        if (phase_ == Phase::Finished)
            return result_;
        phase_ = Phase::Abandoned;
        return reason;
    }

    std::mutex mutex_;
    Phase phase_ = Phase::Queued;
    HRESULT result_ = S_OK;
    StopEvent finished_;
};

// The call as it travels through the main thread's event queue. Qt destroys it on the main thread
// once it ran, or without running it when the application ends first; then the caller is told.
class PostedCall {
public:
    PostedCall(std::function<HRESULT()> call, std::shared_ptr<CallState> state)
        : call_(std::move(call)), state_(std::move(state))
    {}
    ~PostedCall() { state_->finish(RPC_E_DISCONNECTED); }
    PostedCall(const PostedCall&) = delete;
    PostedCall& operator=(const PostedCall&) = delete;

    void run()
    {
        if (state_->begin())
            state_->finish(call_());
    }

private:
    std::function<HRESULT()> call_;
    std::shared_ptr<CallState> state_;
};

} // namespace

bool isMainThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

[[nodiscard]] HRESULT callOnMainThread(std::function<HRESULT()> call, const StopEvent& stop)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return RPC_E_DISCONNECTED;
    if (stop.isSet())
        return E_ABORT;
    if (QThread::currentThread() == application->thread())
        return call();

    auto state = std::make_shared<CallState>();
    auto posted = std::make_shared<PostedCall>(std::move(call), state);
    QMetaObject::invokeMethod(
        application, [posted] { posted->run(); }, Qt::QueuedConnection);
    posted.reset();
    return state->await(stop);
}

} // namespace quillbrook
