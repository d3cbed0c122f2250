// Placeholder until the SQLite hive lands.
#include "platform/hive.h"
namespace quillbrook {
HiveLocation HiveLocation::forCurrentUser() { return {}; }
RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;
Win32Result<RegistryKey> RegistryKey::openRoot(HiveRoot, RegistryAccess, const HiveLocation&) { return ERROR_CANTOPEN; }
bool RegistryKey::isOpen() const { return false; }
void RegistryKey::close() {}
std::string RegistryKey::fullName() const { return {}; }
Win32Result<RegistryKey> RegistryKey::openSubKey(std::string_view, RegistryAccess) const { return ERROR_INVALID_HANDLE; }
Win32Result<RegistryKey> RegistryKey::createSubKey(std::string_view, RegistryAccess, bool*) const { return ERROR_INVALID_HANDLE; }
Win32Result<std::string> RegistryKey::enumSubKey(std::uint32_t) const { return ERROR_INVALID_HANDLE; }
Win32Result<RegistryValue> RegistryKey::enumValue(std::uint32_t) const { return ERROR_INVALID_HANDLE; }
Win32Result<RegistryValue> RegistryKey::queryValue(std::string_view) const { return ERROR_INVALID_HANDLE; }
bool RegistryKey::valueExists(std::string_view) const { return false; }
Win32Error RegistryKey::setValue(std::string_view, RegistryType, std::string_view) { return ERROR_INVALID_HANDLE; }
Win32Error RegistryKey::deleteValue(std::string_view) { return ERROR_INVALID_HANDLE; }
Win32Error RegistryKey::deleteSubKey(std::string_view) { return ERROR_INVALID_HANDLE; }
Win32Error RegistryKey::deleteTree(std::string_view) { return ERROR_INVALID_HANDLE; }
bool parseHiveRoot(std::string_view, HiveRoot&) { return false; }
std::string_view hiveRootName(HiveRoot root) { return root == HiveRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT"; }
}
