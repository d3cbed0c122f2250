#include "platform/file_names.h"

#include "platform/folders.h"

#include <string_view>

namespace quillbrook {

Win32Result<std::string> pathInFolder(const std::string& folder, const std::string& fileName)
{
    constexpr std::string_view separatorOrNul("/\0", 2);
    if (fileName.empty() || fileName == "." || fileName == ".."
        || fileName.find_first_of(separatorOrNul) != std::string::npos)
        return ERROR_INVALID_NAME;
    return joinPath(folder, fileName);
}

} // namespace quillbrook
