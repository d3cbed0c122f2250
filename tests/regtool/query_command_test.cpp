#include "hive_fixture.h"

namespace quillbrook::regtool {
namespace {

using namespace std::string_literals;

constexpr const char* missing = "ERROR: The system was unable to find the specified registry key or value.\n";

class RegQuery : public RegHiveTest {
protected:
    void SetUp() override
    {
        auto app = key("Software\\Fernhollow\\Quillbrook");
        EXPECT_EQ(app.setValue("", REG_SZ, "Default text"), ERROR_SUCCESS);
        EXPECT_EQ(app.setValue("Count", REG_DWORD, "\x2a\0\0\0"s), ERROR_SUCCESS);
        EXPECT_EQ(app.setValue("Data", REG_BINARY, "\x01\xab"), ERROR_SUCCESS);
        EXPECT_EQ(app.setValue("Odd", 0x1234, "\x01"), ERROR_SUCCESS);
        key("Software\\Fernhollow\\Quillbrook\\beta");
        key("Software\\Fernhollow\\Quillbrook\\Alpha\\Deep");
        EXPECT_EQ(key("Software\\Fernhollow\\Quillbrook\\Alpha").setValue("Inner", REG_MULTI_SZ, "a\0b\0\0"s),
                  ERROR_SUCCESS);
    }
};

TEST_F(RegQuery, PrintsExactly)
{
    const std::string app = "HKEY_CURRENT_USER\\Software\\Fernhollow\\Quillbrook";
    const std::string appValues = "    (Default)    REG_SZ    Default text\n"
                                  "    Count    REG_DWORD    0x2a\n"
                                  "    Data    REG_BINARY    01AB\n"
                                  "    Odd    REG_0x1234    01\n";
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"key",
         {"query", "hkcu\\software\\fernhollow\\quillbrook"},
         0,
         app + "\n" + appValues + app + "\\Alpha\n" + app + "\\beta\n",
         ""},
        {"tree",
         {"query", "HKCU\\Software\\Fernhollow\\Quillbrook", "/s"},
         0,
         app + "\n" + appValues + "\n" + app + "\\Alpha\n    Inner    REG_MULTI_SZ    a\\0b\n\n" + app
             + "\\Alpha\\Deep\n\n" + app + "\\beta\n\n",
         ""},
        {"one value",
         {"query", "HKCU\\Software\\Fernhollow\\Quillbrook", "/v", "count"},
         0,
         app + "\n    Count    REG_DWORD    0x2a\n",
         ""},
        {"default value",
         {"query", "HKCU\\Software\\Fernhollow\\Quillbrook", "/ve"},
         0,
         app + "\n    (Default)    REG_SZ    Default text\n",
         ""},
        {"value searched in the tree",
         {"query", "HKCU\\Software\\Fernhollow", "/v", "Inner", "/s"},
         0,
         app + "\\Alpha\n    Inner    REG_MULTI_SZ    a\\0b\n\n",
         ""},
        {"missing value", {"query", "HKCU\\Software\\Fernhollow\\Quillbrook", "/v", "Nope"}, 1, "", missing},
        {"value missing from the tree", {"query", "HKCU\\Software", "/v", "Nope", "/s"}, 1, "", missing},
        {"missing key", {"query", "HKCU\\Software\\Nope"}, 1, "", missing},
    };
    for (const auto& c : cases) {
        const auto result = run(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.err, c.err) << c.name;
    }
}

using RegCommands = RegHiveTest;

TEST_F(RegCommands, AsksBeforeOverwritingOrDeleting)
{
    const std::string cancelled = "ERROR: The operation was cancelled by the user.\n";
    const std::string done = "The operation completed successfully.\n";
    const std::string overwrite = "Value Name exists, overwrite(Yes/No)? ";
    const std::string deleteValue = "Delete the registry value Name (Yes/No)? ";
    const std::string deleteKey = "Permanently delete the registry key HKCU\\Software\\T (Yes/No)? ";
    const std::vector<std::string> add = {"add", "HKCU\\Software\\T", "/v", "Name", "/d", "new"};
    const std::vector<std::string> remove = {"delete", "HKCU\\Software\\T", "/v", "Name"};
    const std::vector<std::string> removeKey = {"delete", "HKCU\\Software\\T"};
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string out;
        std::optional<std::string> valueAfter;
    } cases[] = {
        {"overwrite, y", add, "y\n", 0, overwrite + done, "new"},
        {"overwrite, YES with CRLF", add, "YES\r\n", 0, overwrite + done, "new"},
        {"overwrite, no", add, "no\n", 1, overwrite, "old"},
        {"overwrite, yess", add, "yess\n", 1, overwrite, "old"},
        {"overwrite, end of input", add, "", 1, overwrite, "old"},
        {"overwrite, forced", {"add", "HKCU\\Software\\T", "/v", "Name", "/d", "new", "/f"}, "", 0, done, "new"},
        {"delete value, y", remove, "y\n", 0, deleteValue + done, std::nullopt},
        {"delete value, n", remove, "n\n", 1, deleteValue, "old"},
        {"delete key, Yes", removeKey, "Yes\n", 0, deleteKey + done, std::nullopt},
        {"delete key, end of input", removeKey, "", 1, deleteKey, "old"},
        {"delete all values, forced", {"delete", "HKCU\\Software\\T", "/va", "/f"}, "", 0, done, std::nullopt},
    };
    for (const auto& c : cases) {
        key("Software\\T\\Sub");
        EXPECT_EQ(key("Software\\T").setValue("Name", REG_SZ, "old"), ERROR_SUCCESS);
        const auto result = run(c.arguments, c.input);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.err, c.status == 0 ? "" : cancelled) << c.name;
        EXPECT_EQ(data("Software\\T", "Name"), c.valueAfter) << c.name;
        EXPECT_EQ(keyExists("Software\\T\\Sub"), c.name != "delete key, Yes"s) << c.name;
    }
}

TEST_F(RegCommands, AddStoresTheTypedBytes)
{
    const struct {
        std::vector<std::string> arguments;
        std::string name;
        RegistryType type;
        std::string data;
    } cases[] = {
        {{"add", "HKCU\\A", "/ve"}, "", REG_SZ, ""},
        {{"add", "HKCU\\A", "/v", "s", "/d", "text"}, "s", REG_SZ, "text"},
        {{"add", "HKCU\\A", "/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}, "m", REG_MULTI_SZ, "a\0b\0\0"s},
        {{"add", "HKCU\\A", "/v", "d", "/t", "REG_DWORD", "/d", "4294967295"}, "d", REG_DWORD, "\xff\xff\xff\xff"s},
        {{"add", "HKCU\\A\\New\\Deep", "/v", "n", "/t", "REG_NONE"}, "n", REG_NONE, ""},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(run(c.arguments).status, 0) << c.arguments[1] << " " << c.name;
        auto root = RegistryKey::openRoot(HiveRoot::CurrentUser);
        const auto value = root.value().openSubKey(c.arguments[1].substr(5), KEY_READ).value().queryValue(c.name);
        ASSERT_TRUE(value.ok()) << c.name;
        EXPECT_EQ(value.value().type, c.type) << c.name;
        EXPECT_EQ(value.value().data, c.data) << c.name;
    }
    EXPECT_EQ(run({"add", "HKCU\\OnlyKey"}).status, 0);
    EXPECT_EQ(dump("OnlyKey"), "HKEY_CURRENT_USER\\OnlyKey\n");
}

TEST_F(RegCommands, DeleteFailsOnRootsAndMissingThings)
{
    EXPECT_EQ(key("Software\\T\\Sub").setValue("v", REG_SZ, "x"), ERROR_SUCCESS);
    const auto before = dump("Software");
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"delete", "HKCU", "/f"},
             {"delete", "HKCR", "/f"},
             {"delete", "HKCU\\Software\\Nope", "/f"},
             {"delete", "HKCU\\Software\\T", "/v", "Nope", "/f"},
             {"delete", "HKCU\\Software\\T", "/ve", "/f"},
         }) {
        const auto result = run(arguments);
        EXPECT_EQ(result.status, 1) << arguments[1] << " " << arguments[2];
        EXPECT_TRUE(result.err.starts_with("ERROR: ")) << arguments[1] << " " << arguments[2];
    }
    EXPECT_EQ(dump("Software"), before);
}

} // namespace
} // namespace quillbrook::regtool
