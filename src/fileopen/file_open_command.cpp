// OpenFile: the Open File command, from the file dialog to the text box's new value.
#include "fileopen/file_open_service.h"

#include "fileopen/code_page_hook.h"
#include "fileopen/file_types.h"
#include "interfaces/text_box.h"
#include "platform/charset.h"
#include "platform/file_descriptor.h"
#include "platform/file_io.h"
#include "platform/file_dialog_request.h"
#include "platform/modal_interactions.h"
#include "platform/path_exists.h"
#include "resources/format_text.h"
#include "resources/string_table.h"
#include "service/encodings.h"
#include "store/global_settings.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbrook {
namespace {

// An OK message box owned by the window the user works in.
void tellUser(const QString& text, const QString& caption)
{
    ModalInteractions& interactions = modalInteractions();
    interactions.messageBox(interactions.foregroundWindow(), text, caption, MB_OK);
}

} // namespace

HRESULT CFileOpenService::OpenFile(const std::shared_ptr<Dispatchable>& TextAreaElement)
{
    std::string path;
    std::int32_t codePage = code_page::Default;
    if (const HRESULT hr = chooseFile(path, codePage); hr != S_OK)
        return hr;
    if (!PathExists(path)) {
        tellUser(formatText(loadStringW(string_id::OpenFileMissing), {toWide(path)}),
                 loadStringW(string_id::OpenFileMissingCaption));
        return S_OK;
    }
    QString text;
    if (const HRESULT hr = readText(path, codePage, text); FAILED(hr))
        return hr;
    const TextBox box = TextBox::of(TextAreaElement);
    if (!box) {
        tellUser(loadStringW(string_id::NotATextBox), loadStringW(string_id::NotATextBoxCaption));
        return S_OK;
    }
    if (const HRESULT hr = box.put_value(text); FAILED(hr))
        return hr;
    GlobalSettings& settings = globalSettings();
    settings.LastOpenedFile = path;
    // The file is open in the page either way; a folder not remembered is only asked for again.
    ignoreResult(settings.Save(std::string()));
    openingFile_ = toWide(path);
    return S_OK;
}

HRESULT CFileOpenService::chooseFile(std::string& path, std::int32_t& codePage)
{
    GlobalSettings& settings = globalSettings();
    const std::vector<std::string> extensions = splitExtensions(toNarrow(extensions_));
    FileDialogRequest request;
    request.Title = loadString(string_id::OpenFileTitle);
    request.Filter = fileTypeFilter(loadString(string_id::OpenFileFilter), extensions, buffer_size::Path);
    request.DefaultExtension = extensions.front();
    request.Save = false;
    request.Path = toNarrow(openingFile_);

    const bool offerEncodings = settings.FileOpenSpecifyCodePage != 0;
    std::int32_t chosen = settings.FileOpenCodePage;
    if (offerEncodings) {
        request.TemplateId = kOpenFileEncodingTemplate;
        request.OldTemplateId = kOpenFileEncodingOldTemplate;
        request.Hook = CodePageHook;
        request.CustomData = reinterpret_cast<std::intptr_t>(&chosen);
    }
    if (BrowseForFile(modalInteractions().foregroundWindow(), request) != S_OK)
        return S_FALSE;
    if (offerEncodings) {
        settings.FileOpenCodePage = chosen;
        // The chosen encoding is used all the same; one not remembered is offered again next time.
        ignoreResult(settings.Save(std::string()));
    }
    path = request.Path;
    codePage = offerEncodings ? chosen : code_page::Default;
    return S_OK;
}

HRESULT CFileOpenService::readText(const std::string& path, std::int32_t codePage, QString& text)
{
    // Not blocking, so that a named pipe cannot hold the server until someone writes to it.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        return hresultFromErrno(errno, path);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return hresultFromErrno(errno, path);
    // The original could open files only; a folder, a pipe or a device is refused as it refused a folder.
    if (!S_ISREG(status.st_mode))
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size >> 32)
        return kFileTooLarge;
    std::string data;
    if (const Win32Error error = readUpTo(file.get(), static_cast<std::size_t>(size), data, path))
        return HRESULT_FROM_WIN32(error);
    // bytesToText reads the data as if the zero bytes that end the text in every encoding followed it.
    text = bytesToText(data, codePage);
    return S_OK;
}

} // namespace quillbrook
