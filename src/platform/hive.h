// The hive: the per-user registry of this platform, one database file per user. It keeps the
// registry's semantics: two roots (HKEY_CURRENT_USER, HKEY_CLASSES_ROOT); key and value names
// case-insensitive but case-preserving; subkeys enumerated by index in case-insensitive name
// order; typed values stored with exactly the bytes given; errors as Win32 codes.
//
// Several processes may share one hive. Every change is one transaction, so a process killed in
// the middle of a write leaves the hive as it was before that write; a HiveTransaction makes
// several changes one.
//
// Names and REG_SZ data are narrow strings in the process charset, as everywhere in the system.
#pragma once

#include "platform/win32_error.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

enum class HiveRoot { CurrentUser, ClassesRoot };

// Access rights of an open key, with the original platform's values.
using RegistryAccess = std::uint32_t;
inline constexpr RegistryAccess KEY_QUERY_VALUE = 0x0001;
inline constexpr RegistryAccess KEY_SET_VALUE = 0x0002;
inline constexpr RegistryAccess KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr RegistryAccess KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr RegistryAccess KEY_NOTIFY = 0x0010;
inline constexpr RegistryAccess KEY_CREATE_LINK = 0x0020;
inline constexpr RegistryAccess DELETE = 0x00010000;
inline constexpr RegistryAccess READ_CONTROL = 0x00020000;
inline constexpr RegistryAccess KEY_READ = READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
inline constexpr RegistryAccess KEY_WRITE = READ_CONTROL | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
inline constexpr RegistryAccess KEY_ALL_ACCESS = 0x000F003F;

// Value types, with the original platform's numbers. Any other number is stored as given.
using RegistryType = std::uint32_t;
inline constexpr RegistryType REG_NONE = 0;
inline constexpr RegistryType REG_SZ = 1;
inline constexpr RegistryType REG_EXPAND_SZ = 2;
inline constexpr RegistryType REG_BINARY = 3;
inline constexpr RegistryType REG_DWORD = 4;
inline constexpr RegistryType REG_DWORD_BIG_ENDIAN = 5;
inline constexpr RegistryType REG_LINK = 6;
inline constexpr RegistryType REG_MULTI_SZ = 7;
inline constexpr RegistryType REG_RESOURCE_LIST = 8;
inline constexpr RegistryType REG_FULL_RESOURCE_DESCRIPTOR = 9;
inline constexpr RegistryType REG_RESOURCE_REQUIREMENTS_LIST = 10;
inline constexpr RegistryType REG_QWORD = 11;

struct RegistryValue {
    std::string name; // as stored (case preserved); empty for the default value
    RegistryType type = REG_NONE;
    std::string data; // the bytes exactly as set; may be empty, may hold zero bytes
};

// Where a hive lives and how long an operation waits for another process's transaction.
struct HiveLocation {
    std::filesystem::path file;
    std::chrono::milliseconds busyTimeout{5000};

    // $QUILLBROOK_HIVE, else $XDG_CONFIG_HOME/quillbrook/registry.db, else
    // ~/.config/quillbrook/registry.db. The folder is created when the hive is first opened.
    static HiveLocation forCurrentUser();
};

class HiveBackend;
class HiveTransaction;

// An open key: the counterpart of a registry key handle. Move-only; closing (or destroying) it
// releases the key. A key deleted while open stays open, and every operation on it then fails with
// ERROR_KEY_DELETED.
class RegistryKey {
public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(RegistryKey&&) noexcept;
    RegistryKey& operator=(RegistryKey&&) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens a root of the hive at `location`, creating the hive file when it does not exist.
    // A file that is not a hive gives ERROR_BADDB; one that cannot be opened ERROR_CANTOPEN or
    // ERROR_ACCESS_DENIED.
    static Win32Result<RegistryKey> openRoot(HiveRoot root, RegistryAccess access = KEY_ALL_ACCESS,
                                             const HiveLocation& location = HiveLocation::forCurrentUser());

    bool isOpen() const;
    void close();

    // Full name with the case stored: "HKEY_CURRENT_USER\Software\...".
    std::string fullName() const;

    // `path` is relative to this key, components separated by backslashes; an empty path opens
    // this key again with the new access. Missing key: ERROR_FILE_NOT_FOUND.
    Win32Result<RegistryKey> openSubKey(std::string_view path, RegistryAccess access) const;
    // Opens the key, creating it and any missing keys on the way (one transaction). Needs
    // KEY_CREATE_SUB_KEY on this key. `created` (when given) tells whether the last key was new.
    Win32Result<RegistryKey> createSubKey(std::string_view path, RegistryAccess access, bool* created = nullptr) const;

    // The name (case stored) of the subkey at `index` in case-insensitive name order;
    // ERROR_NO_MORE_ITEMS past the end. Needs KEY_ENUMERATE_SUB_KEYS.
    Win32Result<std::string> enumSubKey(std::uint32_t index) const;
    // Every subkey's name in that order, read at one moment: a key another process adds or
    // removes meanwhile cannot make a name show twice or go missing, as it can between
    // enumSubKey calls. Needs KEY_ENUMERATE_SUB_KEYS.
    Win32Result<std::vector<std::string>> subKeyNames() const;
    // The value at `index` in the order values were first set; ERROR_NO_MORE_ITEMS past the end.
    // Needs KEY_QUERY_VALUE.
    Win32Result<RegistryValue> enumValue(std::uint32_t index) const;

    // Needs KEY_QUERY_VALUE. Missing value: ERROR_FILE_NOT_FOUND.
    Win32Result<RegistryValue> queryValue(std::string_view name) const;
    bool valueExists(std::string_view name) const;
    // Sets (creates or replaces) a value; a replaced value keeps its name's case and its place in
    // the enumeration. Needs KEY_SET_VALUE.
    [[nodiscard]] Win32Error setValue(std::string_view name, RegistryType type, std::string_view data);
    // Needs KEY_SET_VALUE. Missing value: ERROR_FILE_NOT_FOUND.
    [[nodiscard]] Win32Error deleteValue(std::string_view name);

    // A DWORD as the original platform reads one into a 4-byte buffer: the value's type is not
    // examined, shorter data fills the low-order bytes of 0, longer data is ERROR_MORE_DATA.
    // `value` is set only on success. Needs KEY_QUERY_VALUE.
    [[nodiscard]] Win32Error readDword(std::string_view name, std::uint32_t& value) const;
    // Sets a REG_DWORD of 4 bytes, low-order byte first. Needs KEY_SET_VALUE.
    [[nodiscard]] Win32Error writeDword(std::string_view name, std::uint32_t value);

    // Deletes the key at `path` below this key, with its values; fails with ERROR_ACCESS_DENIED
    // when that key has subkeys, ERROR_FILE_NOT_FOUND when it does not exist. A root cannot be
    // deleted.
    [[nodiscard]] Win32Error deleteSubKey(std::string_view path);
    // Deletes the key at `path` with everything below it, in one transaction. An empty path
    // deletes everything below this key (its subkeys and values) but keeps the key itself.
    [[nodiscard]] Win32Error deleteTree(std::string_view path);

    // Begins a transaction on this key's connection to the hive. ERROR_INVALID_HANDLE when the key
    // is closed, ERROR_KEY_DELETED when it was deleted; ERROR_LOCK_VIOLATION when another process holds the hive's
    // write lock for longer than the busy timeout; ERROR_ACCESS_DENIED on a hive that cannot be written.
    Win32Result<HiveTransaction> beginTransaction() const;

private:
    RegistryKey(std::shared_ptr<HiveBackend> hive, std::int64_t id, RegistryAccess access, std::string fullName);
    // ERROR_INVALID_HANDLE when closed, ERROR_ACCESS_DENIED without the rights `needed`.
    [[nodiscard]] Win32Error usable(RegistryAccess needed) const;

    std::shared_ptr<HiveBackend> hive_;
    std::int64_t id_ = 0;
    RegistryAccess access_ = 0;
    std::string fullName_; // kept from the opening, so that it outlives a deletion of the key
};

// Changes made whole or not at all. Every operation through the keys of one connection (a root
// from openRoot and every key opened from it) between the beginning and the commit is part of the
// transaction, and one that fails undoes only itself; ending the transaction uncommitted
// (rollBack, or destroying it) undoes them all. Other connections see none of them until the
// commit and cannot write meanwhile; other threads using the connection wait for the end. The
// transaction ends on the thread that began it.
//
// Begun while another is open on the connection, it is a part of that one: its commit keeps its
// changes as far as the outer one is committed, its roll-back undoes only its own. Parts end in
// the reverse order of their beginnings.
class HiveTransaction {
public:
    HiveTransaction();
    ~HiveTransaction();
    HiveTransaction(HiveTransaction&&) noexcept;
    HiveTransaction& operator=(HiveTransaction&&) noexcept;
    HiveTransaction(const HiveTransaction&) = delete;
    HiveTransaction& operator=(const HiveTransaction&) = delete;

    // Until it is committed or rolled back.
    bool isActive() const;
    // Ends the transaction keeping its changes. When that fails, or a failure (a full disk, say)
    // has ended the whole transaction already, everything is rolled back and the failure returned.
    // ERROR_INVALID_HANDLE when the transaction is not active.
    [[nodiscard]] Win32Error commit();
    // Ends the transaction undoing its changes; does nothing when it is not active.
    void rollBack();

private:
    friend class RegistryKey;
    explicit HiveTransaction(std::shared_ptr<HiveBackend> hive);

    std::shared_ptr<HiveBackend> hive_;
};

// A DWORD's data, low-order byte first, and back: from at most the first 4 bytes, missing
// high-order bytes 0.
std::string dwordBytes(std::uint32_t value);
std::uint32_t dwordFromBytes(std::string_view data);

// Parses a root name as the registry tool and exported files write it: "HKEY_CURRENT_USER" or
// "HKCU", "HKEY_CLASSES_ROOT" or "HKCR", in any letter case.
bool parseHiveRoot(std::string_view name, HiveRoot& root);
// "HKEY_CURRENT_USER" or "HKEY_CLASSES_ROOT".
std::string_view hiveRootName(HiveRoot root);

} // namespace quillbrook
