// CService's running session: the Active flag, the editor's close, and writing the editor's saves
// back into the text box.
#include "service/service.h"

#include "automation/main_thread.h"
#include "interfaces/text_box.h"
#include "platform/charset.h"
#include "platform/editor_windows.h"
#include "platform/file_descriptor.h"
#include "platform/file_io.h"
#include "platform/modal_interactions.h"
#include "resources/string_table.h"
#include "service/encodings.h"
#include "service/session_notices.h"
#include "store/global_settings.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace quillbrook {

bool CService::isActive() const
{
    std::lock_guard lock(sessionLock_);
    return settings_.Active != 0;
}

std::string CService::temporaryFilePath() const
{
    std::lock_guard lock(sessionLock_);
    return temporaryFilePath_;
}

HRESULT CService::get_Active(VARIANT_BOOL* value)
{
    if (!value)
        return E_POINTER;
    std::lock_guard lock(sessionLock_);
    *value = settings_.Active;
    return S_OK;
}

HRESULT CService::SetActive(bool active)
{
    std::shared_ptr<ChildProcess> editor;
    {
        std::lock_guard lock(sessionLock_);
        if (active) {
            settings_.Active = 1;
            return S_OK;
        }
        settings_.Active = 0;
        editor = std::move(editorProcess_);
        temporaryFilePath_.clear();
        deleterRunning_ = false;
    }
    // The editor is let go outside the lock; a child still running goes to the reaper.
    editor.reset();
    return S_OK;
}

void CService::endSession(std::uint64_t session)
{
    {
        std::lock_guard lock(sessionLock_);
        if (session != sessionNumber_)
            return;
    }
    // The editor has ended or is asked to close; either way the session is over.
    ignoreResult(SetActive(false));
    letGoOfSessionLater();
}

HRESULT CService::CloseEditor()
{
    // A terminal's window is left open, since closing it would end the editor inside without
    // letting it ask to save; the user finishes there, and the text is kept when the editor ends.
    if (askEditorToClose().terminalsLeftOpen > 0 && !std::exchange(terminalLeftOpenTold_, true))
        tellTerminalLeftOpen(origin_.title);
    return S_OK;
}

EditorWindowsAsked CService::askEditorToClose()
{
    pid_t editorPid = 0;
    {
        std::lock_guard lock(sessionLock_);
        if (pageGone_)
            pageGone_->set();
        if (!editorProcess_ || !editorProcess_->valid())
            return {};
        settings_.Active = 0;
        // An editor that has ended (one that handed its file on) has no windows; its process id
        // may already be another program's.
        if (editorProcess_->hasEnded())
            return {};
        editorPid = editorProcess_->pid();
    }
    return closeEditorWindows(editorPid);
}

HRESULT CService::OnChangeNotification()
{
    if (!isActive())
        return S_OK;
    const std::string path = temporaryFilePath();
    const auto stamp = fileStampOf(path);
    if (!stamp.ok())
        return HRESULT_FROM_WIN32(stamp.error());
    if (stamp.value() == temporaryFileStamp_)
        return S_OK;
    temporaryFileStamp_ = stamp.value();

    // Gives the editor time to finish writing.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, globalSettings().ChangeNotificationSyncDelay)));

    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        return hresultFromErrno(errno, path);
    // The file as the editor left it after the delay: inotify reports a save that truncates the
    // file before writing it at the truncation, when the file is still empty. Reading only the
    // size seen then would put an empty or cut text into the page (and, with CloseAtSaving, close
    // the editor on it). The settled stamp is remembered, so the rest of that save is not read again.
    const auto settled = fileStampOf(file.get());
    if (!settled.ok())
        return HRESULT_FROM_WIN32(settled.error());
    temporaryFileStamp_ = settled.value();
    FileDescriptor carbonCopy;
    if (settings_.CarbonCopy && !settings_.CarbonCopyFile.isEmpty()) {
        const std::string copyPath = toNarrow(settings_.CarbonCopyFile);
        // Never through a link: one planted there would have the page's text written wherever it leads.
        carbonCopy =
            FileDescriptor(::open(copyPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!carbonCopy.valid())
            return hresultFromErrno(errno, copyPath);
    }
    if (settled.value().size >> 32)
        return kFileTooLarge;
    std::string data;
    if (const Win32Error error = readUpTo(file.get(), static_cast<std::size_t>(settled.value().size), data, path))
        return HRESULT_FROM_WIN32(error);
    // The copy's own failure is not the session's.
    if (carbonCopy.valid())
        ignoreResult(writeAll(carbonCopy.get(), data, {}));
    const QString text = bytesToText(data, settings_.CodePage);

    const TextBox box = TextBox::of(element_);
    if (!box) {
        // An element whose page can no longer be reached is no refused element.
        if (bus::servingPeerHasLeft(element_)) {
            keepUndelivered(data);
            return RPC_E_DISCONNECTED;
        }
        refuseElement();
        return S_OK;
    }
    if (const HRESULT hr = box.put_value(text); FAILED(hr)) {
        keepUndelivered(data);
        return hr;
    }
    // The text has reached its page: a terminal left open then keeps nothing from the user.
    if (settings_.CloseAtSaving)
        askEditorToClose();
    return S_OK;
}

// An element that is no text box: the user is told, owned by the browser's window.
void CService::refuseElement()
{
    ModalInteractions& interactions = modalInteractions();
    interactions.messageBox(interactions.foregroundWindow(), loadStringW(string_id::NotATextBox),
                            loadStringW(string_id::NotATextBoxCaption), MB_OK);
}

} // namespace quillbrook
