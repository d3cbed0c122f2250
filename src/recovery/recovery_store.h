// The recovery store: a private folder of kept texts, newest first, bounded by count and age.
// Each entry is two files named by its id: ID.txt, the text's bytes exactly as they were saved,
// and ID.json, its facts (written last, so an entry without one is incomplete and not listed).
//
//   RecoveryStore store = RecoveryStore::forCurrentUser();
//   auto kept = store.keep(KeptBecause::Undelivered, origin, bytes);
//   for (const RecoveredText& text : store.list()) ...
//
// The folder is 0700 and the files 0600; links are never followed. Any thread may use a store.
#pragma once

#include "platform/win32_error.h"
#include "recovery/recovered_text.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

class RecoveryStore {
public:
    // Enough for a few weeks of writing, and small: a text is kept until 100 newer ones are, or
    // for 30 days.
    static constexpr std::size_t kKeptTexts = 100;
    static constexpr std::chrono::hours kKeptFor{24 * 30};

    // $XDG_STATE_HOME/quillbrook/recovered.
    static RecoveryStore forCurrentUser();
    explicit RecoveryStore(std::string folder);

    const std::string& folder() const { return folder_; }
    // Makes the folder (0700) when it is missing.
    [[nodiscard]] Win32Error prepare() const;

    // Keeps `bytes` with its facts, then drops what lies beyond the bounds (never the new entry).
    // `sideFile` names an editor's side file that the bytes come from.
    Win32Result<RecoveredText> keep(KeptBecause reason, const TextOrigin& origin, std::string_view bytes,
                                    const QString& sideFile = {});
    // Every complete entry, newest first.
    std::vector<RecoveredText> list() const;
    // The entry `id`, or ERROR_FILE_NOT_FOUND.
    Win32Result<RecoveredText> find(const std::string& id) const;
    // The text's bytes.
    Win32Result<std::string> bytesOf(const RecoveredText& text) const;

private:
    void prune(const std::string& keepId) const;

    std::string folder_;
};

} // namespace quillbrook
