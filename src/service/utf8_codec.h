// UTF-8 as editors read and write it, with two allowances that keep every text whole: a lone
// surrogate is written as its own three-byte sequence, and such a sequence (ED A0 80 to ED BF BF)
// reads back as that surrogate, so files written by earlier versions, which wrote each surrogate
// of a pair that way, read as they did.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <string_view>

namespace quillbrook {

// `text` up to its first U+0000: 0x0000-0x007F one byte, 0x0080-0x07FF two, other units three,
// and a surrogate pair four (its character's sequence). No byte-order mark is written. Empty
// when the buffer cannot be allocated.
QByteArray encodeUtf8(QStringView text);

// `bytes` up to the first zero byte. A four-byte sequence becomes its surrogate pair, EF BB BF is
// U+FEFF like any other character; each ill-formed part (the longest start of a sequence that
// could have been valid, or else one byte) becomes one U+FFFD, and the byte after it is read
// afresh. Never fails on bad bytes. Empty bytes give an empty, non-null text; a null text means
// the buffer could not be allocated.
QString decodeUtf8(std::string_view bytes);

} // namespace quillbrook
