// The encodings of the temporary file and of files opened with Open File, chosen by a menu item's
// `CodePage`: how a text box's text becomes the file's bytes and how a saved file becomes text
// again. No byte-order mark is written, one that is read is the character U+FEFF, and line
// endings travel untouched.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>

namespace quillbrook {

namespace code_page {
// The tag that the dialogs store for the process charset (the original platform's ANSI code
// page); every value other than the two below means the same.
inline constexpr std::int32_t Default = 1;
// UTF-16 in little-endian code units (1201, not 1200).
inline constexpr std::int32_t Utf16LittleEndian = 1201;
// UTF-8 (service/utf8_codec.h).
inline constexpr std::int32_t Utf8 = 65001;
} // namespace code_page

// The bytes that `text` is written as. 1201: every code unit, little-endian, U+0000 included;
// 65001 and the process charset: the text up to its first U+0000. No terminator. A null or empty
// text, or a buffer that cannot be allocated, gives no bytes.
QByteArray textToBytes(QStringView text, std::int32_t codePage);

// The text that the bytes of a file hold. The text ends at the first zero byte (zero code unit
// with 1201); an odd last byte with 1201 is completed by a zero byte, and bytes that are not
// UTF-8 with 65001 become U+FFFD (service/utf8_codec.h). Nothing past `data` is read. Empty data
// gives an empty, non-null text; a null text means that the buffer could not be allocated.
QString bytesToText(std::string_view data, std::int32_t codePage);

} // namespace quillbrook
