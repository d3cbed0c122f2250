#include "platform/path_exists.h"

#include <cwchar>
#include <dirent.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace quillbrook {
namespace {

constexpr std::string_view wildcards = "*?";

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

// The text cut into characters of the process charset, so that '?' takes a whole multi-byte
// character. A byte that starts no valid character stands alone.
std::vector<std::string_view> characters(std::string_view text)
{
    std::vector<std::string_view> result;
    std::mbstate_t state{};
    for (size_t at = 0; at < text.size();) {
        size_t length = std::mbrlen(text.data() + at, text.size() - at, &state);
        if (length == 0 || length > text.size() - at) {
            length = 1;
            state = std::mbstate_t{};
        }
        result.push_back(text.substr(at, length));
        at += length;
    }
    return result;
}

// '*' and '?' are the only special characters: no bracket expressions, no escapes.
bool matchesPattern(std::string_view name, std::string_view pattern)
{
    const auto text = characters(name);
    const auto wanted = characters(pattern);
    size_t t = 0;
    size_t w = 0;
    // Where the last '*' stood, and the first text character it has not yet absorbed.
    size_t starAt = wanted.size();
    size_t resumeAt = 0;
    while (t < text.size()) {
        if (w < wanted.size() && wanted[w] == "*") {
            starAt = w++;
            resumeAt = t;
        } else if (w < wanted.size() && (wanted[w] == "?" || wanted[w] == text[t])) {
            ++w;
            ++t;
        } else if (starAt < wanted.size()) {
            w = starAt + 1;
            t = ++resumeAt;
        } else {
            return false;
        }
    }
    while (w < wanted.size() && wanted[w] == "*")
        ++w;
    return w == wanted.size();
}

// Stops counting at two: that is already too many.
int countMatchingEntries(const std::string& folder, std::string_view pattern)
{
    DirectoryHandle directory(opendir(folder.c_str()));
    if (!directory)
        return 0;
    int matches = 0;
    while (matches < 2) {
        const dirent* entry = readdir(directory.get());
        if (!entry)
            break;
        if (matchesPattern(entry->d_name, pattern))
            ++matches;
    }
    return matches;
}

} // namespace

bool PathExists(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    const size_t slash = path.rfind('/');
    const std::string_view pattern =
        slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : path.substr(0, slash);
    if (pattern.empty() || folder.find_first_of(wildcards) != std::string::npos)
        return false;
    if (pattern.find_first_of(wildcards) == std::string_view::npos) {
        // lstat, not stat: the search lists directory entries without following them, so a
        // symbolic link is there even when its target is not (and creating a file in its place
        // would fail just the same).
        struct stat status {};
        return lstat(path.c_str(), &status) == 0;
    }
    return countMatchingEntries(folder, pattern) == 1;
}

} // namespace quillbrook
