// A key as the user and exported files name it: a root name ("HKCU", "HKEY_CLASSES_ROOT", ...)
// and a backslash-separated path below it.
#pragma once

#include "platform/hive.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillbrook::regtool {

struct KeyPath {
    HiveRoot root = HiveRoot::CurrentUser;
    std::string path; // below the root; empty for the root itself

    bool operator==(const KeyPath&) const = default;
};

// Nothing for an unknown root or an empty component ("HKCU\\a"); one trailing backslash is allowed.
std::optional<KeyPath> parseKeyPath(std::string_view name);

Win32Result<RegistryKey> openKey(const KeyPath& key, RegistryAccess access);
// Opens the key, creating it and the keys on the way when missing.
Win32Result<RegistryKey> createKey(const KeyPath& key, RegistryAccess access);

} // namespace quillbrook::regtool
