#include "store/menu_script.h"

#include "platform/file_descriptor.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "resources/format_text.h"
#include "resources/script_template.h"
#include "store/global_settings.h"

#include <cerrno>
#include <fcntl.h>

namespace quillbrook {
namespace {

std::string scriptText(const std::string& label)
{
    return formatText(menuScriptTemplate(), {label});
}

} // namespace

std::string MenuScriptPath(const std::string& label)
{
    return joinPath(globalSettings().ScriptsFolderPath, label) + ".htm";
}

[[nodiscard]] HRESULT WriteMenuScript(const std::string& label)
{
    const std::string path = MenuScriptPath(label);
    // A script holds nothing private, so others may read it like any page.
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.valid())
        return hresultFromErrno(errno, path);
    return HRESULT_FROM_WIN32(writeAll(file.get(), scriptText(label), path));
}

} // namespace quillbrook
