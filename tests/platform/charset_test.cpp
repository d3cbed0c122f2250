#include "platform/charset.h"

#include <gtest/gtest.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

using quillbrook::testing::ScopedLocale;

TEST(Charset, Utf8LocaleRoundTrip)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(processCharset(), "UTF-8");
    const QString japanese = QString::fromUtf8("メモ帳 notepad");
    EXPECT_EQ(toNarrow(japanese), "メモ帳 notepad");
    EXPECT_EQ(toWide("メモ帳 notepad"), japanese);
    // A leading U+FEFF is a character, not a mark to drop.
    const QString marked = QString(QChar(0xFEFF)) + japanese;
    EXPECT_EQ(toNarrow(marked), "\xEF\xBB\xBFメモ帳 notepad");
    EXPECT_EQ(toWide("\xEF\xBB\xBFメモ帳 notepad"), marked);
}

TEST(Charset, EmptyAndNull)
{
    EXPECT_TRUE(toWide("").isEmpty());
    EXPECT_FALSE(toWide("").isNull());
    EXPECT_EQ(toNarrow(QString()), "");
}

TEST(Charset, InvalidBytesBecomeReplacementCharacters)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    EXPECT_EQ(toWide(std::string_view("a\xff"
                                      "b",
                                      3)),
              QString::fromUtf8("a\xEF\xBF\xBD"
                                "b"));
}

TEST(Charset, ConversionsThroughIconvNeverFail)
{
    struct Case {
        const char* name;
        QString text;
        std::string charset;
        std::string bytes;
    };
    const Case cases[] = {
        {"ascii keeps ascii", QStringLiteral("abc"), "ANSI_X3.4-1968", "abc"},
        {"ascii cannot hold kana", QString::fromUtf8("aメb"), "ANSI_X3.4-1968", "a?b"},
        {"a surrogate pair is one character",
         QString::fromUtf8("a\xF0\x9F\x98\x80"
                           "b"),
         "ISO-8859-1", "a?b"},
        {"latin-1", QString::fromUtf8("\xC3\xA9"), "ISO-8859-1", "\xE9"},
        {"euc-jp", QString::fromUtf8("メモ"), "EUC-JP", "\xA5\xE1\xA5\xE2"},
        {"shift_jis", QString::fromUtf8("メモ"), "SHIFT_JIS", "\x83\x81\x83\x82"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encodeCharset(c.text, c.charset), c.bytes) << c.name;

    EXPECT_EQ(decodeCharset("\xA5\xE1\xA5\xE2", "EUC-JP"), QString::fromUtf8("メモ"));
    EXPECT_EQ(decodeCharset(std::string_view("a\x80"
                                             "b",
                                             3),
                            "ANSI_X3.4-1968"),
              QString::fromUtf8("a\xEF\xBF\xBD"
                                "b"));
    // A multi-byte sequence cut off by the end of the data.
    EXPECT_EQ(decodeCharset("a\xA5", "EUC-JP"), QString::fromUtf8("a\xEF\xBF\xBD"));
}

TEST(Charset, LongTextCrossesConversionBuffers)
{
    const QString text = QString::fromUtf8("メモ帳").repeated(1000);
    EXPECT_EQ(decodeCharset(encodeCharset(text, "EUC-JP"), "EUC-JP"), text);
}

} // namespace
} // namespace quillbrook
