// The ledger of running sessions' temporary files: one small JSON file per session that deletes
// its file, naming the file, its page's facts and the server process that owns it. A server that
// is killed leaves its entries behind; the next server to start moves the files they name into
// the recovery store, so no temporary file is ever deleted unseen or left for good.
//
// Entries live in $XDG_STATE_HOME/quillbrook/sessions (0700). An owner is a process id with the
// process's start time, so that a reused process id is not taken for the owner.
#pragma once

#include "platform/win32_error.h"
#include "recovery/recovered_text.h"
#include "recovery/recovery_store.h"

#include <string>
#include <vector>

namespace quillbrook {

class SessionLedger {
public:
    static SessionLedger forCurrentUser();
    explicit SessionLedger(std::string folder);

    const std::string& folder() const { return folder_; }

    // Records that this process owns `temporaryFile`; gives the entry's path for forget().
    Win32Result<std::string> record(const std::string& temporaryFile, const TextOrigin& origin);
    void forget(const std::string& entry);

    // Moves the files named by entries of processes that no longer run into `store` (an empty one
    // is only deleted) and drops those entries. A file that cannot be kept stays, and so does its
    // entry. Gives what was kept.
    std::vector<RecoveredText> sweep(RecoveryStore& store);

private:
    std::string folder_;
};

} // namespace quillbrook
