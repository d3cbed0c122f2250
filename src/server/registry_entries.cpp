#include "server/registry_entries.h"

#include "platform/file_descriptor.h"
#include "platform/file_io.h"
#include "platform/folders.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace quillbrook {

[[nodiscard]] Win32Error writeKey(const RegistryKey& root, std::string_view path,
                                  const std::optional<std::string>& defaultValue,
                                  std::initializer_list<NamedString> values)
{
    auto key = root.createSubKey(path, KEY_ALL_ACCESS);
    if (!key.ok())
        return key.error();
    if (defaultValue) {
        if (const Win32Error error = key.value().setValue("", REG_SZ, *defaultValue))
            return error;
    }
    for (const auto& [name, data] : values) {
        if (const Win32Error error = key.value().setValue(name, REG_SZ, data))
            return error;
    }
    return ERROR_SUCCESS;
}

[[nodiscard]] Win32Error removeKeyTree(RegistryKey& root, std::string_view path)
{
    const Win32Error error = root.deleteTree(path);
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

[[nodiscard]] Win32Error writeTextFile(const std::string& path, std::string_view text)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (!createFolderWithParents(folder))
        return win32ErrorFromErrno(errno, folder);
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.valid())
        return win32ErrorFromErrno(errno, path);
    return writeAll(file.get(), text, path);
}

[[nodiscard]] Win32Error removeFile(const std::string& path)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return ERROR_SUCCESS;
    return win32ErrorFromErrno(errno, path);
}

} // namespace quillbrook
