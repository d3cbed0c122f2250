// The files editors leave beside the file they edit: swap, auto-save, emergency-save, undo and
// backup files. Each holds the file's text, so when the file goes none is left in its folder and
// none is deleted unseen: they go into the recovery store.
#pragma once

#include "recovery/recovered_text.h"
#include "recovery/recovery_store.h"

#include <string>

namespace quillbrook {

// Keeps each side file of `path` that is a regular file now (nano's NAME.save, vim's .NAME.swp,
// Kate's .NAME.kate-swp, Emacs's #NAME#, NAME~ and others) in `store`, with `origin` and the side
// file's name, and deletes it once kept; one that cannot be kept stays.
void keepSideFiles(RecoveryStore& store, const std::string& path, const TextOrigin& origin);

} // namespace quillbrook
