// The file work behind CMenuItemCatalogue::MoveScriptsFolder: the outcomes the original's shell
// file operations had, on this file system. Moves are renames where they can be, and copies
// followed by removal across file systems.
#pragma once

#include <filesystem>

namespace quillbrook {

enum class FolderRelation { Separate, Same, Inside };

// Where `newFolder` lies relative to `oldFolder` once ".", "..", a trailing '/' and symbolic links
// are resolved: the same folder, a folder below it, or elsewhere. Neither needs to exist.
FolderRelation folderRelation(const std::filesystem::path& oldFolder, const std::filesystem::path& newFolder);

// Moves `folder` as a whole to `target`, which does not exist yet; missing folders above the
// target are created.
void moveFolder(const std::filesystem::path& folder, const std::filesystem::path& target);

// Moves every entry of `folder` into the existing folder `target`. A file of the same name there
// is replaced; a folder of the same name takes in the moved folder's entries in the same way. An
// entry that cannot be moved stays where it was.
void moveFolderContents(const std::filesystem::path& folder, const std::filesystem::path& target);

} // namespace quillbrook
