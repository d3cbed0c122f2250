#include "service/utf8_codec.h"

#include "code_units.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace quillbrook {
namespace {

using testing::hexBytes;
using testing::hexUnits;

// The encoder and decoder written the plain way, one unit or sequence at a time, to check the
// block-wise fast paths against at every position of the end, of a run and of a sequence.
std::string plainEncode(const std::u16string& text)
{
    std::string out;
    for (const char16_t unit : text) {
        if (unit == 0)
            break;
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

QString plainDecode(std::string data)
{
    data.resize(data.find('\0') == std::string::npos ? data.size() : data.find('\0'));
    const size_t end = data.size();
    data.append(3, '\0');
    QString text(QLatin1String(""));
    for (size_t i = 0; i < end;) {
        const auto lead = static_cast<unsigned char>(data[i]);
        const unsigned second = static_cast<unsigned char>(data[i + 1]) & 0x3Fu;
        const unsigned third = static_cast<unsigned char>(data[i + 2]) & 0x3Fu;
        if (lead < 0x80) {
            text += QChar(lead);
            i += 1;
        } else if ((lead & 0xE0) == 0xC0) {
            text += QChar(static_cast<char16_t>(((lead & 0x1Fu) << 6) | second));
            i += 2;
        } else {
            text += QChar(static_cast<char16_t>(((lead & 0x0Fu) << 12) | (second << 6) | third));
            i += 3;
        }
    }
    return text;
}

TEST(EncodingUtf8Codec, EncoderMatchesThePlainRulesEverywhere)
{
    const char16_t palette[] = {0x41, 0x62, 0x0A, 0x7F, 0x80, 0xE9, 0x7FF, 0x800, 0x3042, 0xD83D, 0xDE00, 0xFFFF, 0x00};
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
            << "round " << round << ", text " << hexUnits(QString::fromStdU16String(text));
    }
}

TEST(EncodingUtf8Codec, DecoderMatchesThePlainRulesEverywhere)
{
    const unsigned char palette[] = {0x41, 0x7F, 0x0D, 0xC3, 0xA9, 0xDF, 0xE3, 0x81, 0x80, 0xBF, 0xED, 0xF0, 0xFF, 0x00};
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

TEST(EncodingUtf8Codec, EveryUnitTravelsAndComesBack)
{
    std::u16string all;
    for (char32_t unit = 1; unit <= 0xFFFF; ++unit)
        all += static_cast<char16_t>(unit);
    const QByteArray encoded = encodeUtf8(QStringView(all));
    EXPECT_EQ(encoded.size(), 0x7F + 2 * (0x7FF - 0x7F) + 3 * (0xFFFF - 0x7FF));
    EXPECT_EQ(decodeUtf8(std::string_view(encoded.constData(), static_cast<size_t>(encoded.size()))),
              QString::fromStdU16String(all));
}

} // namespace
} // namespace quillbrook
