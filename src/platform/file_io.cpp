#include "platform/file_io.h"

#include "platform/file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <stdexcept>
#include <unistd.h>

namespace quillbrook {

Win32Error readUpTo(int fd, std::size_t size, std::string& data, const std::string& path)
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

Win32Error writeAll(int fd, std::string_view data, const std::string& path)
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
    if (const Win32Error error = readUpTo(file.get(), std::min(static_cast<std::size_t>(status.st_size), limit), data, path))
        return error;
    return data;
}

} // namespace quillbrook
