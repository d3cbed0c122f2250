#include "platform/program_search.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillbrook {
namespace {

namespace fs = std::filesystem;

enum class Kind { Program, NotExecutable, Missing };

struct Examined {
    Kind kind;
    int error = 0; // errno of a failed look-up, for a Missing file
};

Examined examine(const std::string& file)
{
    struct stat status {};
    if (stat(file.c_str(), &status) != 0)
        return {Kind::Missing, errno};
    // The original appends ".exe" to a name without an extension, so a folder never matches.
    if (S_ISDIR(status.st_mode))
        return {Kind::Missing, ENOENT};
    if (!S_ISREG(status.st_mode) || faccessat(AT_FDCWD, file.c_str(), X_OK, AT_EACCESS) != 0)
        return {Kind::NotExecutable, EACCES};
    return {Kind::Program, 0};
}

// PATH split at ':'; an empty entry is the working folder, as for execvp.
std::vector<std::string> pathFolders()
{
    const char* path = std::getenv("PATH");
    const std::string_view value = path ? path : "/bin:/usr/bin";
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = value.find(':', start);
        const std::string_view entry = value.substr(start, end == std::string_view::npos ? end : end - start);
        folders.emplace_back(entry.empty() ? "." : entry);
        if (end == std::string_view::npos)
            return folders;
        start = end + 1;
    }
}

} // namespace

std::string ownProgramFolder()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().string();
}

std::string systemFolder()
{
    if (const char* folder = std::getenv("QUILLBROOK_SYSTEM_FOLDER"); folder && *folder)
        return folder;
    const std::string own = ownProgramFolder();
    if (own.empty())
        return {};
    return (fs::path(own) / QUILLBROOK_SYSTEM_FOLDER_FROM_PROGRAMS).lexically_normal().string();
}

Win32Result<std::string> findProgram(const std::string& name)
{
    if (name.empty())
        return ERROR_FILE_NOT_FOUND;
    if (name.find('/') != std::string::npos) {
        const Examined found = examine(name);
        if (found.kind == Kind::Program)
            return name;
        return found.kind == Kind::NotExecutable ? ERROR_ACCESS_DENIED : win32ErrorFromErrno(found.error, name);
    }

    std::vector<std::string> folders{ownProgramFolder(), systemFolder()};
    for (std::string& folder : pathFolders())
        folders.push_back(std::move(folder));
    bool foundNotExecutable = false;
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        const std::string file = (fs::path(folder) / name).string();
        const Examined found = examine(file);
        if (found.kind == Kind::Program)
            return file;
        foundNotExecutable = foundNotExecutable || found.kind == Kind::NotExecutable;
    }
    return foundNotExecutable ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
}

} // namespace quillbrook
