#include "regtool/file_encoding.h"

#include "platform/charset.h"
#include "regtool/utf16le.h"

#include <algorithm>

namespace quillbrook::regtool {
namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view utf16ByteOrderMark = "\xFF\xFE";

} // namespace

std::string encodeRegFile(std::string_view text, RegFileEncoding encoding)
{
    if (encoding == RegFileEncoding::Utf8)
        return std::string(text);
    const QString lines = decodeCharset(text, "UTF-8").replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return std::string(utf16ByteOrderMark) + utf16leBytes(lines);
}

DecodedRegFile decodeRegFile(std::string_view bytes)
{
    if (!bytes.starts_with(utf16ByteOrderMark)) {
        if (bytes.starts_with(utf8ByteOrderMark))
            bytes.remove_prefix(utf8ByteOrderMark.size());
        return {std::string(bytes), 0, {}};
    }
    bytes.remove_prefix(utf16ByteOrderMark.size());
    const bool oddByte = bytes.size() % 2 != 0;
    if (oddByte)
        bytes.remove_suffix(1);
    // A lone surrogate becomes '?', as any character the hive's charset cannot hold.
    DecodedRegFile decoded{fromUtf16leBytes(bytes)->toUtf8().toStdString(), 0, {}};
    if (oddByte) {
        decoded.errorLine = 1 + static_cast<size_t>(std::count(decoded.text.begin(), decoded.text.end(), '\n'));
        decoded.error = "the UTF-16 file ends in the middle of a character";
    }
    return decoded;
}

} // namespace quillbrook::regtool
