// The temporary file's encodings against the plain reference: any bytes decode as the reference
// decodes them, any code units encode as the reference encodes them and come back unit for unit,
// and UTF-16 little-endian gives back every unit up to the first zero.
//
// Input: the bytes of a file, and the same bytes read as little-endian code units.
#include "service/encodings.h"
#include "service/utf8_codec.h"
#include "service/utf8_reference.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace quillbrook;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

std::u16string unitsOf(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

std::u16string upToZero(std::u16string units)
{
    units.resize(std::min(units.size(), units.find(u'\0')));
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    require(unitsOf(decodeUtf8(bytes)) == testing::referenceDecode(bytes));

    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    const QString text(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
    const QByteArray encoded = encodeUtf8(text);
    const std::string_view encodedBytes(encoded.constData(), static_cast<size_t>(encoded.size()));
    require(encodedBytes == testing::referenceEncode(units));
    require(unitsOf(decodeUtf8(encodedBytes)) == upToZero(units));

    const QByteArray little = textToBytes(text, code_page::Utf16LittleEndian);
    require(unitsOf(bytesToText(std::string_view(little.constData(), static_cast<size_t>(little.size())),
                                code_page::Utf16LittleEndian))
            == upToZero(units));
    return 0;
}
