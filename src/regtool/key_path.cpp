#include "regtool/key_path.h"

namespace quillbrook::regtool {

std::optional<KeyPath> parseKeyPath(std::string_view name)
{
    if (name.ends_with('\\'))
        name.remove_suffix(1);
    const auto separator = name.find('\\');
    KeyPath key;
    if (!parseHiveRoot(name.substr(0, separator), key.root))
        return std::nullopt;
    if (separator == std::string_view::npos)
        return key;
    key.path = name.substr(separator + 1);
    if (key.path.empty() || key.path.find("\\\\") != std::string::npos || key.path.ends_with('\\'))
        return std::nullopt;
    return key;
}

Win32Result<RegistryKey> openKey(const KeyPath& key, RegistryAccess access)
{
    auto root = RegistryKey::openRoot(key.root, access);
    if (!root.ok() || key.path.empty())
        return root;
    return root.value().openSubKey(key.path, access);
}

Win32Result<RegistryKey> createKey(const KeyPath& key, RegistryAccess access)
{
    auto root = RegistryKey::openRoot(key.root, access | KEY_CREATE_SUB_KEY);
    if (!root.ok() || key.path.empty())
        return root;
    return root.value().createSubKey(key.path, access);
}

} // namespace quillbrook::regtool
