// Menu items in a private home: the process-wide global settings as a new process has them,
// loaded from this test's hive (so the scripts folder exists), and access to the items' keys and
// script files for checks.
#pragma once

#include "platform/hive.h"
#include "store/global_settings.h"
#include "store/menu_item_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "settings_fixture.h"
#include "support/fresh_settings.h"

namespace quillbrook::testing {

class MenuItemTest : public StoreTest {
protected:
    MenuItemTest()
    {
        home_.setEnvironment("QUILLBROOK_SYSTEM_FOLDER", (home_.root() / "system").string());
        loadFreshGlobalSettings();
    }

    static std::string scriptsFolder() { return globalSettings().ScriptsFolderPath; }

    // The item's key as it is stored, opened for reading; not created when missing.
    static Win32Result<RegistryKey> openItemKey(const std::string& label)
    {
        auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
        if (!root.ok())
            return root.error();
        return root.value().openSubKey(menuExtEntryPath(label), KEY_READ);
    }

    static std::size_t valueCount(const RegistryKey& key)
    {
        std::uint32_t count = 0;
        while (key.enumValue(count).ok())
            ++count;
        return count;
    }

    static std::string readFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The reference copy of the script template.
    static std::string referenceTemplate()
    {
        return readFile(std::filesystem::path(QUILLBROOK_STORE_TEST_DATA) / "menu_script_template.htm");
    }

    // The script a label should get: the reference template with the label in its one slot.
    static std::string expectedScript(const std::string& label)
    {
        std::string script = referenceTemplate();
        return script.replace(script.find("%s"), 2, label);
    }
};

} // namespace quillbrook::testing
