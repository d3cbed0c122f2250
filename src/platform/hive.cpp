// The registry's semantics on the hive's rows: paths split into names, names folded as the
// original platform compares them, access rights, and the transaction of each operation.
#include "platform/hive.h"

#include "platform/charset.h"
#include "platform/folders.h"
#include "platform/hive_backend_p.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <span>
#include <utility>
#include <vector>

namespace quillbrook {
namespace {

constexpr qsizetype kMaxKeyNameLength = 255;

// A key name as a path component: the name as given and its fold.
struct KeyName {
    std::string_view name;
    std::string fold;
};

// Upper-cases each UTF-16 unit on its own, as the original platform compares names, and writes
// the units big-endian so that comparing the bytes compares the units.
std::string foldName(const QString& wide)
{
    std::string fold;
    fold.reserve(static_cast<std::size_t>(wide.size()) * 2);
    for (const QChar unit : wide) {
        const char16_t upper = unit.toUpper().unicode();
        fold.push_back(static_cast<char>(upper >> 8));
        fold.push_back(static_cast<char>(upper & 0xFF));
    }
    return fold;
}

std::string foldName(std::string_view name)
{
    return foldName(toWide(name));
}

// "a\b\" → {a, b}. An empty component other than the one after a trailing backslash is a bad path.
Win32Result<std::vector<KeyName>> splitKeyPath(std::string_view path)
{
    std::vector<KeyName> components;
    if (path.empty())
        return components;
    if (path.front() == '\\')
        return ERROR_BAD_PATHNAME;
    if (path.back() == '\\')
        path.remove_suffix(1);
    while (true) {
        const auto separator = path.find('\\');
        const std::string_view name = path.substr(0, separator);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        const QString wide = toWide(name);
        if (wide.size() > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        components.push_back({name, foldName(wide)});
        if (separator == std::string_view::npos)
            break;
        path.remove_prefix(separator + 1);
    }
    return components;
}

bool isRoot(std::int64_t id)
{
    return id == kCurrentUserKeyId || id == kClassesRootKeyId;
}

struct FoundKey {
    std::int64_t id = 0;
    std::string storedPath; // "\Name\Name" with the stored case, appended to the start's full name
};

// Walks `components` down from `start`. ERROR_FILE_NOT_FOUND when one is missing.
Win32Result<FoundKey> findKey(HiveBackend& hive, std::int64_t start, std::span<const KeyName> components)
{
    FoundKey found{start, {}};
    for (const KeyName& component : components) {
        const auto child = hive.childKey(found.id, component.fold);
        if (!child.ok())
            return child.error();
        found.id = child.value().id;
        found.storedPath += '\\' + child.value().name;
    }
    return found;
}

bool isAsciiCaseEqual(std::string_view a, std::string_view b)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return upper(x) == upper(y); });
}

} // namespace

HiveLocation HiveLocation::forCurrentUser()
{
    HiveLocation location;
    if (const char* hive = std::getenv("QUILLBROOK_HIVE"); hive && *hive)
        location.file = hive;
    else if (const std::string config = configFolder(); !config.empty())
        location.file = std::filesystem::path(config) / "quillbrook" / "registry.db";
    return location;
}

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

RegistryKey::RegistryKey(std::shared_ptr<HiveBackend> hive, std::int64_t id, RegistryAccess access,
                         std::string fullName)
    : hive_(std::move(hive)), id_(id), access_(access), fullName_(std::move(fullName))
{}

Win32Result<RegistryKey> RegistryKey::openRoot(HiveRoot root, RegistryAccess access, const HiveLocation& location)
{
    auto hive = HiveBackend::open(location);
    if (!hive.ok())
        return hive.error();
    const std::int64_t id = root == HiveRoot::CurrentUser ? kCurrentUserKeyId : kClassesRootKeyId;
    return RegistryKey(std::move(hive).value(), id, access, std::string(hiveRootName(root)));
}

bool RegistryKey::isOpen() const
{
    return hive_ != nullptr;
}

void RegistryKey::close()
{
    hive_.reset();
    id_ = 0;
    access_ = 0;
    fullName_.clear();
}

std::string RegistryKey::fullName() const
{
    return fullName_;
}

Win32Error RegistryKey::usable(RegistryAccess needed) const
{
    if (!hive_)
        return ERROR_INVALID_HANDLE;
    return (access_ & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

Win32Result<RegistryKey> RegistryKey::openSubKey(std::string_view path, RegistryAccess access) const
{
    if (const Win32Error error = usable(0); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();
    return hive_->read(id_, [&]() -> Win32Result<RegistryKey> {
        const auto found = findKey(*hive_, id_, components.value());
        if (!found.ok())
            return found.error();
        return RegistryKey(hive_, found.value().id, access, fullName_ + found.value().storedPath);
    });
}

Win32Result<RegistryKey> RegistryKey::createSubKey(std::string_view path, RegistryAccess access, bool* created) const
{
    if (created)
        *created = false;
    if (const Win32Error error = usable(KEY_CREATE_SUB_KEY); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();

    // An existing key is only read, so that opening it needs neither the write lock nor a
    // writable hive.
    auto existing = openSubKey(path, access);
    if (existing.error() != ERROR_FILE_NOT_FOUND)
        return existing;

    bool madeLast = false;
    auto result = hive_->write(id_, [&]() -> Win32Result<RegistryKey> {
        std::int64_t id = id_;
        std::string name = fullName_;
        for (const KeyName& component : components.value()) {
            auto found = findKey(*hive_, id, std::span(&component, 1));
            if (found.ok()) {
                id = found.value().id;
                name += found.value().storedPath;
                madeLast = false;
                continue;
            }
            if (found.error() != ERROR_FILE_NOT_FOUND)
                return found.error();
            const auto added = hive_->addKey(id, component.name, component.fold);
            if (!added.ok())
                return added.error();
            id = added.value().id;
            name += '\\';
            name += component.name;
            madeLast = true;
        }
        return RegistryKey(hive_, id, access, std::move(name));
    });
    if (created)
        *created = result.ok() && madeLast;
    return result;
}

Win32Result<std::string> RegistryKey::enumSubKey(std::uint32_t index) const
{
    if (const Win32Error error = usable(KEY_ENUMERATE_SUB_KEYS); error != ERROR_SUCCESS)
        return error;
    return hive_->read(id_, [&] { return hive_->childNameAt(id_, index); });
}

Win32Result<std::vector<std::string>> RegistryKey::subKeyNames() const
{
    if (const Win32Error error = usable(KEY_ENUMERATE_SUB_KEYS); error != ERROR_SUCCESS)
        return error;
    return hive_->read(id_, [&] { return hive_->childNames(id_); });
}

Win32Result<RegistryValue> RegistryKey::enumValue(std::uint32_t index) const
{
    if (const Win32Error error = usable(KEY_QUERY_VALUE); error != ERROR_SUCCESS)
        return error;
    return hive_->read(id_, [&] { return hive_->valueAt(id_, index); });
}

Win32Result<RegistryValue> RegistryKey::queryValue(std::string_view name) const
{
    if (const Win32Error error = usable(KEY_QUERY_VALUE); error != ERROR_SUCCESS)
        return error;
    return hive_->read(id_, [&] { return hive_->value(id_, foldName(name)); });
}

bool RegistryKey::valueExists(std::string_view name) const
{
    return queryValue(name).ok();
}

Win32Error RegistryKey::setValue(std::string_view name, RegistryType type, std::string_view data)
{
    if (const Win32Error error = usable(KEY_SET_VALUE); error != ERROR_SUCCESS)
        return error;
    return hive_->write(id_, [&] { return hive_->putValue(id_, name, foldName(name), type, data); });
}

Win32Error RegistryKey::deleteValue(std::string_view name)
{
    if (const Win32Error error = usable(KEY_SET_VALUE); error != ERROR_SUCCESS)
        return error;
    return hive_->write(id_, [&] { return hive_->removeValue(id_, foldName(name)); });
}

Win32Error RegistryKey::readDword(std::string_view name, std::uint32_t& value) const
{
    const auto stored = queryValue(name);
    if (!stored.ok())
        return stored.error();
    if (stored.value().data.size() > sizeof value)
        return ERROR_MORE_DATA;
    value = dwordFromBytes(stored.value().data);
    return ERROR_SUCCESS;
}

Win32Error RegistryKey::writeDword(std::string_view name, std::uint32_t value)
{
    return setValue(name, REG_DWORD, dwordBytes(value));
}

Win32Error RegistryKey::deleteSubKey(std::string_view path)
{
    if (const Win32Error error = usable(0); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();
    return hive_->write(id_, [&]() -> Win32Error {
        const auto found = findKey(*hive_, id_, components.value());
        if (!found.ok())
            return found.error();
        const std::int64_t target = found.value().id;
        if (isRoot(target))
            return ERROR_ACCESS_DENIED;
        const auto child = hive_->childNameAt(target, 0);
        if (child.error() != ERROR_NO_MORE_ITEMS)
            return child.ok() ? ERROR_ACCESS_DENIED : child.error();
        return hive_->removeTree(target, false);
    });
}

Win32Error RegistryKey::deleteTree(std::string_view path)
{
    if (const Win32Error error = usable(0); error != ERROR_SUCCESS)
        return error;
    const auto components = splitKeyPath(path);
    if (!components.ok())
        return components.error();
    return hive_->write(id_, [&]() -> Win32Error {
        const auto found = findKey(*hive_, id_, components.value());
        if (!found.ok())
            return found.error();
        // Only an empty path reaches a root, and then the key itself stays.
        return hive_->removeTree(found.value().id, components.value().empty());
    });
}

Win32Result<HiveTransaction> RegistryKey::beginTransaction() const
{
    if (const Win32Error error = usable(0); error != ERROR_SUCCESS)
        return error;
    if (const Win32Error error = hive_->beginTransaction(id_); error != ERROR_SUCCESS)
        return error;
    return HiveTransaction(hive_);
}

HiveTransaction::HiveTransaction() = default;

HiveTransaction::HiveTransaction(std::shared_ptr<HiveBackend> hive) : hive_(std::move(hive)) {}

HiveTransaction::~HiveTransaction()
{
    rollBack();
}

HiveTransaction::HiveTransaction(HiveTransaction&& other) noexcept : hive_(std::move(other.hive_)) {}

HiveTransaction& HiveTransaction::operator=(HiveTransaction&& other) noexcept
{
    if (this != &other) {
        rollBack();
        hive_ = std::move(other.hive_);
    }
    return *this;
}

bool HiveTransaction::isActive() const
{
    return hive_ != nullptr;
}

Win32Error HiveTransaction::commit()
{
    if (!hive_)
        return ERROR_INVALID_HANDLE;
    return std::exchange(hive_, nullptr)->commitTransaction();
}

void HiveTransaction::rollBack()
{
    if (hive_)
        std::exchange(hive_, nullptr)->rollBackTransaction();
}

std::string dwordBytes(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::uint32_t dwordFromBytes(std::string_view data)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size() && i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return value;
}

bool parseHiveRoot(std::string_view name, HiveRoot& root)
{
    if (isAsciiCaseEqual(name, "HKEY_CURRENT_USER") || isAsciiCaseEqual(name, "HKCU")) {
        root = HiveRoot::CurrentUser;
        return true;
    }
    if (isAsciiCaseEqual(name, "HKEY_CLASSES_ROOT") || isAsciiCaseEqual(name, "HKCR")) {
        root = HiveRoot::ClassesRoot;
        return true;
    }
    return false;
}

std::string_view hiveRootName(HiveRoot root)
{
    return root == HiveRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_CLASSES_ROOT";
}

} // namespace quillbrook
