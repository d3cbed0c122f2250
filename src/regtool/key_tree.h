// Reading a key whole: its values, its subkeys, and the tree below it.
#pragma once

#include "platform/hive.h"

#include <functional>
#include <string>
#include <vector>

namespace quillbrook::regtool {

// The values in the hive's enumeration order (subkey names: RegistryKey::subKeyNames).
Win32Result<std::vector<RegistryValue>> readValues(const RegistryKey& key);

// Calls `visit` for `key` and then for every key below it, depth first, subkeys in enumeration
// order. Stops at the first error, of the hive or of `visit`.
[[nodiscard]] Win32Error visitKeyTree(const RegistryKey& key,
                                      const std::function<Win32Error(const RegistryKey&)>& visit);

} // namespace quillbrook::regtool
