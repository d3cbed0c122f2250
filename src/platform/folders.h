// The user's special folders, as the XDG base directory and user directory rules give them.
// Paths are narrow strings (process charset) without a trailing slash.
#pragma once

#include <string>

namespace quillbrook {

// The home folder: $HOME, else the password database's entry; empty when neither is known.
std::string homeFolder();
// The application-data folder: $XDG_DATA_HOME, else ~/.local/share.
std::string applicationDataFolder();
// The documents folder: XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (the environment
// variable wins), else ~/Documents.
std::string documentsFolder();
// $XDG_CONFIG_HOME, else ~/.config.
std::string configFolder();
// $XDG_STATE_HOME, else ~/.local/state: what a program keeps between runs that is no setting.
std::string stateFolder();

// Joins with exactly one '/' between folder and name (one is added when the folder does not end
// with one; one at the start of the name is dropped).
std::string joinPath(const std::string& folder, const std::string& name);

// Creates the folder with any missing parents; true when it exists afterwards. The folder itself,
// when it is created here, gets `mode` (less the umask); parents get the usual mode.
bool createFolderWithParents(const std::string& folder, unsigned mode = 0777);

} // namespace quillbrook
