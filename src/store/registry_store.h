// CRegistryStore: one registry key path under HKEY_CURRENT_USER with a cached open key, and value
// operations that fall back to a default instead of failing. Every persistent value of the
// system is read and written through it; derived classes fill in Load and Save.
#pragma once

#include "platform/hive.h"
#include "platform/win32_error.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace quillbrook {

class CRegistryStore {
public:
    CRegistryStore(std::string rootPath, std::string section);
    virtual ~CRegistryStore();
    CRegistryStore(const CRegistryStore&) = delete;
    CRegistryStore& operator=(const CRegistryStore&) = delete;

    // In the base class both only select the item and return 0.
    [[nodiscard]] virtual HRESULT Load(const std::string& item);
    [[nodiscard]] virtual HRESULT Save(const std::string& item);

    // Sets the item part of the path and forgets the cached key; callers close the key first.
    // SelectItem, CloseKey and WriteDword always give S_OK, and a write records its failure in
    // LastResult: a caller that writes several values checks LastResult once after them.
    HRESULT SelectItem(const std::string& item);
    // Opens the store's key (read, set-value and create-subkey access), creating it when it
    // cannot be opened. On failure records and returns HRESULT_FROM_WIN32 of the error.
    [[nodiscard]] HRESULT OpenKey();
    HRESULT CloseKey();

    // Reads never fail: a missing, empty or unreadable value gives `defaultValue`. The text ends
    // at the first zero byte of the data; the value's registry type is not examined.
    std::string ReadString(const std::string& subkey, const std::string& valueName, const std::string& defaultValue);
    // Stores a REG_SZ of the string's bytes without a terminating zero; returns LastResult.
    HRESULT WriteString(const std::string& subkey, const std::string& valueName, const std::string& value);
    // A missing value, one longer than 4 bytes or a failure gives `defaultValue`; shorter data
    // fills the low-order bytes of a zero value.
    std::int32_t ReadDword(const std::string& subkey, const std::string& valueName, std::int32_t defaultValue);
    // Stores a REG_DWORD of 4 bytes; returns 0.
    HRESULT WriteDword(const std::string& subkey, const std::string& valueName, std::int32_t value);

    // The same on UTF-16 strings, converted from and to the process charset around the narrow
    // operation.
    QString ReadStringW(const std::string& subkey, const std::string& valueName, const QString& defaultValue);
    HRESULT WriteStringW(const std::string& subkey, const std::string& valueName, const QString& value);

    // The failure recorded by the last operation that failed; 0 after a successful open.
    [[nodiscard]] HRESULT LastResult() const { return lastResult_; }
    // root path, then "\item" when the item is not empty, then "\section" when that is not empty.
    std::string Path() const;

private:
    bool ensureKey();
    // The value's text up to its first zero byte; nothing when it is missing, empty or unreadable.
    std::optional<std::string> readText(const std::string& subkey, const std::string& valueName);
    void recordFailure(Win32Error error) { lastResult_ = HRESULT_FROM_WIN32(error); }

    RegistryKey key_;
    std::string rootPath_;
    std::string section_;
    std::string item_;
    HRESULT lastResult_ = S_OK;
};

} // namespace quillbrook
