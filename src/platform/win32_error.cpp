#include "platform/win32_error.h"

#include <cerrno>
#include <system_error>

namespace quillbrook {

[[nodiscard]] Win32Error win32ErrorFromErrno(int err, const std::filesystem::path& path)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: {
        if (path.empty())
            return ERROR_FILE_NOT_FOUND;
        std::error_code ec;
        const auto folder = path.parent_path();
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
            return ERROR_PATH_NOT_FOUND;
        return ERROR_FILE_NOT_FOUND;
    }
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL:
    case EILSEQ: return ERROR_INVALID_NAME;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EAGAIN: return ERROR_LOCK_VIOLATION;
    default: return ERROR_GEN_FAILURE;
    }
}

} // namespace quillbrook
