#include "resources/string_table.h"

#include "resources/string_table_data.h"

#include <gtest/gtest.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

using quillbrook::testing::ScopedLocale;
using quillbrook::testing::TemporaryHome;

// The language variables in the order they are consulted, all cleared for the test.
class MessageLocale {
public:
    explicit MessageLocale(TemporaryHome& home) : home_(home)
    {
        for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            home_.setEnvironment(variable, std::nullopt);
    }
    void set(const char* variable, const char* value) { home_.setEnvironment(variable, std::string(value)); }

private:
    TemporaryHome& home_;
};

TEST(StringTable, LanguageFollowsTheFirstSetMessageVariable)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> variables;
        ResourceLanguage expected;
    };
    const Case cases[] = {
        {"nothing set", {}, ResourceLanguage::English},
        {"LANG ja", {{"LANG", "ja_JP.UTF-8"}}, ResourceLanguage::Japanese},
        {"LC_MESSAGES before LANG",
         {{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}},
         ResourceLanguage::English},
        {"LC_ALL before LC_MESSAGES",
         {{"LC_MESSAGES", "en_US.UTF-8"}, {"LC_ALL", "ja_JP.eucJP"}},
         ResourceLanguage::Japanese},
        {"LANGUAGE first", {{"LC_ALL", "ja_JP.UTF-8"}, {"LANGUAGE", "de:ja"}}, ResourceLanguage::English},
        {"LANGUAGE list starting with ja", {{"LANGUAGE", "ja:en"}}, ResourceLanguage::Japanese},
        {"an empty variable is skipped", {{"LANGUAGE", ""}, {"LANG", "ja_JP"}}, ResourceLanguage::Japanese},
    };
    for (const Case& c : cases) {
        TemporaryHome home;
        MessageLocale locale(home);
        for (const auto& [variable, value] : c.variables)
            locale.set(variable, value);
        EXPECT_EQ(messageLanguage(), c.expected) << c.name;
    }
}

TEST(StringTable, EveryIdFrom100To171HasBothLanguages)
{
    for (unsigned id = 100; id <= 171; ++id) {
        EXPECT_FALSE(resourceText(id, ResourceLanguage::English).empty()) << id;
        EXPECT_FALSE(resourceText(id, ResourceLanguage::Japanese).empty()) << id;
    }
    EXPECT_TRUE(resourceText(99, ResourceLanguage::English).empty());
    EXPECT_TRUE(resourceText(172, ResourceLanguage::English).empty());
}

TEST(StringTable, ExactTexts)
{
    struct Case {
        unsigned id;
        std::u16string_view english;
        std::u16string_view japanese;
    };
    const Case cases[] = {
        {107, u"&Edit with editor", u"エディタで編集する(&E)"},
        {112, u"Are you sure you want to delete the menu item \"%s\"?",
         u"メニュー項目「%s」を削除します。\nよろしいですか？"},
        {117, u"Executable Files (*.exe)|*.exe|All Files|*.*||", u"実行ファイル (*.exe)|*.exe|すべてのファイル|*.*||"},
        {122, u"%04d%02d%02d%02d%02d%02d%03d", u"%04d%02d%02d%02d%02d%02d%03d"},
        {141, u"This function is avalable on a text editing box.", u"この機能はテキスト編集エリアでのみ使用できます"},
        {149, u"Default(ANSI)", u"標準(日本語 Shift JIS)"},
        {154,
         u"Scripts folder has been changed.\nAre you sure you want to move contents of the old scripts folder to new "
         u"place?",
         u"スクリプトフォルダが変更されました。\n以前のスクリプトフォルダの内容を新しいスクリプトフォルダに移動しますか"
         u"？"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(resourceText(c.id, ResourceLanguage::English), c.english) << c.id;
        EXPECT_EQ(resourceText(c.id, ResourceLanguage::Japanese), c.japanese) << c.id;
    }
}

TEST(StringTable, LoadStringKeepsWhatFitsTheBuffer)
{
    TemporaryHome home;
    MessageLocale messages(home);
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());

    EXPECT_EQ(loadString(107, 256), "&Edit with editor");
    EXPECT_EQ(loadString(107, 6), "&Edit");
    EXPECT_EQ(loadString(107, 1), "");
    EXPECT_EQ(loadString(107, 0), "");
    EXPECT_EQ(loadString(99, 256), "");
    EXPECT_EQ(loadStringW(107, 6), QStringLiteral("&Edit"));

    messages.set("LANG", "ja_JP.UTF-8");
    EXPECT_EQ(loadString(106, 256), "メモ帳");
    // Three characters of three bytes each: a buffer of 8 bytes holds two whole characters.
    EXPECT_EQ(loadString(106, 8), "メモ");
}

TEST(StringTable, JapaneseTextsInALocaleThatCannotHoldThem)
{
    TemporaryHome home;
    MessageLocale messages(home);
    messages.set("LANGUAGE", "ja");
    ScopedLocale locale("C");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(loadString(106, 256), "???");
    EXPECT_EQ(loadString(108, 260), "notepad.exe");
}

// Every text has its buffer in string_ids.h, and the buffer holds the text whole in both languages,
// also as UTF-8, so that a load by id never cuts or empties a text.
TEST(StringTable, EveryTextIsDeclaredWithABufferThatHoldsItWhole)
{
    EXPECT_EQ(std::size(kDeclaredStrings), resources::kStringTable.size());
    for (const resources::StringTableEntry& entry : resources::kStringTable) {
        const std::size_t buffer = bufferSizeOf(entry.id);
        EXPECT_NE(buffer, 0u) << entry.id;
        for (const std::u16string_view text : {entry.english, entry.japanese}) {
            EXPECT_LT(text.size(), buffer) << entry.id;
            EXPECT_LT(static_cast<std::size_t>(QString::fromStdU16String(std::u16string(text)).toUtf8().size()), buffer)
                << entry.id;
        }
    }
    EXPECT_EQ(bufferSizeOf(99), 0u);
    EXPECT_EQ(bufferSizeOf(172), 0u);
}

TEST(StringTable, LoadByIdUsesTheDeclaredBuffer)
{
    TemporaryHome home;
    MessageLocale messages(home);
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(loadString(string_id::DefaultLabel), "&Edit with editor");
    EXPECT_EQ(loadStringW(string_id::EditorFilter), QStringLiteral("Executable Files (*.exe)|*.exe|All Files|*.*||"));
    EXPECT_EQ(loadStringW(99), QString());
}

} // namespace
} // namespace quillbrook
