#include "recovery/side_files.h"

#include "platform/file_io.h"

#include <QString>

#include <string_view>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbrook {
namespace {

// nano numbers its emergency saves when one is there already; vim names further swap files
// .swo, .swn and so on down the alphabet. A few of each cover every case that happens.
constexpr int kNumberedSaves = 9;
constexpr std::string_view kSwapSuffixes[] = {".swp", ".swo", ".swn", ".swm", ".swl", ".swk"};

bool isRegularFile(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The paths beside `path` that editors use for it and that are regular files now.
std::vector<std::string> sideFilesOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    if (name.empty())
        return {};
    std::vector<std::string> candidates{
        path + "~",                        // backups: gedit, Emacs, nano -B, vim's backup
        folder + "#" + name + "#",         // Emacs's auto-save
        folder + "." + name + ".kate-swp", // Kate
        folder + "." + name + ".un~",      // vim's undo file
        path + ".save",                    // nano's emergency save
    };
    for (int number = 1; number <= kNumberedSaves; ++number)
        candidates.push_back(path + ".save." + std::to_string(number));
    for (const std::string_view suffix : kSwapSuffixes)
        candidates.push_back(folder + "." + name + std::string(suffix)); // vim's swap files
    std::vector<std::string> found;
    for (std::string& candidate : candidates)
        if (isRegularFile(candidate))
            found.push_back(std::move(candidate));
    return found;
}

} // namespace

void keepSideFiles(RecoveryStore& store, const std::string& path, const TextOrigin& origin)
{
    for (const std::string& side : sideFilesOf(path)) {
        const auto bytes = readRegularFile(side);
        if (!bytes.ok())
            continue;
        const QString name = QString::fromStdString(side.substr(side.rfind('/') + 1));
        if (!store.keep(KeptBecause::SideFile, origin, bytes.value(), name).ok())
            continue;
        ::unlink(side.c_str());
    }
}

} // namespace quillbrook
