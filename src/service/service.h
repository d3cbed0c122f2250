// CService: the automation object behind one context-menu command. It carries the command's
// settings and, once a text box is registered, runs that box's editing session.
#pragma once

#include "automation/connection_interfaces.h"
#include "automation/module_lock.h"
#include "automation/serving_peer.h"
#include "interfaces/ihtmldocument2.h"
#include "interfaces/ihtmlelement.h"
#include "interfaces/iservice.h"
#include "platform/child_output.h"
#include "platform/editor_windows.h"
#include "platform/file_stamp.h"
#include "platform/process.h"
#include "platform/stop_event.h"
#include "recovery/recovered_text.h"
#include "service/deferred_deleter.h"
#include "store/menu_item_settings.h"
#include "store/menu_item_store.h"
#include "store/registry_store.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

class CService : public IService {
public:
    // Takes its defaults from the process-wide global settings.
    CService();
    ~CService() override;

    [[nodiscard]] HRESULT get_CommandLine(QString* value) override;
    [[nodiscard]] HRESULT put_CommandLine(const QString& value) override;
    [[nodiscard]] HRESULT get_Extension(QString* value) override;
    [[nodiscard]] HRESULT put_Extension(const QString& value) override;
    [[nodiscard]] HRESULT get_DeleteTemporaryFile(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT put_DeleteTemporaryFile(VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT get_CloseAtSaving(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT put_CloseAtSaving(VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT get_CarbonCopy(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT put_CarbonCopy(VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT get_CarbonCopyFile(QString* value) override;
    [[nodiscard]] HRESULT put_CarbonCopyFile(const QString& value) override;
    [[nodiscard]] HRESULT ShowMenuDialog(std::int32_t WindowHandle) override;
    [[nodiscard]] HRESULT Register(const std::shared_ptr<Dispatchable>& TextAreaElement) override;
    [[nodiscard]] HRESULT get_EditorName(QString* value) override;
    [[nodiscard]] HRESULT put_EditorName(const QString& value) override;
    [[nodiscard]] HRESULT get_EditorProgramFile(QString* value) override;
    [[nodiscard]] HRESULT put_EditorProgramFile(const QString& value) override;
    [[nodiscard]] HRESULT OnChangeNotification() override;
    [[nodiscard]] HRESULT get_Active(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT get_Unicode(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT put_Unicode(VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT LoadFromMenuExt(const QString& Label) override;
    [[nodiscard]] HRESULT SaveToMenuExt() override;
    [[nodiscard]] HRESULT get_Label(QString* value) override;
    [[nodiscard]] HRESULT put_Label(const QString& value) override;
    [[nodiscard]] HRESULT CopyTo(const std::shared_ptr<Dispatchable>& pUnkService) override;
    [[nodiscard]] HRESULT OnUnload() override;
    [[nodiscard]] HRESULT OnBeforeUnload() override;
    [[nodiscard]] HRESULT get_TemplateFile(QString* value) override;
    [[nodiscard]] HRESULT put_TemplateFile(const QString& value) override;
    [[nodiscard]] HRESULT get_AlwaysAskTemplate(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT put_AlwaysAskTemplate(VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT get_UseTemplateFile(VARIANT_BOOL* value) override;
    [[nodiscard]] HRESULT put_UseTemplateFile(VARIANT_BOOL value) override;
    [[nodiscard]] HRESULT OpenFile(const std::shared_ptr<Dispatchable>& TextAreaElement) override;
    [[nodiscard]] HRESULT get_CodePage(std::int32_t* value) override;
    [[nodiscard]] HRESULT put_CodePage(std::int32_t value) override;

    // Binds the session to a text box element and its page's document, releasing the previous
    // ones. Fails with E_POINTER for no element or no document, E_NOINTERFACE when the object is
    // no page element or its document no page document, and with the document read's failure.
    [[nodiscard]] HRESULT bindElement(const std::shared_ptr<Dispatchable>& element);
    // A new temporary file name (without folder) from the settings' template and the facts of the
    // bound page; draws a new session number at every call.
    std::string MakeTemporaryFileName();

    // Asks the editor's windows to close and stops writing saves back; the user is told once when
    // the editor's window is a terminal's, which is left open.
    [[nodiscard]] HRESULT CloseEditor();
    // With true, marks the session running. With false, ends the session's bookkeeping: the
    // editor process, the temporary file path and the deleter are let go. Safe from the deleter
    // thread.
    [[nodiscard]] HRESULT SetActive(bool active);
    [[nodiscard]] HRESULT ConnectWindowEvents();
    [[nodiscard]] HRESULT DisconnectWindowEvents();

    // The session's temporary file; empty when there is no session.
    std::string temporaryFilePath() const;

private:
    ModuleLock moduleLock_;
    MenuItemSettings settings_;
    [[nodiscard]] HRESULT findWindowEventsConnectionPoint(std::shared_ptr<IConnectionPoint>& point) const;
    [[nodiscard]] HRESULT startSession(const std::shared_ptr<Dispatchable>& element, bool& refused);
    [[nodiscard]] Win32Error chooseTemporaryFilePath();
    void chooseTemplate(std::string& templatePath);
    [[nodiscard]] HRESULT writeTemporaryFile(const std::string& templatePath, bool& refused);
    [[nodiscard]] HRESULT startEditor();
    // CloseEditor without the notice.
    EditorWindowsAsked askEditorToClose();
    [[nodiscard]] HRESULT startDeleter();
    void cleanUpFailedRegister();
    // The deleter's end of the session `session`; a later session on this object is left alone.
    void endSession(std::uint64_t session);
    void refuseElement();
    bool isActive() const;
    // The page's facts for the texts a session keeps.
    void rememberOrigin();
    // Ends the session as the page's unload would when the process serving the page leaves.
    void watchPageProcesses();
    void pageProcessLeft();
    // The page has gone: its objects are let go, from the event loop, so that its process can let
    // it go too; the service itself stays while its deleter runs.
    void letGoOfPageLater();
    void letGoOfPage();
    // The session has ended: the change notifier lets go of this service, from the event loop.
    void letGoOfSessionLater();
    // A save that could not reach the text box: kept in the recovery store, the user told once.
    void keepUndelivered(std::string_view bytes);
    // The deleter's work on the editor's end and the file's last text.
    void prepareDeleterJob(DeferredDeleter::Job& job, const std::shared_ptr<ChildProcess>& editor);

    // The session's page: the text box being edited and its document.
    std::shared_ptr<IHTMLElement> element_;
    std::shared_ptr<IHTMLDocument2> document_;
    // The stamp of the temporary file when it was last written by Register or read back.
    FileStamp temporaryFileStamp_;
    std::int32_t windowEventsCookie_ = 0;
    TextOrigin origin_;
    bool undeliveredTold_ = false;
    bool terminalLeftOpenTold_ = false;
    std::vector<std::unique_ptr<bus::ServingPeerWatch>> pageProcessWatches_;
    std::chrono::steady_clock::time_point editorStarted_;
    // What the editor writes to its standard error, for the report of one that fails at once.
    std::shared_ptr<OutputTail> editorOutput_;

    // Shared with the deleter thread: Active (in settings_), the editor, the path and whether a
    // deleter counts as the session's.
    mutable std::mutex sessionLock_;
    std::shared_ptr<ChildProcess> editorProcess_;
    std::string temporaryFilePath_;
    bool deleterRunning_ = false;
    std::uint64_t sessionNumber_ = 0;
    // Set when the page goes away: ends the deleter's wait for an editor that handed its file on.
    std::shared_ptr<StopEvent> pageGone_;
    // Last, so that it is stopped before the fields its thread uses go away.
    DeferredDeleter deleter_;
    // The browser's per-user context-menu key, where menu items are stored.
    CRegistryStore menuExtKey_;
};

} // namespace quillbrook
