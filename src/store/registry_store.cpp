#include "store/registry_store.h"

#include "platform/charset.h"

#include <optional>

namespace quillbrook {
namespace {

constexpr RegistryAccess kStoreAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

} // namespace

CRegistryStore::CRegistryStore(std::string rootPath, std::string section)
    : rootPath_(std::move(rootPath)), section_(std::move(section))
{}

CRegistryStore::~CRegistryStore() = default;

HRESULT CRegistryStore::Load(const std::string& item)
{
    SelectItem(item);
    return S_OK;
}

HRESULT CRegistryStore::Save(const std::string& item)
{
    SelectItem(item);
    return S_OK;
}

HRESULT CRegistryStore::SelectItem(const std::string& item)
{
    item_ = item;
    key_ = RegistryKey();
    return S_OK;
}

std::string CRegistryStore::Path() const
{
    std::string path = rootPath_;
    if (!item_.empty())
        path += "\\" + item_;
    if (!section_.empty())
        path += "\\" + section_;
    return path;
}

HRESULT CRegistryStore::OpenKey()
{
    auto root = RegistryKey::openRoot(HiveRoot::CurrentUser, KEY_ALL_ACCESS);
    if (!root.ok()) {
        recordFailure(root.error());
        return lastResult_;
    }
    auto opened = root.value().openSubKey(Path(), kStoreAccess);
    if (!opened.ok())
        opened = root.value().createSubKey(Path(), kStoreAccess);
    if (!opened.ok()) {
        recordFailure(opened.error());
        return lastResult_;
    }
    key_ = std::move(opened).value();
    lastResult_ = S_OK;
    return S_OK;
}

HRESULT CRegistryStore::CloseKey()
{
    key_.close();
    return S_OK;
}

bool CRegistryStore::ensureKey()
{
    return key_.isOpen() || SUCCEEDED(OpenKey());
}

std::optional<std::string> CRegistryStore::readText(const std::string& subkey, const std::string& valueName)
{
    if (!ensureKey())
        return std::nullopt;
    const auto sub = key_.openSubKey(subkey, KEY_READ);
    if (!sub.ok()) {
        recordFailure(sub.error());
        return std::nullopt;
    }
    const auto value = sub.value().queryValue(valueName);
    if (!value.ok()) {
        recordFailure(value.error());
        return std::nullopt;
    }
    const std::string& data = value.value().data;
    if (data.empty())
        return std::nullopt;
    return data.substr(0, data.find('\0'));
}

std::string CRegistryStore::ReadString(const std::string& subkey, const std::string& valueName,
                                       const std::string& defaultValue)
{
    return readText(subkey, valueName).value_or(defaultValue);
}

HRESULT CRegistryStore::WriteString(const std::string& subkey, const std::string& valueName, const std::string& value)
{
    if (!ensureKey())
        return lastResult_;
    auto sub = key_.createSubKey(subkey, KEY_WRITE);
    if (!sub.ok()) {
        recordFailure(sub.error());
        return lastResult_;
    }
    if (const Win32Error error = sub.value().setValue(valueName, REG_SZ, value))
        recordFailure(error);
    return lastResult_;
}

std::int32_t CRegistryStore::ReadDword(const std::string& subkey, const std::string& valueName,
                                       std::int32_t defaultValue)
{
    if (!ensureKey())
        return defaultValue;
    const auto sub = key_.openSubKey(subkey, KEY_READ);
    if (!sub.ok()) {
        recordFailure(sub.error());
        return defaultValue;
    }
    std::uint32_t read = 0;
    if (const Win32Error error = sub.value().readDword(valueName, read)) {
        recordFailure(error);
        return defaultValue;
    }
    return static_cast<std::int32_t>(read);
}

HRESULT CRegistryStore::WriteDword(const std::string& subkey, const std::string& valueName, std::int32_t value)
{
    if (!ensureKey())
        return S_OK;
    auto sub = key_.createSubKey(subkey, KEY_WRITE);
    if (!sub.ok()) {
        recordFailure(sub.error());
        return S_OK;
    }
    if (const Win32Error error = sub.value().writeDword(valueName, static_cast<std::uint32_t>(value)))
        recordFailure(error);
    return S_OK;
}

QString CRegistryStore::ReadStringW(const std::string& subkey, const std::string& valueName,
                                    const QString& defaultValue)
{
    const auto text = readText(subkey, valueName);
    return text ? toWide(*text) : defaultValue;
}

HRESULT CRegistryStore::WriteStringW(const std::string& subkey, const std::string& valueName, const QString& value)
{
    return WriteString(subkey, valueName, toNarrow(value));
}

} // namespace quillbrook
