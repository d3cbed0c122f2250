#include "service/utf8_codec.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Both directions run over blocks with SSE2, which every x86-64 processor has (and which implies
// a little-endian machine): ASCII blocks are narrowed or widened in one step, blocks of one- to
// three-byte characters are handled without branches that depend on the text, since mixed text
// would mispredict them. Blocks with surrogates, four-byte sequences or bad bytes go through the
// plain loops one character at a time; those loops also finish the last few units or bytes and
// do all the work on other processors. Each block is checked for the zero that ends the text
// before any of it is used.

namespace quillbrook {
namespace {

// The most bytes one code unit becomes (a pair of units becomes four).
constexpr qsizetype MaxBytesPerUnit = 3;
// Room past the encoder's worst case for the whole-word stores of its block loop.
constexpr qsizetype OutputSlack = 16;
constexpr char16_t Replacement = 0xFFFD;

inline bool isHighSurrogate(unsigned unit)
{
    return (unit & 0xFC00) == 0xD800;
}
inline bool isLowSurrogate(unsigned unit)
{
    return (unit & 0xFC00) == 0xDC00;
}
inline bool isContinuation(unsigned byte)
{
    return (byte & 0xC0) == 0x80;
}

// Writes the sequence of `unit` (a lone surrogate included) and returns the position after it.
// Always stores three bytes; the ones past the sequence are overwritten by what follows or lie
// past the text's end.
inline char* putUnit(unsigned unit, char* out)
{
    const bool twoOrMore = unit >= 0x80;
    const bool three = unit >= 0x800;
    const unsigned low = 0x80 | (unit & 0x3F);
    const unsigned middle = 0x80 | ((unit >> 6) & 0x3F);
    const unsigned lead = three ? (0xE0 | (unit >> 12)) : twoOrMore ? (0xC0 | (unit >> 6)) : unit;
    out[0] = static_cast<char>(lead);
    out[1] = static_cast<char>(three ? middle : low);
    out[2] = static_cast<char>(low);
    return out + 1 + twoOrMore + three;
}

// Writes the four-byte sequence of the character that `high` and `low` stand for.
inline char* putPair(unsigned high, unsigned low, char* out)
{
    const unsigned character = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    out[0] = static_cast<char>(0xF0 | (character >> 18));
    out[1] = static_cast<char>(0x80 | ((character >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (character & 0x3F));
    return out + 4;
}

// Encodes the units from `i` on until `i` reaches `stop` (one past it when a pair straddles it),
// the text's end or a zero unit; returns the new position.
inline qsizetype encodeUnits(const char16_t* in, qsizetype i, qsizetype stop, qsizetype size, char*& out)
{
    while (i < stop && in[i] != 0) {
        const unsigned unit = in[i];
        if (isHighSurrogate(unit) && i + 1 < size && isLowSurrogate(in[i + 1])) {
            out = putPair(unit, in[i + 1], out);
            i += 2;
        } else {
            out = putUnit(unit, out);
            ++i;
        }
    }
    return i;
}

// Decodes the sequence or ill-formed part at `in` (at least one byte before `end`) into `out`;
// returns the bytes it took.
inline qsizetype takeSequence(const unsigned char* in, const unsigned char* end, char16_t*& out)
{
    const unsigned lead = in[0];
    const qsizetype available = end - in;
    if (lead < 0x80) {
        *out++ = static_cast<char16_t>(lead);
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (available < 2 || !isContinuation(in[1])) {
            *out++ = Replacement;
            return 1;
        }
        *out++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (in[1] & 0x3F));
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        // E0 80-9F would be an overlong form; ED A0-BF, a surrogate, is allowed (see the header).
        const unsigned lowest = lead == 0xE0 ? 0xA0 : 0x80;
        if (available < 2 || in[1] < lowest || in[1] > 0xBF) {
            *out++ = Replacement;
            return 1;
        }
        if (available < 3 || !isContinuation(in[2])) {
            *out++ = Replacement;
            return 2;
        }
        *out++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((in[1] & 0x3F) << 6) | (in[2] & 0x3F));
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned lowest = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned highest = lead == 0xF4 ? 0x8F : 0xBF;
        qsizetype valid = 1;
        if (available >= 2 && in[1] >= lowest && in[1] <= highest) {
            valid = 2;
            if (available >= 3 && isContinuation(in[2]))
                valid = available >= 4 && isContinuation(in[3]) ? 4 : 3;
        }
        if (valid < 4) {
            *out++ = Replacement;
            return valid;
        }
        const unsigned character =
            ((lead & 0x07) << 18) | ((in[1] & 0x3F) << 12) | ((in[2] & 0x3F) << 6) | (in[3] & 0x3F);
        *out++ = static_cast<char16_t>(0xD7C0 + (character >> 10));
        *out++ = static_cast<char16_t>(0xDC00 | (character & 0x3FF));
        return 4;
    }
    // A continuation byte with no lead, C0 and C1 (overlong forms only) and F5-FF.
    *out++ = Replacement;
    return 1;
}

#if defined(__SSE2__)

inline __m128i select(__m128i mask, __m128i ifSet, __m128i ifClear)
{
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// Encodes eight units, none of them zero or a surrogate: each unit's bytes are formed in a 32-bit
// word and stored at its offset, the offsets being the running sum of the lengths.
inline char* putEightUnits(__m128i units, char* out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i oneByte = _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80))), zero);
    const __m128i atMostTwo = _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xF800))), zero);
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i continuation = _mm_set1_epi16(0x80);
    const __m128i last = _mm_or_si128(continuation, _mm_and_si128(units, low6));
    const __m128i middle = _mm_or_si128(continuation, _mm_and_si128(_mm_srli_epi16(units, 6), low6));
    const __m128i twoBytes =
        _mm_or_si128(_mm_or_si128(_mm_set1_epi16(0xC0), _mm_srli_epi16(units, 6)), _mm_slli_epi16(last, 8));
    const __m128i threeBytes =
        _mm_or_si128(_mm_or_si128(_mm_set1_epi16(0xE0), _mm_srli_epi16(units, 12)), _mm_slli_epi16(middle, 8));
    const __m128i firstTwo = select(oneByte, units, select(atMostTwo, twoBytes, threeBytes));

    // Lengths 3 + (-1 if at most two) + (-1 if one), then their running sum.
    const __m128i lengths = _mm_add_epi16(_mm_add_epi16(_mm_set1_epi16(3), oneByte), atMostTwo);
    __m128i ends = _mm_add_epi16(lengths, _mm_slli_si128(lengths, 2));
    ends = _mm_add_epi16(ends, _mm_slli_si128(ends, 4));
    ends = _mm_add_epi16(ends, _mm_slli_si128(ends, 8));

    alignas(16) std::uint32_t words[8];
    alignas(16) std::uint16_t offsets[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(words), _mm_unpacklo_epi16(firstTwo, last));
    _mm_store_si128(reinterpret_cast<__m128i*>(words + 4), _mm_unpackhi_epi16(firstTwo, last));
    _mm_store_si128(reinterpret_cast<__m128i*>(offsets), _mm_sub_epi16(ends, lengths));
    for (int k = 0; k < 8; ++k)
        std::memcpy(out + offsets[k], &words[k], 4);
    return out + offsets[7] + _mm_extract_epi16(lengths, 7);
}

#endif

// Encodes up to the first zero unit into `out` (three bytes per unit plus OutputSlack); returns
// the count.
qsizetype encodeInto(const char16_t* in, qsizetype size, char* out)
{
    char* const start = out;
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i aboveAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i surrogateBits = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
    while (i + 8 <= size) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero)) != 0)
            break;
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, aboveAscii), zero)) == 0xFFFF) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
            out += 8;
            i += 8;
        } else if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, surrogateBits), surrogate)) == 0) {
            out = putEightUnits(units, out);
            i += 8;
        } else {
            i = encodeUnits(in, i, i + 8, size, out);
        }
    }
#endif
    encodeUnits(in, i, size, size, out);
    return out - start;
}

#if defined(__SSE2__)

// The unit of a one- to three-byte sequence for eight sequences at once, the bytes widened to
// 16-bit lanes.
inline __m128i unitsOf(__m128i lead, __m128i second, __m128i third)
{
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i secondBits = _mm_and_si128(second, low6);
    const __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x1F)), 6), secondBits);
    const __m128i three =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi16(lead, 12), _mm_slli_epi16(secondBits, 6)), _mm_and_si128(third, low6));
    const __m128i isOne = _mm_cmplt_epi16(lead, _mm_set1_epi16(0x80));
    const __m128i isTwo = _mm_cmpeq_epi16(_mm_and_si128(lead, _mm_set1_epi16(0xE0)), _mm_set1_epi16(0xC0));
    return select(isOne, lead, select(isTwo, two, three));
}

// One bit per byte of a block of 32 (`low`, then `high`): set where (byte & keep) == equal.
inline std::uint32_t maskOf(__m128i low, __m128i high, int keep, int equal)
{
    const __m128i keepBits = _mm_set1_epi8(static_cast<char>(keep));
    const __m128i value = _mm_set1_epi8(static_cast<char>(equal));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(low, keepBits), value)))
           | static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(high, keepBits), value))) << 16;
}

// Decodes the sequences of a block of 32 bytes at `in`, none of them zero; `end` is the data's
// end, at least two bytes past the block. Where the block holds only well-formed one- to
// three-byte sequences, the first starting at its first byte (the usual case), every sequence's
// start is known at once: the units are formed for all positions together and picked at the
// starts, with no chain from one sequence to the next. Returns the bytes consumed (whole
// sequences only) and advances `out`.
inline qsizetype takeBlock(const unsigned char* in, const unsigned char* end, __m128i low, __m128i high,
                           std::uint32_t above7F, char16_t*& out)
{
    const std::uint32_t continuations = maskOf(low, high, 0xC0, 0x80);
    const std::uint32_t leads3 = maskOf(low, high, 0xF0, 0xE0);
    const std::uint32_t leads4OrBad = maskOf(low, high, 0xF0, 0xF0);
    const std::uint32_t overlongLeads = maskOf(low, high, 0xFE, 0xC0);
    const std::uint32_t overlongThrees = (maskOf(low, high, 0xFF, 0xE0) << 1) & maskOf(low, high, 0xE0, 0x80);
    const std::uint32_t leads2 = above7F & ~continuations & ~leads3 & ~leads4OrBad;
    const std::uint32_t expected = ((leads2 | leads3) << 1) | (leads3 << 2);
    if ((leads4OrBad | overlongLeads | overlongThrees) != 0 || expected != continuations) {
        // Four-byte sequences, bad bytes, or continuation bytes out of place: one sequence at a
        // time through those that start in the first 30 bytes.
        qsizetype i = 0;
        while (i < 30)
            i += takeSequence(in + i, end, out);
        return i;
    }

    alignas(16) char16_t units[32];
    const __m128i zero = _mm_setzero_si128();
    for (int half = 0; half < 2; ++half) {
        const __m128i leads = half == 0 ? low : high;
        const __m128i seconds = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * half + 1));
        const __m128i thirds = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * half + 2));
        _mm_store_si128(
            reinterpret_cast<__m128i*>(units + 16 * half),
            unitsOf(_mm_unpacklo_epi8(leads, zero), _mm_unpacklo_epi8(seconds, zero), _mm_unpacklo_epi8(thirds, zero)));
        _mm_store_si128(
            reinterpret_cast<__m128i*>(units + 16 * half + 8),
            unitsOf(_mm_unpackhi_epi8(leads, zero), _mm_unpackhi_epi8(seconds, zero), _mm_unpackhi_epi8(thirds, zero)));
    }

    // A last sequence that runs past the block (there is at most one) waits for the next block,
    // where it is checked whole.
    const std::uint32_t overrun = (leads2 & 0x80000000u) | (leads3 & 0xC0000000u);
    std::uint32_t starts = ~continuations;
    if (overrun != 0)
        starts &= overrun - 1;
    for (; starts != 0; starts &= starts - 1)
        *out++ = units[std::countr_zero(starts)];
    return overrun != 0 ? std::countr_zero(overrun) : 32;
}

#endif

// Decodes up to the first zero byte into `out` (one unit per byte); returns the count. No write
// goes past the units of the bytes consumed so far plus those of the current block.
qsizetype decodeInto(const unsigned char* in, qsizetype size, char16_t* out)
{
    char16_t* const start = out;
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    // Blocks of 32 bytes; the two bytes after a block stay readable, for the sequences at its end.
    while (i + 34 <= size) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 16));
        const std::uint32_t zeros = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, zero)))
                                    | static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(high, zero))) << 16;
        if (zeros != 0) {
            size = i + std::countr_zero(zeros);
            break;
        }
        const std::uint32_t above7F = static_cast<std::uint32_t>(_mm_movemask_epi8(low))
                                      | static_cast<std::uint32_t>(_mm_movemask_epi8(high)) << 16;
        if (above7F == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(low, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(low, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpacklo_epi8(high, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 24), _mm_unpackhi_epi8(high, zero));
            out += 32;
            i += 32;
        } else {
            i += takeBlock(in + i, in + size, low, high, above7F, out);
        }
    }
#endif
    if (const void* end = std::memchr(in + i, 0, static_cast<size_t>(size - i)))
        size = static_cast<const unsigned char*>(end) - in;
    while (i < size)
        i += takeSequence(in + i, in + size, out);
    return out - start;
}

} // namespace

QByteArray encodeUtf8(QStringView text)
{
    if (text.isEmpty())
        return {};
    if (text.size() > (std::numeric_limits<qsizetype>::max() - OutputSlack) / MaxBytesPerUnit)
        return {};
    try {
        // Sized for the worst case and cut to the count: the array is written out and dropped,
        // so the spare capacity is not worth a second pass or a reallocation.
        QByteArray bytes(text.size() * MaxBytesPerUnit + OutputSlack, Qt::Uninitialized);
        bytes.resize(encodeInto(text.utf16(), text.size(), bytes.data()));
        return bytes;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QString decodeUtf8(std::string_view bytes)
{
    if (bytes.empty())
        return QString(QLatin1String(""));
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<qsizetype>::max() / 2))
        return {};
    try {
        // A sequence or ill-formed part of n bytes gives at most n units.
        QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
        text.resize(decodeInto(reinterpret_cast<const unsigned char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()), reinterpret_cast<char16_t*>(text.data())));
        // The text may be kept for a while: give back a large surplus (mostly non-ASCII text).
        if (text.capacity() > 2 * text.size())
            text.squeeze();
        return text;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace quillbrook
