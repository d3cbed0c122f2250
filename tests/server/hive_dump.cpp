#include "hive_dump.h"

#include <gtest/gtest.h>

#include <functional>

namespace quillbrook::testing {

std::vector<std::string> dumpTree(HiveRoot root, const std::string& path)
{
    std::vector<std::string> lines;
    const auto rootKey = RegistryKey::openRoot(root);
    if (!rootKey.ok())
        return lines;
    const std::function<void(const std::string&)> visit = [&](const std::string& name) {
        const auto key = rootKey.value().openSubKey(name, KEY_READ);
        if (!key.ok())
            return;
        lines.push_back(name);
        for (std::uint32_t i = 0;; ++i) {
            const auto value = key.value().enumValue(i);
            if (!value.ok())
                break;
            lines.push_back(name + "|" + value.value().name + "|" + std::to_string(value.value().type) + "|"
                            + value.value().data);
        }
        for (std::uint32_t i = 0;; ++i) {
            const auto child = key.value().enumSubKey(i);
            if (!child.ok())
                break;
            visit(name.empty() ? child.value() : name + "\\" + child.value());
        }
    };
    visit(path);
    return lines;
}

void createKey(HiveRoot root, const std::string& path, const char* defaultValue)
{
    auto key = RegistryKey::openRoot(root).value().createSubKey(path, KEY_ALL_ACCESS);
    if (key.ok() && defaultValue) {
        EXPECT_EQ(key.value().setValue("", REG_SZ, defaultValue), ERROR_SUCCESS);
    }
}

bool keyExists(HiveRoot root, const std::string& path)
{
    const auto rootKey = RegistryKey::openRoot(root);
    return rootKey.ok() && rootKey.value().openSubKey(path, KEY_READ).ok();
}

} // namespace quillbrook::testing
