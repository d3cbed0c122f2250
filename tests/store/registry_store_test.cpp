#include "store/registry_store.h"

#include <filesystem>
#include <fstream>

#include "settings_fixture.h"

namespace quillbrook {
namespace {

using RegistryStoreTest = testing::StoreTest;

TEST_F(RegistryStoreTest, PathIsRootThenItemThenSection)
{
    CRegistryStore plain("Software\\A", "");
    EXPECT_EQ(plain.Path(), "Software\\A");
    plain.SelectItem("Item");
    EXPECT_EQ(plain.Path(), "Software\\A\\Item");
    CRegistryStore sectioned("Software\\A", "Section");
    EXPECT_EQ(sectioned.Path(), "Software\\A\\Section");
    sectioned.SelectItem("Item");
    EXPECT_EQ(sectioned.Path(), "Software\\A\\Item\\Section");
}

TEST_F(RegistryStoreTest, WritesCreateTheKeyAndReadBack)
{
    CRegistryStore store("Software\\Test", "");
    store.SelectItem("Item");
    EXPECT_EQ(store.WriteString({}, "Text", "hello"), S_OK);
    EXPECT_EQ(store.WriteDword({}, "Number", -2), S_OK);
    EXPECT_EQ(store.WriteString({}, "Empty", ""), S_OK);
    store.CloseKey();

    auto stored = key("Software\\Test\\Item");
    const auto text = stored.queryValue("Text");
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(text.value().type, REG_SZ);
    EXPECT_EQ(text.value().data, "hello"); // no terminating zero
    const auto empty = stored.queryValue("Empty");
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.value().type, REG_SZ);
    EXPECT_EQ(empty.value().data, "");
    const auto number = stored.queryValue("Number");
    ASSERT_TRUE(number.ok());
    EXPECT_EQ(number.value().type, REG_DWORD);
    EXPECT_EQ(number.value().data, dword(0xFFFFFFFEu));

    EXPECT_EQ(store.ReadString({}, "Text", "default"), "hello");
    EXPECT_EQ(store.ReadDword({}, "Number", 7), -2);
}

TEST_F(RegistryStoreTest, ReadsFallBackToTheDefault)
{
    auto stored = key("Software\\Test");
    ASSERT_EQ(stored.setValue("Empty", REG_SZ, ""), ERROR_SUCCESS);
    ASSERT_EQ(stored.setValue("WithZero", REG_SZ, std::string_view("ab\0cd", 5)), ERROR_SUCCESS);
    ASSERT_EQ(stored.setValue("LeadingZero", REG_SZ, std::string_view("\0x", 2)), ERROR_SUCCESS);
    ASSERT_EQ(stored.setValue("Binary", REG_BINARY, "raw"), ERROR_SUCCESS);
    ASSERT_EQ(stored.setValue("Long", REG_DWORD, dword(5) + dword(6)), ERROR_SUCCESS);
    ASSERT_EQ(stored.setValue("Short", REG_BINARY, "\x01\x02"), ERROR_SUCCESS);
    ASSERT_EQ(stored.setValue("TextAsNumber", REG_SZ, "abcd"), ERROR_SUCCESS);

    CRegistryStore store("Software\\Test", "");
    struct StringCase {
        const char* name;
        std::string expected;
    };
    const StringCase strings[] = {
        {"Missing", "default"}, {"Empty", "default"}, // no data at all
        {"WithZero", "ab"},                           // text ends at the first zero byte
        {"LeadingZero", ""},                          // data present, text empty
        {"Binary", "raw"},                            // the type is not examined
    };
    for (const auto& c : strings)
        EXPECT_EQ(store.ReadString({}, c.name, "default"), c.expected) << c.name;

    struct DwordCase {
        const char* name;
        std::int32_t expected;
    };
    const DwordCase dwords[] = {
        {"Missing", 250},
        {"Long", 250},                // eight bytes are ignored
        {"Short", 0x0201},            // fills the low-order bytes
        {"TextAsNumber", 0x64636261}, // the type is not examined
    };
    for (const auto& c : dwords)
        EXPECT_EQ(store.ReadDword({}, c.name, 250), c.expected) << c.name;
}

TEST_F(RegistryStoreTest, LastResultRecordsFailuresAndClearsOnOpen)
{
    CRegistryStore store("Software\\Test", "");
    EXPECT_EQ(store.LastResult(), S_OK);
    store.ReadString({}, "Missing", "x");
    EXPECT_EQ(store.LastResult(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    store.CloseKey();
    EXPECT_EQ(store.OpenKey(), S_OK);
    EXPECT_EQ(store.LastResult(), S_OK);
}

TEST_F(RegistryStoreTest, WideFormsConvertAroundTheNarrowOperation)
{
    CRegistryStore store("Software\\Test", "");
    store.WriteStringW({}, "Label", QString::fromUtf8("エディタで編集する(&E)"));
    EXPECT_EQ(store.ReadString({}, "Label", ""), "エディタで編集する(&E)");
    EXPECT_EQ(store.ReadStringW({}, "Label", QString()), QString::fromUtf8("エディタで編集する(&E)"));
    EXPECT_TRUE(store.ReadStringW({}, "Missing", QString()).isNull());
}

TEST_F(RegistryStoreTest, AHiveThatIsNotAHiveGivesDefaultsAndIsLeftAlone)
{
    const auto file = home_.root() / "not-a-hive.db";
    const std::string garbage(4096, 'x');
    std::ofstream(file, std::ios::binary) << garbage;
    home_.setEnvironment("QUILLBROOK_HIVE", file.string());

    CRegistryStore store("Software\\Test", "");
    EXPECT_NE(store.OpenKey(), S_OK);
    EXPECT_EQ(store.ReadString({}, "Any", "default"), "default");
    EXPECT_EQ(store.ReadDword({}, "Any", 3), 3);
    store.WriteString({}, "Any", "value");
    EXPECT_TRUE(FAILED(store.LastResult()));

    std::ifstream in(file, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, garbage);
}

} // namespace
} // namespace quillbrook
