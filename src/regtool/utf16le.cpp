#include "regtool/utf16le.h"

namespace quillbrook::regtool {

std::string utf16leBytes(QStringView text)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()) * 2);
    for (const QChar unit : text) {
        bytes.push_back(static_cast<char>(unit.unicode() & 0xFF));
        bytes.push_back(static_cast<char>(unit.unicode() >> 8));
    }
    return bytes;
}

std::optional<QString> fromUtf16leBytes(std::string_view bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QString text(static_cast<qsizetype>(bytes.size() / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[static_cast<size_t>(2 * i)]);
        const auto high = static_cast<unsigned char>(bytes[static_cast<size_t>(2 * i + 1)]);
        text[i] = QChar(static_cast<char16_t>(high << 8 | low));
    }
    return text;
}

bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate())
            return true;
        if (text[i].isHighSurrogate() && (++i == text.size() || !text[i].isLowSurrogate()))
            return true;
    }
    return false;
}

} // namespace quillbrook::regtool
