#include "service/utf8_codec.h"

#include "code_units.h"
#include "utf8_reference.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace quillbrook {
namespace {

using testing::hexBytes;
using testing::hexUnits;

std::string plainEncode(const std::u16string& text)
{
    return testing::referenceEncode(text);
}

// Not QString::fromStdU16String, which would drop a leading U+FEFF as a byte-order mark.
QString textOf(const std::u16string& units)
{
    return QString(QLatin1String(""))
           + QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

QString plainDecode(const std::string& data)
{
    return textOf(testing::referenceDecode(data));
}

TEST(EncodingUtf8Codec, EncoderMatchesThePlainRulesEverywhere)
{
    const char16_t palette[] = {0x41,   0x62,   0x0A,   0x7F,   0x80,   0xE9,   0x7FF, 0x800,
                                0x3042, 0xD83D, 0xDE00, 0xDBFF, 0xDFFF, 0xFFFF, 0x00};
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        const auto length = static_cast<size_t>(random() % 90);
        // Mostly ASCII in some rounds, so that whole blocks take the fast path.
        const auto asciiShare = random() % 4;
        std::u16string text;
        for (size_t k = 0; k < length; ++k) {
            const bool ascii = random() % 4 < asciiShare;
            const auto pick = random() % std::size(palette);
            text += ascii ? static_cast<char16_t>(0x20 + random() % 0x5F)
                          : palette[pick == std::size(palette) - 1 && random() % 8 != 0 ? 0 : pick];
        }
        const QByteArray encoded = encodeUtf8(QStringView(text));
        ASSERT_EQ(hexBytes(encoded), hexBytes(plainEncode(text)))
            << "round " << round << ", text " << hexUnits(textOf(text));
    }
}

TEST(EncodingUtf8Codec, DecoderMatchesThePlainRulesEverywhere)
{
    const unsigned char palette[] = {0x41, 0x7F, 0x0D, 0xC1, 0xC3, 0xA9, 0xDF, 0xE0, 0xE3, 0x81, 0x80,
                                     0x8F, 0x9F, 0xA0, 0xBF, 0xED, 0xF0, 0x90, 0xF4, 0xF5, 0xFF, 0x00};
    std::mt19937 random(29);
    for (int round = 0; round < 3000; ++round) {
        const auto length = static_cast<size_t>(random() % 90);
        const auto asciiShare = random() % 4;
        std::string data;
        for (size_t k = 0; k < length; ++k) {
            const bool ascii = random() % 4 < asciiShare;
            auto pick = random() % std::size(palette);
            if (pick == std::size(palette) - 1 && random() % 8 != 0)
                pick = 0;
            data += static_cast<char>(ascii ? 0x20 + random() % 0x5F : palette[pick]);
        }
        // Exactly as long as the data, so that a sanitizer sees any read past it.
        const std::vector<char> exact(data.begin(), data.end());
        ASSERT_EQ(hexUnits(decodeUtf8(std::string_view(exact.data(), exact.size()))), hexUnits(plainDecode(data)))
            << "round " << round << ", data " << hexBytes(data);
    }
}

TEST(EncodingUtf8Codec, EveryCharacterAndEveryLoneSurrogateTravelsAndComesBack)
{
    std::u16string all;
    for (char32_t unit = 1; unit <= 0xFFFF; ++unit)
        all += static_cast<char16_t>(unit);
    for (char32_t character = 0x10000; character <= 0x10FFFF; character += 0x101) {
        all += static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
        all += static_cast<char16_t>(0xDC00 + (character & 0x3FF));
    }
    const QByteArray encoded = encodeUtf8(QStringView(all));
    EXPECT_EQ(hexBytes(encoded), hexBytes(plainEncode(all)));
    EXPECT_EQ(decodeUtf8(std::string_view(encoded.constData(), static_cast<size_t>(encoded.size()))), textOf(all));
}

// What other programs write and read: the encoder agrees with Qt's standard UTF-8 wherever the
// text is well formed, and the decoder with Qt on every well-formed file.
TEST(EncodingUtf8Codec, WellFormedTextIsStandardUtf8)
{
    const QString text = QString::fromUtf8("A\xF0\x9F\x98\x80"
                                           "BC caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC "
                                           "\xF0\x9D\x84\x9E\xF4\x8F\xBF\xBF end\xF0\x9F\x98\x80");
    const QByteArray encoded = encodeUtf8(text);
    EXPECT_EQ(hexBytes(encoded), hexBytes(text.toUtf8()));
    EXPECT_EQ(hexUnits(decodeUtf8(std::string_view(encoded.constData(), static_cast<size_t>(encoded.size())))),
              hexUnits(text));
}

} // namespace
} // namespace quillbrook
