#include "platform/file_io.h"

#include "platform/file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <stdexcept>
#include <unistd.h>

namespace quillbrook {
namespace {

// A new private file beside the one it is to replace, under a unique hidden name (mkostemp makes
// it exclusively, 0600); removed again unless it has taken the other's place.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& target) : path_(uniqueNameTemplate(target))
    {
        file_ = FileDescriptor(::mkostemp(path_.data(), O_CLOEXEC));
        if (!file_.valid()) {
            openError_ = win32ErrorFromErrno(errno, target);
            path_.clear();
        }
    }
    ~ReplacementFile()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    [[nodiscard]] Win32Error openError() const { return openError_; }

    [[nodiscard]] Win32Error write(std::string_view data)
    {
        if (const Win32Error error = writeAll(file_.get(), data, path_))
            return error;
        // On the disk before the rename, or a crash could leave an empty file in the old one's place.
        return ::fsync(file_.get()) == 0 ? ERROR_SUCCESS : win32ErrorFromErrno(errno, path_);
    }

    [[nodiscard]] Win32Error renameOver(const std::string& target)
    {
        if (::rename(path_.c_str(), target.c_str()) != 0)
            return win32ErrorFromErrno(errno, target);
        path_.clear();
        return ERROR_SUCCESS;
    }

private:
    // ".name.XXXXXX" in the target's folder, for mkostemp; a name too long to take the suffix gives
    // way to a fixed one.
    static std::string uniqueNameTemplate(const std::string& target)
    {
        constexpr std::string_view uniqueSuffix = ".XXXXXX";
        const std::size_t nameStart = target.rfind('/') + 1; // 0 without a folder
        std::string name = "." + target.substr(nameStart);
        if (name.size() + uniqueSuffix.size() > NAME_MAX)
            name = ".replacement";
        return target.substr(0, nameStart) + name + std::string(uniqueSuffix);
    }

    std::string path_;
    FileDescriptor file_;
    Win32Error openError_ = ERROR_SUCCESS;
};

} // namespace

[[nodiscard]] Win32Error readUpTo(int fd, std::size_t size, std::string& data, const std::string& path)
{
    try {
        data.resize(size);
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (const std::length_error&) {
        return ERROR_OUTOFMEMORY;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, data.data() + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            data.resize(done);
            return win32ErrorFromErrno(errno, path);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    data.resize(done);
    return ERROR_SUCCESS;
}

[[nodiscard]] Win32Error writeAll(int fd, std::string_view data, const std::string& path)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return win32ErrorFromErrno(errno, path);
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return ERROR_SUCCESS;
}

Win32Result<std::string> readRegularFile(const std::string& path, std::size_t limit)
{
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid())
        return win32ErrorFromErrno(errno, path);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return win32ErrorFromErrno(errno, path);
    if (!S_ISREG(status.st_mode))
        return ERROR_FILE_NOT_FOUND;
    std::string data;
    if (const Win32Error error =
            readUpTo(file.get(), std::min(static_cast<std::size_t>(status.st_size), limit), data, path))
        return error;
    return data;
}

[[nodiscard]] Win32Error replaceRegularFile(const std::string& path, std::string_view data)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0) {
        if (S_ISLNK(status.st_mode))
            return win32ErrorFromErrno(ELOOP, path);
        if (!S_ISREG(status.st_mode))
            return ERROR_ACCESS_DENIED;
    } else if (errno != ENOENT) {
        return win32ErrorFromErrno(errno, path);
    }
    ReplacementFile replacement(path);
    if (const Win32Error error = replacement.openError())
        return error;
    if (const Win32Error error = replacement.write(data))
        return error;
    return replacement.renameOver(path);
}

} // namespace quillbrook
