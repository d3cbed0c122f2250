// Register: turns a text box into a running editing session — the temporary file, the editor on
// it, the deleter, the watcher's hand-over and the page window's events — or cleans up.
#include "service/service.h"

#include "interfaces/text_box.h"
#include "platform/charset.h"
#include "platform/file_descriptor.h"
#include "platform/file_dialog_request.h"
#include "platform/file_io.h"
#include "platform/file_names.h"
#include "platform/modal_interactions.h"
#include "platform/path_exists.h"
#include "resources/format_text.h"
#include "resources/string_table.h"
#include "service/change_notifier.h"
#include "service/editor_command_line.h"
#include "service/encodings.h"
#include "store/global_settings.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillbrook {
namespace {

constexpr std::size_t kTemplateCopyBlock = 4096;

// Copies the template's bytes as they are, block by block; a template that cannot be opened or
// read leaves the rest of the file empty.
[[nodiscard]] HRESULT copyTemplate(const std::string& templatePath, int out, const std::string& outPath)
{
    const FileDescriptor in(::open(templatePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return S_OK;
    char block[kTemplateCopyBlock];
    while (true) {
        const ssize_t got = ::read(in.get(), block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return S_OK;
        if (const Win32Error error = writeAll(out, std::string_view(block, static_cast<std::size_t>(got)), outPath))
            return HRESULT_FROM_WIN32(error);
        if (static_cast<std::size_t>(got) != sizeof block)
            return S_OK;
    }
}

std::string cutToBuffer(std::string text, std::size_t buffer)
{
    if (text.size() >= buffer)
        text.resize(buffer - 1);
    return text;
}

} // namespace

HRESULT CService::Register(const std::shared_ptr<Dispatchable>& TextAreaElement)
{
    bool refused = false;
    const HRESULT hr = startSession(TextAreaElement, refused);
    if (SUCCEEDED(hr) && !refused)
        return S_OK;
    if (refused)
        refuseElement();
    cleanUpFailedRegister();
    return refused ? S_OK : hr;
}

HRESULT CService::startSession(const std::shared_ptr<Dispatchable>& element, bool& refused)
{
    if (!element)
        return E_POINTER;
    pageProcessWatches_.clear();
    undeliveredTold_ = false;
    terminalLeftOpenTold_ = false;
    if (const HRESULT hr = bindElement(element); FAILED(hr))
        return hr;
    rememberOrigin();
    // A name that cannot be a file name in the folder fails where the file is created, as it
    // would on the original platform; the template is still chosen first.
    const Win32Error nameError = chooseTemporaryFilePath();
    std::string templatePath;
    if (settings_.UseTemplateFile)
        chooseTemplate(templatePath);
    if (nameError != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(nameError);
    if (const HRESULT hr = writeTemporaryFile(templatePath, refused); FAILED(hr) || refused)
        return hr;
    const auto stamp = fileStampOf(temporaryFilePath());
    if (!stamp.ok())
        return HRESULT_FROM_WIN32(stamp.error());
    temporaryFileStamp_ = stamp.value();
    if (const HRESULT hr = startEditor(); FAILED(hr))
        return hr;
    // Active before the deleter starts: an editor that ends at once lets the deleter end the
    // session before Register returns, and that end must not be undone here.
    ignoreResult(SetActive(true)); // marking active cannot fail
    const auto notStarted = [this](HRESULT hr) {
        std::lock_guard lock(sessionLock_);
        settings_.Active = 0;
        return hr;
    };
    // Without its deleter a session would never end, nor its file be kept and deleted.
    if (settings_.DeleteTemporaryFile) {
        if (const HRESULT hr = startDeleter(); FAILED(hr))
            return notStarted(hr);
    }
    const auto self = std::dynamic_pointer_cast<IService>(weak_from_this().lock());
    if (!self)
        return notStarted(E_UNEXPECTED);
    if (const HRESULT hr = changeNotifier().AddService(self); FAILED(hr))
        return notStarted(hr);
    if (const HRESULT hr = ConnectWindowEvents(); FAILED(hr))
        return notStarted(hr);
    watchPageProcesses();
    return S_OK;
}

Win32Error CService::chooseTemporaryFilePath()
{
    const std::string folder = globalSettings().TempFolderPath;
    while (true) {
        const auto path = pathInFolder(folder, MakeTemporaryFileName());
        if (!path.ok())
            return path.error();
        if (!PathExists(path.value())) {
            std::lock_guard lock(sessionLock_);
            temporaryFilePath_ = path.value();
            return ERROR_SUCCESS;
        }
    }
}

void CService::chooseTemplate(std::string& templatePath)
{
    ModalInteractions& interactions = modalInteractions();
    const WindowId owner = interactions.foregroundWindow();
    templatePath = toNarrow(settings_.TemplateFile);
    const bool missing = !PathExists(templatePath);
    if (missing) {
        const QString text = formatText(loadStringW(string_id::TemplateMissing), {toWide(templatePath)});
        interactions.messageBox(owner, text.left(buffer_size::Message - 1),
                                loadStringW(string_id::TemplateMissingCaption), MB_OK);
    }
    if (!settings_.AlwaysAskTemplate && !missing)
        return;
    const std::string extension = toNarrow(settings_.Extension);
    FileDialogRequest request;
    request.Title = loadString(string_id::TemplateTitle);
    request.Filter =
        cutToBuffer(formatText(loadString(string_id::TemplateFilter), {extension, extension}), buffer_size::Path);
    request.DefaultExtension = extension;
    request.Save = false;
    request.Path = templatePath;
    templatePath = BrowseForFile(owner, request) == S_OK ? request.Path : std::string();
}

HRESULT CService::writeTemporaryFile(const std::string& templatePath, bool& refused)
{
    const std::string path = temporaryFilePath();
    // Exclusive: a file that appeared meanwhile is never overwritten. Private: page text may be.
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!file.valid())
        return hresultFromErrno(errno, path);
    if (!templatePath.empty() && PathExists(templatePath))
        return copyTemplate(templatePath, file.get(), path);

    const TextBox box = TextBox::of(element_);
    if (!box) {
        refused = true;
        return S_OK;
    }
    QString value;
    if (const HRESULT hr = box.get_value(&value); FAILED(hr))
        return hr;
    if (value.isNull())
        return S_OK;
    const QByteArray bytes = textToBytes(value, settings_.CodePage);
    return HRESULT_FROM_WIN32(
        writeAll(file.get(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), path));
}

HRESULT CService::startEditor()
{
    const std::string commandLine = buildEditorCommandLine(toNarrow(settings_.EditorProgramFile),
                                                           toNarrow(settings_.CommandLine), temporaryFilePath());
    StartOptions options;
    options.environmentDefaults = editorEnvironmentDefaults();
    options.standardErrorTail = std::make_shared<OutputTail>();
    auto started = startProcess(commandLine, options);
    if (!started.ok())
        return HRESULT_FROM_WIN32(started.error());
    auto editor = std::make_shared<ChildProcess>(std::move(started).value());
    editorStarted_ = std::chrono::steady_clock::now();
    editorOutput_ = options.standardErrorTail;
    std::lock_guard lock(sessionLock_);
    editorProcess_ = std::move(editor);
    return S_OK;
}

HRESULT CService::startDeleter()
{
    std::shared_ptr<ChildProcess> editor;
    std::uint64_t session = 0;
    DeferredDeleter::Job job;
    {
        std::lock_guard lock(sessionLock_);
        editor = editorProcess_;
        session = ++sessionNumber_;
        job.temporaryFilePath = [path = temporaryFilePath_] { return path; };
    }
    const GlobalSettings& settings = globalSettings();
    prepareDeleterJob(job, editor);
    // The delay is an unsigned number of milliseconds, as the setting always was.
    job.delay = std::chrono::milliseconds(static_cast<std::uint32_t>(settings.DelayToDeleteTemporaryFile));
    if (settings.BackupLastDeletedFile)
        job.backupPath = settings.LastDeletedFileBackup;
    job.finished = [this, session] { endSession(session); };
    const HRESULT hr = deleter_.Start(std::move(job));
    if (SUCCEEDED(hr)) {
        std::lock_guard lock(sessionLock_);
        deleterRunning_ = true;
    }
    return hr;
}

void CService::cleanUpFailedRegister()
{
    deleter_.Stop();
    {
        std::lock_guard lock(sessionLock_);
        deleterRunning_ = false;
    }
    // Undoing a Register that failed: each step does what it can, and the failure that made the
    // Register fail is the one reported.
    ignoreResult(DisconnectWindowEvents());
    ignoreResult(OnBeforeUnload());
    ignoreResult(changeNotifier().RemoveService(this));
    ignoreResult(SetActive(false));
}

} // namespace quillbrook
