// Writing and removing registration keys below a root of the hive, as a registration script does.
#pragma once

#include "platform/hive.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quillbrook {

using NamedString = std::pair<std::string_view, std::string>;

// Creates the key at `path` (with the keys on the way) and sets its default value, when given, and
// the named REG_SZ values.
[[nodiscard]] Win32Error writeKey(const RegistryKey& root, std::string_view path,
                                  const std::optional<std::string>& defaultValue,
                                  std::initializer_list<NamedString> values = {});

// Removes the key at `path` with everything below it; a key that is not there counts as removed.
[[nodiscard]] Win32Error removeKeyTree(RegistryKey& root, std::string_view path);

// Writes `text` as the whole content of the file at `path`, creating its folder when missing.
[[nodiscard]] Win32Error writeTextFile(const std::string& path, std::string_view text);
// Removes the file; one that is not there counts as removed.
[[nodiscard]] Win32Error removeFile(const std::string& path);

} // namespace quillbrook
