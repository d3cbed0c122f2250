// A private hive and home per test, with direct access to the settings key for checks.
#pragma once

#include "platform/hive.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>
#include <string>

namespace quillbrook::testing {

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : locale_("C.UTF-8")
    {
        for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            home_.setEnvironment(variable, std::nullopt);
    }

    RegistryKey key(const std::string& path)
    {
        auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
        EXPECT_TRUE(root.ok()) << root.error();
        auto opened = root.value().createSubKey(path, KEY_ALL_ACCESS);
        EXPECT_TRUE(opened.ok()) << opened.error();
        return std::move(opened).value();
    }
    RegistryKey settingsKey() { return key("Software\\Fernhollow\\Quillbrook"); }

    static std::string dword(std::uint32_t value)
    {
        return std::string{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
    }

    TemporaryHome home_;
    ScopedLocale locale_;
};

} // namespace quillbrook::testing
