#include "regtool/error_text.h"

#include <array>
#include <string_view>

namespace quillbrook::regtool {
namespace {

struct ErrorText {
    Win32Error error;
    std::string_view text;
};

constexpr std::array errorTexts{
    ErrorText{ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    ErrorText{ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    ErrorText{ERROR_ACCESS_DENIED, "Access is denied."},
    ErrorText{ERROR_INVALID_HANDLE, "The handle is invalid."},
    ErrorText{ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    ErrorText{ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    ErrorText{ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    ErrorText{ERROR_SHARING_VIOLATION,
              "The process cannot access the file because it is being used by another process."},
    ErrorText{ERROR_LOCK_VIOLATION,
              "The process cannot access the file because another process has locked a portion of the file."},
    ErrorText{ERROR_HANDLE_DISK_FULL, "The disk is full."},
    ErrorText{ERROR_FILE_EXISTS, "The file exists."},
    ErrorText{ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    ErrorText{ERROR_DISK_FULL, "There is not enough space on the disk."},
    ErrorText{ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    ErrorText{ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
    ErrorText{ERROR_BAD_PATHNAME, "The specified path is invalid."},
    ErrorText{ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    ErrorText{ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    ErrorText{ERROR_MORE_DATA, "More data is available."},
    ErrorText{ERROR_NO_MORE_ITEMS, "No more data is available."},
    ErrorText{ERROR_BADDB, "The configuration registry database is corrupt."},
    ErrorText{ERROR_BADKEY, "The configuration registry key is invalid."},
    ErrorText{ERROR_CANTOPEN, "The configuration registry key could not be opened."},
    ErrorText{ERROR_CANTREAD, "The configuration registry key could not be read."},
    ErrorText{ERROR_CANTWRITE, "The configuration registry key could not be written."},
    ErrorText{ERROR_KEY_DELETED, "Illegal operation attempted on a registry key that has been marked for deletion."},
};

} // namespace

std::string describeWin32Error(Win32Error error)
{
    for (const auto& entry : errorTexts) {
        if (entry.error == error)
            return std::string(entry.text);
    }
    return "The operation failed with error " + std::to_string(error) + ".";
}

std::string describeRegistryError(Win32Error error)
{
    return error == ERROR_FILE_NOT_FOUND ? std::string(missingKeyOrValue) : describeWin32Error(error);
}

} // namespace quillbrook::regtool
