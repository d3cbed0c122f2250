#include "store/menu_script.h"

#include "platform/file_descriptor.h"
#include "platform/folders.h"
#include "resources/script_template.h"
#include "store/global_settings.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace quillbrook {
namespace {

std::string scriptText(const std::string& label)
{
    const std::string_view scriptTemplate = menuScriptTemplate();
    const std::size_t slot = scriptTemplate.find("%s");
    std::string text(scriptTemplate.substr(0, slot));
    text += label;
    text += scriptTemplate.substr(slot + 2);
    return text;
}

Win32Error writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return win32ErrorFromErrno(errno);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return ERROR_SUCCESS;
}

} // namespace

std::string MenuScriptPath(const std::string& label)
{
    return joinPath(globalSettings().ScriptsFolderPath, label) + ".htm";
}

HRESULT WriteMenuScript(const std::string& label)
{
    const std::string path = MenuScriptPath(label);
    // A script holds nothing private, so others may read it like any page.
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.valid())
        return HRESULT_FROM_WIN32(win32ErrorFromErrno(errno, path));
    return HRESULT_FROM_WIN32(writeAll(file.get(), scriptText(label)));
}

} // namespace quillbrook
