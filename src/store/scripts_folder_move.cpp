#include "store/scripts_folder_move.h"

#include "platform/modal_interactions.h"
#include "platform/path_exists.h"
#include "resources/string_table.h"
#include "store/menu_item_catalogue.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

namespace quillbrook {
namespace {

namespace fs = std::filesystem;

fs::path withoutTrailingSeparator(fs::path path)
{
    if (!path.has_filename() && path.has_relative_path())
        return path.parent_path();
    return path;
}

// The folder as the file system resolves it; lexically, from the working folder, when it cannot.
fs::path resolved(const fs::path& folder)
{
    std::error_code error;
    fs::path result = fs::weakly_canonical(folder, error);
    if (error)
        result = fs::absolute(folder, error).lexically_normal();
    return withoutTrailingSeparator(result);
}

bool isFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

void renameOrCopy(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    fs::rename(from, to, error);
    if (error != std::errc::cross_device_link)
        return;
    // Another file system: the source goes only once its copy is whole.
    constexpr auto options =
        fs::copy_options::recursive | fs::copy_options::copy_symlinks | fs::copy_options::overwrite_existing;
    fs::copy(from, to, options, error);
    if (!error)
        fs::remove_all(from, error);
}

void moveEntry(const fs::path& from, const fs::path& to)
{
    if (isFolder(from) && isFolder(to)) {
        moveFolderContents(from, to);
        std::error_code error;
        fs::remove(from, error); // only when everything in it could be moved
        return;
    }
    renameOrCopy(from, to);
}

void tellWhyNothingMoves(FolderRelation relation, WindowId owner)
{
    const unsigned reason =
        relation == FolderRelation::Same ? string_id::NewFolderIsOldFolder : string_id::NewFolderInsideOldFolder;
    modalInteractions().messageBox(owner, loadStringW(reason), loadStringW(string_id::ScriptsFolderCaption),
                                   MB_OK | MB_ICONWARNING);
}

// Whether the folder exists as the original's search found it; a trailing '/' does not hide it.
bool folderExists(const std::string& folder)
{
    return PathExists(withoutTrailingSeparator(folder).string());
}

} // namespace

FolderRelation folderRelation(const fs::path& oldFolder, const fs::path& newFolder)
{
    const fs::path from = resolved(oldFolder);
    const fs::path to = resolved(newFolder);
    const auto [fromEnd, toEnd] = std::mismatch(from.begin(), from.end(), to.begin(), to.end());
    if (fromEnd != from.end())
        return FolderRelation::Separate;
    return toEnd == to.end() ? FolderRelation::Same : FolderRelation::Inside;
}

void moveFolder(const fs::path& folder, const fs::path& target)
{
    const fs::path destination = withoutTrailingSeparator(target);
    std::error_code error;
    if (destination.has_parent_path())
        fs::create_directories(destination.parent_path(), error);
    renameOrCopy(folder, destination);
}

void moveFolderContents(const fs::path& folder, const fs::path& target)
{
    // Listed first: the folder changes while its entries move out.
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        entries.push_back(entry->path());
    for (const fs::path& entry : entries)
        moveEntry(entry, target / entry.filename());
}

void CMenuItemCatalogue::MoveScriptsFolder(const std::string& oldFolder, const std::string& newFolder, WindowId owner)
{
    if (newFolder == oldFolder || newFolder.empty() || !folderExists(oldFolder))
        return;
    if (const FolderRelation relation = folderRelation(oldFolder, newFolder); relation != FolderRelation::Separate) {
        tellWhyNothingMoves(relation, owner);
        return;
    }
    const int answer = modalInteractions().messageBox(owner, loadStringW(string_id::MoveScriptsQuestion),
                                                      loadStringW(string_id::ScriptsFolderCaption), MB_YESNO);
    if (answer != IDYES)
        return;
    if (folderExists(newFolder))
        moveFolderContents(oldFolder, newFolder);
    else
        moveFolder(oldFolder, newFolder);
}

} // namespace quillbrook
