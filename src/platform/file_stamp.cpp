#include "platform/file_stamp.h"

#include <cerrno>
#include <sys/stat.h>

namespace quillbrook {

namespace {

FileStamp stampOf(const struct stat& status)
{
    constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
    FileStamp stamp;
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(status.st_mtim.tv_sec) * kNanosecondsPerSecond
                                + static_cast<std::int64_t>(status.st_mtim.tv_nsec);
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.device = static_cast<std::uint64_t>(status.st_dev);
    stamp.inode = static_cast<std::uint64_t>(status.st_ino);
    return stamp;
}

} // namespace

Win32Result<FileStamp> fileStampOf(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return win32ErrorFromErrno(errno, path);
    return stampOf(status);
}

Win32Result<FileStamp> fileStampOf(int descriptor)
{
    struct stat status {};
    if (fstat(descriptor, &status) != 0)
        return win32ErrorFromErrno(errno, {});
    return stampOf(status);
}

} // namespace quillbrook
