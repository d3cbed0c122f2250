#include "regtool/key_tree.h"

namespace quillbrook::regtool {
namespace {

// Collects enumerated items until ERROR_NO_MORE_ITEMS.
template <class Item, class Enumerate>
Win32Result<std::vector<Item>> collect(Enumerate enumerate)
{
    std::vector<Item> items;
    for (std::uint32_t index = 0;; ++index) {
        auto item = enumerate(index);
        if (item.error() == ERROR_NO_MORE_ITEMS)
            return items;
        if (!item.ok())
            return item.error();
        items.push_back(std::move(item).value());
    }
}

} // namespace

Win32Result<std::vector<RegistryValue>> readValues(const RegistryKey& key)
{
    return collect<RegistryValue>([&](std::uint32_t index) { return key.enumValue(index); });
}

[[nodiscard]] Win32Error visitKeyTree(const RegistryKey& key,
                                      const std::function<Win32Error(const RegistryKey&)>& visit)
{
    if (const auto error = visit(key); error != ERROR_SUCCESS)
        return error;
    const auto names = key.subKeyNames();
    if (!names.ok())
        return names.error();
    for (const auto& name : names.value()) {
        const auto subKey = key.openSubKey(name, KEY_READ);
        if (!subKey.ok())
            return subKey.error();
        if (const auto error = visitKeyTree(subKey.value(), visit); error != ERROR_SUCCESS)
            return error;
    }
    return ERROR_SUCCESS;
}

} // namespace quillbrook::regtool
