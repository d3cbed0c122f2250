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
// a little-endian machine): ASCII blocks are narrowed or widened in one step, other blocks are
// handled without branches that depend on the text, since mixed text would mispredict them. Each
// block is checked for the zero that ends the text before any of it is used; the plain loops
// finish the last few units or bytes, and do all the work on other processors.

namespace quillbrook {
namespace {

// The most bytes one code unit becomes.
constexpr qsizetype MaxBytesPerUnit = 3;
// Room past the encoder's worst case for the whole-word stores of its block loop.
constexpr qsizetype OutputSlack = 16;

// Writes the sequence of `unit` and returns the position after it. Always stores three bytes;
// the ones past the sequence are overwritten by what follows or lie past the text's end.
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

// The code unit of the sequence whose lead byte is `lead`, with the two bytes after it (read
// whether the sequence uses them or not). Selected by masks: in mixed text a branch on the lead
// byte would be mispredicted often.
inline char16_t unitOf(unsigned lead, unsigned second, unsigned third)
{
    const unsigned one = lead;
    const unsigned two = ((lead & 0x1F) << 6) | (second & 0x3F);
    const unsigned three = ((lead & 0x0F) << 12) | ((second & 0x3F) << 6) | (third & 0x3F);
    const unsigned isOne = 0u - static_cast<unsigned>(lead < 0x80);
    const unsigned isTwo = 0u - static_cast<unsigned>((lead & 0xE0) == 0xC0);
    return static_cast<char16_t>((one & isOne) | (two & isTwo) | (three & ~(isOne | isTwo)));
}

inline qsizetype sequenceLength(unsigned lead)
{
    const bool twoOrMore = lead >= 0x80;
    const bool three = twoOrMore && (lead & 0xE0) != 0xC0;
    return 1 + twoOrMore + three;
}

// Decodes the sequence at `in` (three bytes readable) into `out`; returns its length.
inline qsizetype takeSequence(const unsigned char* in, char16_t* out)
{
    *out = unitOf(in[0], in[1], in[2]);
    return sequenceLength(in[0]);
}

#if defined(__SSE2__)

inline __m128i select(__m128i mask, __m128i ifSet, __m128i ifClear)
{
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// Encodes eight units, none of them zero: each unit's bytes are formed in a 32-bit word and
// stored at its offset, the offsets being the running sum of the lengths.
inline char* putEightUnits(__m128i units, char* out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i oneByte = _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xFF80))), zero);
    const __m128i atMostTwo = _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xF800))), zero);
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i continuation = _mm_set1_epi16(0x80);
    const __m128i last = _mm_or_si128(continuation, _mm_and_si128(units, low6));
    const __m128i middle = _mm_or_si128(continuation, _mm_and_si128(_mm_srli_epi16(units, 6), low6));
    const __m128i twoBytes = _mm_or_si128(_mm_or_si128(_mm_set1_epi16(0xC0), _mm_srli_epi16(units, 6)), _mm_slli_epi16(last, 8));
    const __m128i threeBytes = _mm_or_si128(_mm_or_si128(_mm_set1_epi16(0xE0), _mm_srli_epi16(units, 12)), _mm_slli_epi16(middle, 8));
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
    for (; i + 8 <= size; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero)) != 0)
            break;
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, aboveAscii), zero)) == 0xFFFF) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
            out += 8;
        } else {
            out = putEightUnits(units, out);
        }
    }
#endif
    for (; i < size && in[i] != 0; ++i)
        out = putUnit(in[i], out);
    return out - start;
}

#if defined(__SSE2__)

// unitOf for eight sequences at once, the bytes widened to 16-bit lanes.
inline __m128i unitsOf(__m128i lead, __m128i second, __m128i third)
{
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i secondBits = _mm_and_si128(second, low6);
    const __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x1F)), 6), secondBits);
    const __m128i three = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(lead, 12), _mm_slli_epi16(secondBits, 6)),
                                       _mm_and_si128(third, low6));
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

// Decodes the sequences of a block of 32 bytes at `in`, none of them zero, that starts with a
// sequence; the two bytes after the block are readable. Where the block's continuation bytes are
// exactly those its lead bytes call for (the usual case), every sequence's start is known at
// once: the units are formed for all positions together and picked at the starts, with no chain
// from one sequence to the next. Returns the bytes consumed (whole sequences only) and advances
// `out`.
inline qsizetype takeBlock(const unsigned char* in, __m128i low, __m128i high, std::uint32_t above7F, char16_t*& out)
{
    const std::uint32_t continuations = maskOf(low, high, 0xC0, 0x80);
    const std::uint32_t leads3 = maskOf(low, high, 0xF0, 0xE0);
    const std::uint32_t leads4 = maskOf(low, high, 0xF0, 0xF0);
    const std::uint32_t leads2 = above7F & ~continuations & ~leads3 & ~leads4;
    const std::uint32_t expected = ((leads2 | leads3) << 1) | (leads3 << 2);
    if (leads4 != 0 || expected != continuations) {
        // Continuation bytes met as lead bytes, or four-byte leads: step one sequence at a time
        // through those that start in the first 30 bytes, which end inside the block.
        qsizetype i = 0;
        while (i < 30)
            i += takeSequence(in + i, out++);
        return i;
    }

    alignas(16) char16_t units[32];
    const __m128i zero = _mm_setzero_si128();
    for (int half = 0; half < 2; ++half) {
        const __m128i leads = half == 0 ? low : high;
        const __m128i seconds = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * half + 1));
        const __m128i thirds = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * half + 2));
        _mm_store_si128(reinterpret_cast<__m128i*>(units + 16 * half),
                        unitsOf(_mm_unpacklo_epi8(leads, zero), _mm_unpacklo_epi8(seconds, zero),
                                _mm_unpacklo_epi8(thirds, zero)));
        _mm_store_si128(reinterpret_cast<__m128i*>(units + 16 * half + 8),
                        unitsOf(_mm_unpackhi_epi8(leads, zero), _mm_unpackhi_epi8(seconds, zero),
                                _mm_unpackhi_epi8(thirds, zero)));
    }

    // A last sequence that runs past the block (there is at most one) waits for the next block.
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
            i += takeBlock(in + i, low, high, above7F, out);
        }
    }
#endif
    if (const void* end = std::memchr(in + i, 0, static_cast<size_t>(size - i)))
        size = static_cast<const unsigned char*>(end) - in;
    for (; i + 3 <= size; ++out)
        i += takeSequence(in + i, out);
    // The last one or two bytes, followed by the zero bytes that the caller's data ends with.
    unsigned char last[4] = {};
    std::memcpy(last, in + i, static_cast<size_t>(size - i));
    for (qsizetype k = 0; k < size - i; ++out)
        k += takeSequence(last + k, out);
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
        // A sequence is at least one byte long, so there are at most as many units as bytes.
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
