#include "service/code_page_choices.h"

#include "support/temporary_home.h"

#include <gtest/gtest.h>
#include <optional>

namespace quillbrook {
namespace {

using testing::TemporaryHome;

// The message language follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG; only LANG is left set.
void setMessageLocale(TemporaryHome& home, const char* lang)
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        home.setEnvironment(name, std::nullopt);
    home.setEnvironment("LANG", lang);
}

TEST(CodePageChoices, FillingShowsTheRowsInTableOrder)
{
    TemporaryHome home;
    setMessageLocale(home, "C");
    const EncodingList list = fillEncodingList(code_page::Default);
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_EQ(list.items[0].text, QStringLiteral("Default(ANSI)"));
    EXPECT_EQ(list.items[0].codePage, 1);
    EXPECT_EQ(list.items[1].text, QStringLiteral("Unicode"));
    EXPECT_EQ(list.items[1].codePage, 1201);
    EXPECT_EQ(list.items[2].text, QStringLiteral("UTF-8"));
    EXPECT_EQ(list.items[2].codePage, 65001);
}

TEST(CodePageChoices, JapaneseTexts)
{
    TemporaryHome home;
    setMessageLocale(home, "ja_JP.UTF-8");
    const EncodingList list = fillEncodingList(code_page::Default);
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_EQ(list.items[0].text,
              QString::fromUtf8("\xE6\xA8\x99\xE6\xBA\x96(\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E Shift JIS)"));
    EXPECT_EQ(list.items[1].text, QStringLiteral("Unicode"));
    EXPECT_EQ(list.items[2].text, QStringLiteral("UTF-8"));
}

TEST(CodePageChoices, FillingSelectsTheCurrentValueOrTheFirstItem)
{
    const struct {
        std::int32_t current;
        int selected;
    } cases[] = {{1, 0}, {1201, 1}, {65001, 2}, {0, 0}, {932, 0}, {1200, 0}, {-5, 0}, {65000, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(fillEncodingList(c.current).selectedIndex, c.selected) << "current " << c.current;
}

TEST(CodePageChoices, ReadingTheChoice)
{
    const std::vector<EncodingListItem> items = fillEncodingList(code_page::Default).items;
    const std::vector<EncodingListItem> zeroData = {{QStringLiteral("zero"), 0}, {QStringLiteral("odd"), 932}};
    const struct {
        const char* name;
        const std::vector<EncodingListItem>& items;
        int selected;
        std::int32_t current;
        std::int32_t expected;
    } cases[] = {
        {"first row", items, 0, 65001, 1},
        {"second row", items, 1, 1, 1201},
        {"third row", items, 2, 932, 65001},
        {"nothing selected keeps the current value", items, -1, 932, 932},
        {"nothing selected keeps zero", items, -1, 0, 0},
        {"an index past the list is no selection", items, 3, 1201, 1201},
        {"data 0 is read as 1", zeroData, 0, 65001, 1},
        {"other data as it is", zeroData, 1, 1, 932},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readEncodingChoice(c.items, c.selected, c.current), c.expected) << c.name;
}

} // namespace
} // namespace quillbrook
