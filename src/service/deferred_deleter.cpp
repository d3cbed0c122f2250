#include "service/deferred_deleter.h"

#include "platform/file_io.h"

#include <system_error>
#include <unistd.h>

namespace quillbrook {

DeferredDeleter::~DeferredDeleter()
{
    Stop();
}

HRESULT DeferredDeleter::Start(Job job)
{
    Stop();
    stop_ = std::make_unique<StopEvent>();
    if (stop_->fd() < 0)
        return hresultFromErrno(errno);
    {
        const std::lock_guard lock(mutex_);
        abandoned_ = false;
        ended_ = false;
    }
    try {
        thread_ = std::thread([this, job = std::move(job)] { run(job); });
    } catch (const std::system_error& error) {
        return HRESULT_FROM_WIN32(win32ErrorFromErrno(error.code().value()));
    }
    return S_OK;
}

void DeferredDeleter::Stop()
{
    if (!thread_.joinable())
        return;
    stop_->set();
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kStopBound, [this] { return ended_; }))
            abandoned_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void DeferredDeleter::run(const Job& job)
{
    // Whichever way the wait ends, the delay follows.
    if (job.waitForEditorEnd)
        job.waitForEditorEnd(*stop_);
    if (!sleepUnlessAbandoned(job.delay)) {
        markEnded();
        return;
    }
    const std::string path = job.temporaryFilePath ? job.temporaryFilePath() : std::string();
    if (!path.empty()) {
        // Read once, for the backup and for whoever keeps the last text.
        const auto text = readRegularFile(path);
        // A new backup takes the old one's place whole, and a link planted at its path is never
        // written through. Failures stay silent: the recovery store keeps the last text as well.
        if (!job.backupPath.empty() && text.ok())
            ignoreResult(replaceRegularFile(job.backupPath, text.value()));
        if (!job.beforeDelete || job.beforeDelete(text.ok() ? std::string_view(text.value()) : std::string_view()))
            unlink(path.c_str());
    }
    if (job.finished)
        job.finished();
    markEnded();
}

bool DeferredDeleter::sleepUnlessAbandoned(std::chrono::milliseconds delay)
{
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, delay, [this] { return abandoned_; });
}

void DeferredDeleter::markEnded()
{
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

} // namespace quillbrook
