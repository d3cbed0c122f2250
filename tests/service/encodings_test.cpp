#include "service/encodings.h"

#include "code_units.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>
#include <random>

namespace quillbrook {
namespace {

using testing::bytes;
using testing::hexBytes;
using testing::hexUnits;
using testing::ScopedLocale;
using testing::units;

constexpr std::int32_t Utf16 = code_page::Utf16LittleEndian;
constexpr std::int32_t Utf8 = code_page::Utf8;

struct WriteCase {
    const char* name;
    QString text;
    std::int32_t codePage;
    std::string expected;
};

TEST(EncodingTextToBytes, OwnEncodingsByteForByte)
{
    const WriteCase cases[] = {
        {"hello, 65001", units({0x68, 0xE9, 0x6C, 0x6C, 0x6F}), Utf8, bytes({0x68, 0xC3, 0xA9, 0x6C, 0x6C, 0x6F})},
        {"hello, 1201", units({0x68, 0xE9}), Utf16, bytes({0x68, 0x00, 0xE9, 0x00})},
        {"range edges, 65001", units({0x7F, 0x80, 0x7FF, 0x800, 0xFFFF}), Utf8,
         bytes({0x7F, 0xC2, 0x80, 0xDF, 0xBF, 0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF})},
        {"a surrogate pair is its character's four bytes, 65001", units({0x41, 0xD83D, 0xDE00, 0x42}), Utf8,
         bytes({0x41, 0xF0, 0x9F, 0x98, 0x80, 0x42})},
        {"a lone surrogate is its own three bytes, 65001", units({0x61, 0xDC00, 0xD83D}), Utf8,
         bytes({0x61, 0xED, 0xB0, 0x80, 0xED, 0xA0, 0xBD})},
        {"a surrogate pair, 1201", units({0xD83D, 0xDE00}), Utf16, bytes({0x3D, 0xD8, 0x00, 0xDE})},
        {"U+FEFF is text, not a mark, 65001", units({0xFEFF, 0x61}), Utf8, bytes({0xEF, 0xBB, 0xBF, 0x61})},
        {"no byte-order mark, 1201", units({0x41}), Utf16, bytes({0x41, 0x00})},
        {"CR LF kept, 65001", units({0x61, 0x0D, 0x0A, 0x62}), Utf8, bytes({0x61, 0x0D, 0x0A, 0x62})},
        {"CR LF kept, 1201", units({0x0D, 0x0A}), Utf16, bytes({0x0D, 0x00, 0x0A, 0x00})},
        {"bare LF kept, 65001", units({0x0A, 0x0A}), Utf8, bytes({0x0A, 0x0A})},
        {"stops at the first U+0000, 65001", units({0x61, 0x00, 0x62}), Utf8, bytes({0x61})},
        {"U+0000 first, 65001", units({0x00, 0x62}), Utf8, ""},
        {"every unit including U+0000, 1201", units({0x61, 0x00, 0x62}), Utf16,
         bytes({0x61, 0x00, 0x00, 0x00, 0x62, 0x00})},
        {"empty, 1201", QString(QLatin1String("")), Utf16, ""},
        {"empty, 65001", QString(QLatin1String("")), Utf8, ""},
        {"null, 1201", QString(), Utf16, ""},
        {"null, 65001", QString(), Utf8, ""},
        {"null, process charset", QString(), code_page::Default, ""},
    };
    for (const WriteCase& c : cases)
        EXPECT_EQ(hexBytes(textToBytes(c.text, c.codePage)), hexBytes(c.expected)) << c.name;
}

struct ReadCase {
    const char* name;
    std::string data;
    std::int32_t codePage;
    QString expected;
};

TEST(EncodingBytesToText, OwnEncodingsUnitForUnit)
{
    const ReadCase cases[] = {
        {"hello, 65001", bytes({0x68, 0xC3, 0xA9, 0x6C, 0x6C, 0x6F}), Utf8, units({0x68, 0xE9, 0x6C, 0x6C, 0x6F})},
        {"UTF-8 byte-order mark stays as U+FEFF", bytes({0xEF, 0xBB, 0xBF, 0x61}), Utf8, units({0xFEFF, 0x61})},
        {"UTF-16 byte-order mark stays as U+FEFF", bytes({0xFF, 0xFE, 0x61, 0x00}), Utf16, units({0xFEFF, 0x61})},
        {"a four-byte sequence is its surrogate pair and the bytes after it are kept",
         bytes({0x41, 0xF0, 0x9F, 0x98, 0x80, 0x42, 0x43}), Utf8, units({0x41, 0xD83D, 0xDE00, 0x42, 0x43})},
        {"the last character there is", bytes({0xF4, 0x8F, 0xBF, 0xBF}), Utf8, units({0xDBFF, 0xDFFF})},
        {"surrogates as three-byte sequences, as earlier versions wrote them",
         bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}), Utf8, units({0xD83D, 0xDE00})},
        {"a bad byte is one U+FFFD and the next byte is read afresh", bytes({0x41, 0xFF, 0x42, 0x43}), Utf8,
         units({0x41, 0xFFFD, 0x42, 0x43})},
        {"a lead without its continuation", bytes({0xC3, 0x41, 0x42}), Utf8, units({0xFFFD, 0x41, 0x42})},
        {"a cut three-byte sequence is one U+FFFD", bytes({0xE3, 0x81, 0x41}), Utf8, units({0xFFFD, 0x41})},
        {"a cut four-byte sequence is one U+FFFD", bytes({0xF0, 0x9F, 0x98, 0x41}), Utf8, units({0xFFFD, 0x41})},
        {"overlong forms are one U+FFFD a byte", bytes({0xC0, 0x80, 0xE0, 0x80, 0x80, 0x61}), Utf8,
         units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0x61})},
        {"past U+10FFFF", bytes({0xF4, 0x90, 0x80, 0x80, 0xF5, 0x61}), Utf8,
         units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0x61})},
        {"CR LF kept, 65001", bytes({0x61, 0x0D, 0x0A}), Utf8, units({0x61, 0x0D, 0x0A})},
        {"bare LF kept, 65001", bytes({0x61, 0x0A, 0x62, 0x0A}), Utf8, units({0x61, 0x0A, 0x62, 0x0A})},
        {"bare LF kept, 1201", bytes({0x0A, 0x00, 0x62, 0x00}), Utf16, units({0x0A, 0x62})},
        {"stops at the first zero byte, 65001", bytes({0x61, 0x62, 0x00, 0x63}), Utf8, units({0x61, 0x62})},
        {"a zero inside a sequence ends it and the text", bytes({0xE3, 0x00, 0x81, 0x82}), Utf8, units({0xFFFD})},
        {"a sequence cut off at the end is one U+FFFD", bytes({0x61, 0xE3, 0x81}), Utf8, units({0x61, 0xFFFD})},
        {"a two-byte lead at the end", bytes({0xC3}), Utf8, units({0xFFFD})},
        {"stops at the first zero unit, 1201", bytes({0x61, 0x00, 0x00, 0x00, 0x62, 0x00}), Utf16, units({0x61})},
        {"a zero byte is not a zero unit, 1201", bytes({0x00, 0x01, 0x61, 0x00}), Utf16, units({0x0100, 0x61})},
        {"odd last byte forms a unit with a zero byte", bytes({0x61, 0x00, 0x62}), Utf16, units({0x61, 0x62})},
        {"odd last byte zero", bytes({0x61, 0x00, 0x00}), Utf16, units({0x61})},
        {"single byte, 1201", bytes({0xE9}), Utf16, units({0xE9})},
    };
    for (const ReadCase& c : cases)
        EXPECT_EQ(hexUnits(bytesToText(c.data, c.codePage)), hexUnits(c.expected)) << c.name;
}

TEST(EncodingBytesToText, EmptyDataGivesEmptyText)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    for (const std::int32_t codePage : {Utf16, Utf8, code_page::Default}) {
        for (const std::string& data : {std::string(), bytes({0x00, 0x00})}) {
            const QString text = bytesToText(data, codePage);
            EXPECT_TRUE(text.isEmpty()) << codePage << " " << hexBytes(data);
            EXPECT_FALSE(text.isNull()) << codePage << " " << hexBytes(data);
        }
    }
}

TEST(EncodingBytesToText, NothingPastTheDataIsRead)
{
    // The data is a view into a longer buffer: it ends where the view does.
    const std::string buffer = bytes({0x61, 0xE3, 0x81, 0x81, 0x42, 0x43, 0x44});
    const std::string_view data(buffer.data(), 3);
    EXPECT_EQ(hexUnits(bytesToText(data, Utf8)), hexUnits(units({0x61, 0xFFFD})));
    EXPECT_EQ(hexUnits(bytesToText(data, Utf16)), hexUnits(units({0xE361, 0x81})));
}

// The process charset: every code page other than 1201 and 65001 is the same.
constexpr std::int32_t ProcessCharsetCodePages[] = {code_page::Default, 932, 0, -5, 1200, 65000};

TEST(EncodingProcessCharset, Utf8Locale)
{
    ScopedLocale locale("C.UTF-8");
    ASSERT_TRUE(locale.ok());
    const QString text = QString::fromUtf8("h\xC3\xA9\xE3\x83\xA1\r\n\xF0\x9F\x98\x80");
    const std::string file = "h\xC3\xA9\xE3\x83\xA1\r\n\xF0\x9F\x98\x80";
    for (const std::int32_t codePage : ProcessCharsetCodePages) {
        EXPECT_EQ(hexBytes(textToBytes(text, codePage)), hexBytes(file)) << codePage;
        EXPECT_EQ(hexUnits(bytesToText(file, codePage)), hexUnits(text)) << codePage;
        EXPECT_EQ(hexBytes(textToBytes(units({0x61, 0x00, 0x62}), codePage)), hexBytes("a")) << codePage;
        EXPECT_EQ(hexUnits(bytesToText(bytes({0x61, 0x00, 0x62}), codePage)), hexUnits(units({0x61}))) << codePage;
        EXPECT_EQ(hexUnits(bytesToText(bytes({0x61, 0xFF, 0x62}), codePage)), hexUnits(units({0x61, 0xFFFD, 0x62})))
            << codePage;
        EXPECT_EQ(hexBytes(textToBytes(QString(), codePage)), hexBytes("")) << codePage;
        // A leading U+FEFF is text in both directions.
        EXPECT_EQ(hexBytes(textToBytes(units({0xFEFF, 0x78}), codePage)), hexBytes(bytes({0xEF, 0xBB, 0xBF, 0x78})))
            << codePage;
        EXPECT_EQ(hexUnits(bytesToText(bytes({0xEF, 0xBB, 0xBF, 0x78}), codePage)), hexUnits(units({0xFEFF, 0x78})))
            << codePage;
    }
}

TEST(EncodingProcessCharset, AsciiLocaleReplacesWhatItCannotHold)
{
    ScopedLocale locale("C");
    ASSERT_TRUE(locale.ok());
    for (const std::int32_t codePage : ProcessCharsetCodePages) {
        EXPECT_EQ(hexBytes(textToBytes(units({0x61, 0x30E1, 0x62}), codePage)), hexBytes("a?b")) << codePage;
        EXPECT_EQ(hexUnits(bytesToText(bytes({0x61, 0xE9}), codePage)), hexUnits(units({0x61, 0xFFFD}))) << codePage;
    }
}

// A text that crosses many blocks of the fast paths: ASCII, Latin, Japanese, CR LF, surrogate
// pairs, a byte-order mark character, in runs of every length.
QString mixedText(std::uint32_t seed, qsizetype length)
{
    static const char16_t palette[] = {0x41, 0x7A,  0x20,  0x0D,   0x0A,   0x7F,   0xE9,   0xDF,
                                       0x80, 0x7FF, 0x800, 0x3042, 0x65E5, 0xFEFF, 0xFFFF, 0xFFFD};
    std::mt19937 random(seed);
    QString text;
    while (text.size() < length) {
        const auto run = static_cast<int>(random() % 24);
        const auto pick = random() % (std::size(palette) + 1);
        for (int k = 0; k < run; ++k) {
            if (pick == std::size(palette))
                text.append(QChar(0xD83D)).append(QChar(static_cast<char16_t>(0xDE00 + k % 64)));
            else
                text.append(QChar(static_cast<char16_t>(palette[pick] + (palette[pick] > 0x7F ? 0 : k % 3))));
        }
    }
    return text;
}

TEST(EncodingRoundTrip, OwnEncodingsGiveBackEveryUnit)
{
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        const QString text = mixedText(seed, seed * 37);
        for (const std::int32_t codePage : {Utf16, Utf8}) {
            const QByteArray file = textToBytes(text, codePage);
            const QString back =
                bytesToText(std::string_view(file.constData(), static_cast<size_t>(file.size())), codePage);
            EXPECT_EQ(hexUnits(back), hexUnits(text)) << "seed " << seed << ", code page " << codePage;
        }
    }
}

TEST(EncodingRoundTrip, Utf16StopsAtAZeroUnitInEveryBlockPosition)
{
    const QString text = mixedText(7, 80);
    for (qsizetype zeroAt = 0; zeroAt < text.size(); ++zeroAt) {
        QString withZero = text;
        withZero[zeroAt] = QChar(0);
        const QByteArray file = textToBytes(withZero, Utf16);
        ASSERT_EQ(file.size(), 2 * text.size());
        const QString back = bytesToText(std::string_view(file.constData(), static_cast<size_t>(file.size())), Utf16);
        EXPECT_EQ(hexUnits(back), hexUnits(text.left(zeroAt))) << "zero at " << zeroAt;
        // Without its last byte the file has an odd length: the zero still ends the text.
        const QString odd =
            bytesToText(std::string_view(file.constData(), static_cast<size_t>(file.size() - 1)), Utf16);
        EXPECT_EQ(hexUnits(odd), hexUnits(text.left(zeroAt))) << "odd length, zero at " << zeroAt;
    }
}

} // namespace
} // namespace quillbrook
