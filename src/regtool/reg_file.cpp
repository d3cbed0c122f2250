#include "regtool/reg_file.h"

#include "platform/charset.h"
#include "regtool/utf16le.h"
#include "regtool/value_text.h"

#include <QStringDecoder>

namespace quillbrook::regtool {

std::string utf8FromNarrow(std::string_view narrow)
{
    return wideFromNarrow(narrow).toUtf8().toStdString();
}

std::string narrowFromUtf8(std::string_view utf8)
{
    return toNarrow(wideFromUtf8(utf8));
}

// Qt's UTF-8 decoder, under toWide too, drops a leading U+FEFF as a byte order mark; decoding
// behind a space keeps it, in every charset.
QString wideFromNarrow(std::string_view narrow)
{
    QString wide = toWide(" " + std::string(narrow));
    wide.remove(0, 1);
    return wide;
}

QString wideFromUtf8(std::string_view utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

bool survivesTheFile(std::string_view narrow)
{
    return toNarrow(wideFromNarrow(narrow)) == narrow;
}

bool hexDataIsUtf16(RegistryType type)
{
    return type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string utf16FromStoredText(RegistryType type, std::string_view stored)
{
    std::string units = utf16leBytes(wideFromNarrow(stored));
    if (type == REG_EXPAND_SZ)
        units.append(2, '\0');
    return units;
}

std::optional<std::string> storedTextFromUtf16(RegistryType type, std::string_view units, std::string& problem)
{
    const std::string what = "the hex(" + hexNumber(type) + ") data ";
    auto text = fromUtf16leBytes(units);
    if (!text) {
        problem = what + "is an odd number of bytes, not UTF-16LE code units";
        return std::nullopt;
    }
    if (hasLoneSurrogate(*text)) {
        problem = what + "holds a UTF-16 surrogate without its other half";
        return std::nullopt;
    }
    if (type == REG_EXPAND_SZ && text->endsWith(QChar(u'\0')))
        text->chop(1);
    return toNarrow(*text);
}

} // namespace quillbrook::regtool
