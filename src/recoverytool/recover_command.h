// quillbrook-recover: the recovery store from the shell — list the kept texts, print one.
#pragma once

#include "recovery/recovery_store.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace quillbrook {

inline constexpr int kRecoverExitUsage = 2;
inline constexpr int kRecoverExitNotFound = 1;

// Runs the command `arguments` (without the program) on `store`, writing to `out` and `err`;
// gives the exit status.
int runRecoverCommand(const std::vector<std::string>& arguments, const RecoveryStore& store, std::ostream& out,
                      std::ostream& err);

extern const char kRecoverUsage[];

} // namespace quillbrook
