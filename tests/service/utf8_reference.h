// UTF-8 written the plain way, one character at a time from the Unicode standard's table of
// well-formed sequences, to check the block-wise codec against (in the unit tests and the fuzz
// target). It follows the codec's two allowances: a lone surrogate travels as its own three-byte
// sequence, and ED A0 80 to ED BF BF read back as surrogates.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook::testing {

inline void appendSequence(std::string& out, char32_t character)
{
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (character >> 18));
        out += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

inline std::string referenceEncode(std::u16string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size() && text[i] != 0; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            appendSequence(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            appendSequence(out, unit);
        }
    }
    return out;
}

inline std::u16string referenceDecode(std::string_view data)
{
    data = data.substr(0, data.find('\0'));
    struct Form {
        unsigned char leadFrom, leadTo, secondFrom, secondTo;
        int length;
    };
    // The well-formed sequences, except that ED may be followed by A0-BF too.
    static constexpr Form forms[] = {
        {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3}, {0xE1, 0xEF, 0x80, 0xBF, 3},
        {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
    };
    std::u16string out;
    for (size_t i = 0; i < data.size();) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(data[k]); };
        if (byte(i) < 0x80) {
            out += static_cast<char16_t>(byte(i++));
            continue;
        }
        const Form* form = nullptr;
        for (const Form& candidate : forms)
            if (byte(i) >= candidate.leadFrom && byte(i) <= candidate.leadTo)
                form = &candidate;
        // The longest start of the form that the data holds; each ill-formed part is one U+FFFD.
        size_t taken = 1;
        if (form && i + 1 < data.size() && byte(i + 1) >= form->secondFrom && byte(i + 1) <= form->secondTo) {
            taken = 2;
            while (taken < static_cast<size_t>(form->length) && i + taken < data.size()
                   && (byte(i + taken) & 0xC0) == 0x80)
                ++taken;
        }
        if (!form || taken < static_cast<size_t>(form->length)) {
            out += u'\uFFFD';
            i += taken;
            continue;
        }
        char32_t character = byte(i) & (0x7F >> form->length);
        for (size_t k = 1; k < taken; ++k)
            character = (character << 6) | (byte(i + k) & 0x3F);
        if (character >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + (character & 0x3FF));
        } else {
            out += static_cast<char16_t>(character);
        }
        i += taken;
    }
    return out;
}

} // namespace quillbrook::testing
