// Removing Quillbrook's context-menu entries: the subkeys of the browser's per-user MenuExt key
// (kMenuExtKeyPath under HKEY_CURRENT_USER) that carry the ownership marker, a value named
// "Quillbrook" of any type and content.
#pragma once

#include "platform/hive.h"

namespace quillbrook {

// Removes every marked entry, also when marked entries follow each other in enumeration order,
// and nothing else: unmarked entries (the "Open File" entry among them), the scripts, the
// settings and the class registrations stay. Keys that cannot be opened or deleted are skipped
// silently; a missing MenuExt key means there is nothing to do.
void removeMarkedMenuEntries(const HiveLocation& location = HiveLocation::forCurrentUser());

} // namespace quillbrook
