// Whether a path names exactly one existing file or folder, as a directory search on the original
// platform answers it.
#pragma once

#include <string>

namespace quillbrook {

// False for an empty path. Otherwise the path is a search pattern: in its last component '*'
// matches any run of characters (a leading '.' included) and '?' one character; everything else,
// letter case included, matches only itself. True when exactly one directory entry matches, be it
// a file, a folder or a symbolic link (dangling or not). As with the original's search, the
// folder's own "." and ".." entries take part, a wildcard outside the last component finds
// nothing, and a trailing '/' leaves an empty last component that matches no entry.
bool PathExists(const std::string& path);

} // namespace quillbrook
