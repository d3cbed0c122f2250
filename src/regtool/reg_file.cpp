#include "regtool/reg_file.h"

#include "platform/charset.h"
#include "regtool/utf16le.h"
#include "regtool/value_text.h"

namespace quillbrook::regtool {

std::string utf8FromNarrow(std::string_view narrow)
{
    return toWide(narrow).toUtf8().toStdString();
}

std::string narrowFromUtf8(std::string_view utf8)
{
    return toNarrow(decodeCharset(utf8, "UTF-8"));
}

bool survivesTheFile(std::string_view narrow)
{
    return toNarrow(toWide(narrow)) == narrow;
}

bool hexDataIsUtf16(RegistryType type)
{
    return type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string utf16FromStoredText(RegistryType type, std::string_view stored)
{
    std::string units = utf16leBytes(toWide(stored));
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
