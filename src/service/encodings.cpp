#include "service/encodings.h"

#include "platform/charset.h"
#include "service/utf8_codec.h"

#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillbrook {
namespace {

QByteArray encodeUtf16LittleEndian(QStringView text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), text.utf16(), static_cast<size_t>(bytes.size()));
    } else {
        char* out = bytes.data();
        for (const QChar unit : text) {
            *out++ = static_cast<char>(unit.unicode() & 0xFF);
            *out++ = static_cast<char>(unit.unicode() >> 8);
        }
    }
    return bytes;
}

// Copies little-endian code units from `in` (`size` bytes) into `out` up to the first zero unit;
// an odd last byte is the low half of a unit whose high half is zero. Returns the unit count.
qsizetype copyUnitsUpToZero(const unsigned char* in, qsizetype size, char16_t* out)
{
    const qsizetype wholeUnits = size / 2;
    qsizetype i = 0;
#if defined(__SSE2__)
    // x86 is little-endian: a block of sixteen bytes is eight units as they are.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= wholeUnits; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero)) != 0)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), units);
    }
#endif
    for (; i < wholeUnits; ++i) {
        const auto unit = static_cast<char16_t>(in[2 * i] | in[2 * i + 1] << 8);
        if (unit == 0)
            return i;
        out[i] = unit;
    }
    if (size % 2 != 0 && in[size - 1] != 0)
        out[i++] = in[size - 1];
    return i;
}

QString decodeUtf16LittleEndian(std::string_view data)
{
    const auto size = static_cast<qsizetype>(data.size());
    QString text((size + 1) / 2, Qt::Uninitialized);
    text.resize(copyUnitsUpToZero(reinterpret_cast<const unsigned char*>(data.data()), size,
                                  reinterpret_cast<char16_t*>(text.data())));
    text.squeeze();
    return text;
}

QByteArray encodeProcessCharset(QStringView text)
{
    const qsizetype end = text.indexOf(QChar(0));
    const std::string bytes = toNarrow(end < 0 ? text : text.first(end));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString decodeProcessCharset(std::string_view data)
{
    return toWide(data.substr(0, data.find('\0')));
}

} // namespace

QByteArray textToBytes(QStringView text, std::int32_t codePage)
{
    if (text.isEmpty())
        return {};
    try {
        switch (codePage) {
        case code_page::Utf16LittleEndian: return encodeUtf16LittleEndian(text);
        case code_page::Utf8: return encodeUtf8(text);
        default: return encodeProcessCharset(text);
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QString bytesToText(std::string_view data, std::int32_t codePage)
{
    try {
        switch (codePage) {
        case code_page::Utf16LittleEndian: return decodeUtf16LittleEndian(data);
        case code_page::Utf8: return decodeUtf8(data);
        default: return decodeProcessCharset(data);
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace quillbrook
