// The files editors leave beside the file they edit: swap, auto-save, emergency-save, undo and
// backup files. Each holds the file's text, so when the file goes none is left in its folder and
// none is deleted unseen: they go into the recovery store.
#pragma once

#include "recovery/recovered_text.h"
#include "recovery/recovery_store.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quillbrook {

// The paths beside `path` that editors use for it (nano's NAME.save, vim's .NAME.swp, Kate's
// .NAME.kate-swp, Emacs's #NAME#, NAME~ and others) and that are regular files now.
std::vector<std::string> sideFilesOf(const std::string& path);

// Keeps each side file of `path` in `store`, with `origin` and the side file's name, and deletes
// it once kept; one that cannot be kept stays. Gives how many were kept.
std::size_t keepSideFiles(RecoveryStore& store, const std::string& path, const TextOrigin& origin);

} // namespace quillbrook
