#include "bridge/host/value_parts.h"

#include <QChar>

#include <algorithm>

namespace quillbrook::bridge {
namespace {

// Appends the code unit at `i` of `text` (with its partner, for a surrogate pair) as it stands in a
// JSON string, UTF-8 encoded: quote, backslash and control characters escaped, the rest raw, a lone
// surrogate as U+FFFD. Gives how many code units it took. Written by hand, in one pass, because
// a big text is encoded on its way to the page: Qt's JSON writer took several times as long.
qsizetype appendEscaped(const QString& text, qsizetype i, char* out, std::size_t& length)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const char16_t c = text.at(i).unicode();
    if (c < 0x80) {
        if (c >= 0x20 && c != u'"' && c != u'\\') {
            out[0] = static_cast<char>(c);
            length = 1;
            return 1;
        }
        out[0] = '\\';
        length = 2;
        switch (c) {
        case u'"': out[1] = '"'; return 1;
        case u'\\': out[1] = '\\'; return 1;
        case u'\b': out[1] = 'b'; return 1;
        case u'\f': out[1] = 'f'; return 1;
        case u'\n': out[1] = 'n'; return 1;
        case u'\r': out[1] = 'r'; return 1;
        case u'\t': out[1] = 't'; return 1;
        default:
            out[1] = 'u';
            out[2] = '0';
            out[3] = '0';
            out[4] = kHex[c >> 4];
            out[5] = kHex[c & 0xF];
            length = 6;
            return 1;
        }
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        length = 2;
        return 1;
    }
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
        const char32_t point = QChar::surrogateToUcs4(c, text.at(i + 1).unicode());
        out[0] = static_cast<char>(0xF0 | (point >> 18));
        out[1] = static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out[2] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out[3] = static_cast<char>(0x80 | (point & 0x3F));
        length = 4;
        return 2;
    }
    const char16_t unit = QChar::isSurrogate(c) ? char16_t{0xFFFD} : c;
    out[0] = static_cast<char>(0xE0 | (unit >> 12));
    out[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (unit & 0x3F));
    length = 3;
    return 1;
}

QByteArray quoted(const QString& text)
{
    QByteArray json("\"");
    char bytes[6];
    for (qsizetype i = 0; i < text.size();) {
        std::size_t length = 0;
        i += appendEscaped(text, i, bytes, length);
        json.append(bytes, static_cast<qsizetype>(length));
    }
    return json + '"';
}

} // namespace

std::vector<QByteArray> setValueMessages(const ValueTarget& target, const QString& value, std::size_t limit)
{
    // Compact JSON around the text: what every part has before it, and after it.
    const QByteArray head = "{\"type\":\"setValue\",\"request\":" + QByteArray::number(target.request) + ",\"page\":"
                            + quoted(target.page) + ",\"element\":" + quoted(target.element) + ",\"text\":\"";
    static const QByteArray moreTail = "\",\"more\":true}";
    static const QByteArray lastTail = "\",\"more\":false}";
    const std::size_t frame = static_cast<std::size_t>(head.size() + lastTail.size());
    const std::size_t room = limit > frame ? limit - frame : 1;

    std::vector<QByteArray> messages;
    QByteArray part = head;
    part.reserve(static_cast<qsizetype>(std::min(limit, frame + static_cast<std::size_t>(value.size()) * 3)));
    std::size_t size = 0;
    char bytes[6];
    for (qsizetype i = 0; i < value.size();) {
        std::size_t length = 0;
        const qsizetype units = appendEscaped(value, i, bytes, length);
        // A part holds at least one character, so that even a tiny limit makes progress.
        if (size + length > room && size > 0) {
            messages.push_back(part + moreTail);
            part = head;
            part.reserve(static_cast<qsizetype>(limit));
            size = 0;
        }
        part.append(bytes, static_cast<qsizetype>(length));
        size += length;
        i += units;
    }
    messages.push_back(part + lastTail);
    return messages;
}

} // namespace quillbrook::bridge
