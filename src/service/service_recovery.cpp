// CService's care for texts that would otherwise be lost: saves that cannot reach the page, the
// last text of every session, a page whose process left, and an editor that handed its file to
// another one and ended at once.
#include "service/service.h"

#include "interfaces/text_box.h"
#include "platform/charset.h"
#include "platform/file_descriptor.h"
#include "platform/file_stamp.h"
#include "recovery/recovery_store.h"
#include "recovery/session_ledger.h"
#include "recovery/side_files.h"
#include "service/change_notifier.h"
#include "service/editor_command_line.h"
#include "service/session_notices.h"

#include <QCoreApplication>

#include <atomic>
#include <cerrno>
#include <functional>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace quillbrook {
namespace {

// An editor that ends this soon after its start without having saved handed the file to an
// instance that was already running: such launchers return within a second even on a loaded
// machine, while nobody opens a text, reads it and closes the editor on purpose this fast. The
// cost of a wrong guess is small either way: the file then waits for the page to go.
constexpr std::chrono::seconds kHandOffBound{3};
// A failed editor's last words are in its pipe when it ends; this bounds the wait for a child it
// left behind holding the pipe open.
constexpr std::chrono::seconds kOutputEndBound{1};

// Runs `work` on the main thread's event loop, after whatever runs now; nothing without one.
void fromEventLoop(std::function<void()> work)
{
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

void waitForEither(const StopEvent& first, const StopEvent& second)
{
    pollfd descriptors[] = {{first.fd(), POLLIN, 0}, {second.fd(), POLLIN, 0}};
    while (!first.isSet() && !second.isSet())
        if (::poll(descriptors, 2, -1) < 0 && errno != EINTR)
            return;
}

} // namespace

void CService::rememberOrigin()
{
    origin_ = TextOrigin{};
    // A page that does not tell its title or address leaves them empty in the kept text.
    if (document_) {
        ignoreResult(document_->get_title(&origin_.title));
        ignoreResult(document_->get_URL(&origin_.url));
    }
    origin_.menuItem = settings_.Label;
    origin_.codePage = settings_.CodePage;
}

void CService::watchPageProcesses()
{
    std::shared_ptr<Dispatchable> window;
    // Without the window, the element's and document's processes are watched all the same.
    if (document_)
        ignoreResult(document_->get_parentWindow(&window));
    for (const std::shared_ptr<Dispatchable>& object :
         {std::shared_ptr<Dispatchable>(element_), std::shared_ptr<Dispatchable>(document_), window}) {
        auto watch = std::make_unique<bus::ServingPeerWatch>(object, [this] { pageProcessLeft(); });
        if (watch->watching())
            pageProcessWatches_.push_back(std::move(watch));
    }
}

void CService::pageProcessLeft()
{
    // As at the page's unload; the page's connection point left with its process, so there is
    // nothing to disconnect from, and no message box.
    windowEventsCookie_ = 0;
    const bool wasActive = isActive();
    // An editor that cannot be asked to close is left to the user; the session ends either way.
    ignoreResult(CloseEditor());
    // The notice of a terminal left open says it all already.
    if (wasActive && !terminalLeftOpenTold_)
        tellPageWentAway(origin_.title);
    letGoOfPageLater();
}

void CService::letGoOfPageLater()
{
    // From the event loop: this may run within a call from the page, or a watch's own signal.
    fromEventLoop([weak = weak_from_this(), element = element_.get()] {
        const auto self = std::dynamic_pointer_cast<CService>(weak.lock());
        if (self && self->element_.get() == element)
            self->letGoOfPage();
    });
}

void CService::letGoOfPage()
{
    element_.reset();
    document_.reset();
    pageProcessWatches_.clear();
    bool deleterRunning = false;
    {
        std::lock_guard lock(sessionLock_);
        deleterRunning = deleterRunning_;
    }
    // A running deleter still needs this object; it lets go at the session's end.
    // A service the notifier does not hold any more has nothing to remove.
    if (!deleterRunning)
        ignoreResult(changeNotifier().RemoveService(this));
}

void CService::letGoOfSessionLater()
{
    fromEventLoop([weak = weak_from_this()] {
        // Held here, so that a service whose last holder was the notifier ends on this thread.
        if (const auto self = std::dynamic_pointer_cast<CService>(weak.lock()))
            ignoreResult(changeNotifier().RemoveService(self.get())); // as above
    });
}

void CService::keepUndelivered(std::string_view bytes)
{
    const auto kept = RecoveryStore::forCurrentUser().keep(KeptBecause::Undelivered, origin_, bytes);
    if (std::exchange(undeliveredTold_, true))
        return;
    // Without the store the text is still in the temporary file, which the deleter keeps in turn.
    tellTextKept(origin_.title, kept.ok() ? kept.value().textPath : temporaryFilePath());
}

void CService::prepareDeleterJob(DeferredDeleter::Job& job, const std::shared_ptr<ChildProcess>& editor)
{
    auto pageGone = std::make_shared<StopEvent>();
    {
        std::lock_guard lock(sessionLock_);
        pageGone_ = pageGone;
    }
    const std::string path = temporaryFilePath();
    std::string ledgerEntry;
    if (auto recorded = SessionLedger::forCurrentUser().record(path, origin_); recorded.ok())
        ledgerEntry = std::move(recorded).value();
    const auto handedOff = std::make_shared<std::atomic<bool>>(false);
    const std::string editorCommand = toNarrow(settings_.EditorProgramFile);

    job.waitForEditorEnd = [editor, started = editorStarted_, path, stamp = temporaryFileStamp_, pageGone, handedOff,
                            editorCommand, output = editorOutput_](const StopEvent& stop) {
        if (!editor)
            return;
        editor->waitForEndOrStop(stop);
        // An editor that ended after the page went was asked to.
        if (stop.isSet() || pageGone->isSet() || std::chrono::steady_clock::now() - started >= kHandOffBound)
            return;
        if (const int status = editor->exitStatus().value_or(0); status != 0) {
            // It could not run: the user learns what it said, and the file waits for the page, so
            // that a corrected editor can still be tried on the page's text.
            if (output)
                output->waitForEnd(kOutputEndBound);
            tellEditorFailed(editorCommand, status, output ? output->lastLine() : std::string());
            waitForEither(*pageGone, stop);
            return;
        }
        const auto now = fileStampOf(path);
        if (!now.ok() || !(now.value() == stamp))
            return;
        // The file is open elsewhere: it stays, and saves keep reaching the page, until the page goes.
        handedOff->store(true);
        tellEditorHandedOff(editorCommand);
        waitForEither(*pageGone, stop);
    };
    job.beforeDelete = [origin = origin_, ledgerEntry, handedOff, path](std::string_view bytes) {
        RecoveryStore store = RecoveryStore::forCurrentUser();
        // Side files the store cannot take stay beside the file, for the next server's start.
        keepSideFiles(store, path, origin);
        if (!bytes.empty() && !store.keep(KeptBecause::SessionEnded, origin, bytes).ok())
            return false; // left for the next server's start to keep
        // An editor that holds the file may save it again after the deletion; the entry lets the
        // next server's start find that file.
        if (!handedOff->load())
            SessionLedger::forCurrentUser().forget(ledgerEntry);
        return true;
    };
}

} // namespace quillbrook
