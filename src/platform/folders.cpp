#include "platform/folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillbrook {
namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// XDG base directories must be absolute; a relative value is ignored.
std::string xdgFolder(const char* variable, const char* fallbackBelowHome)
{
    const std::string value = environment(variable);
    if (!value.empty() && value.front() == '/')
        return withoutTrailingSlash(value);
    const std::string home = homeFolder();
    return home.empty() ? std::string() : joinPath(home, fallbackBelowHome);
}

// One line of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents". Only "$HOME/..." and absolute
// paths are valid there.
std::string userDirFromLine(const std::string& line, const std::string& variable)
{
    const std::string prefix = variable + "=\"";
    if (line.rfind(prefix, 0) != 0)
        return {};
    const auto end = line.rfind('"');
    if (end < prefix.size())
        return {};
    std::string value = line.substr(prefix.size(), end - prefix.size());
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        unescaped.push_back(value[i]);
    }
    if (unescaped.rfind("$HOME", 0) == 0)
        unescaped = homeFolder() + unescaped.substr(5);
    return unescaped.empty() || unescaped.front() != '/' ? std::string() : withoutTrailingSlash(unescaped);
}

std::string userDir(const std::string& variable)
{
    std::string value = environment(variable.c_str());
    if (!value.empty() && value.front() == '/')
        return withoutTrailingSlash(value);
    const std::string config = configFolder();
    if (config.empty())
        return {};
    std::ifstream file(joinPath(config, "user-dirs.dirs"));
    std::string line;
    while (std::getline(file, line)) {
        const std::string found = userDirFromLine(line, variable);
        if (!found.empty())
            value = found;
    }
    // A user directory set to the home folder itself is disabled.
    return value == withoutTrailingSlash(homeFolder()) ? std::string() : value;
}

} // namespace

std::string homeFolder()
{
    std::string home = environment("HOME");
    if (!home.empty())
        return withoutTrailingSlash(home);
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return withoutTrailingSlash(found->pw_dir);
    return {};
}

std::string configFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string stateFolder()
{
    return xdgFolder("XDG_STATE_HOME", ".local/state");
}

std::string applicationDataFolder()
{
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string documentsFolder()
{
    const std::string configured = userDir("XDG_DOCUMENTS_DIR");
    if (!configured.empty())
        return configured;
    const std::string home = homeFolder();
    return home.empty() ? std::string() : joinPath(home, "Documents");
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    std::string result = folder;
    if (result.empty() || result.back() != '/')
        result.push_back('/');
    result.append(!name.empty() && name.front() == '/' ? name.substr(1) : name);
    return result;
}

bool createFolderWithParents(const std::string& folder, unsigned mode)
{
    if (folder.empty())
        return false;
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::path(folder).lexically_normal();
    const std::filesystem::path target = path.has_filename() ? path : path.parent_path();
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ec);
    mkdir(target.c_str(), static_cast<mode_t>(mode));
    return std::filesystem::is_directory(target, ec);
}

} // namespace quillbrook
