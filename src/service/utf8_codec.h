// The program's own UTF-8: one UTF-16 code unit per sequence in both directions, so that a
// surrogate travels as its own three-byte sequence and every file the program writes reads back
// to the very code units that wrote it. It is not standard UTF-8 on purpose: a four-byte
// sequence written by another program does not decode to its character.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <string_view>

namespace quillbrook {

// `text` up to its first U+0000: 0x0000-0x007F one byte, 0x0080-0x07FF two, 0x0800-0xFFFF
// (surrogates included) three. Empty when the buffer cannot be allocated.
QByteArray encodeUtf8(QStringView text);

// `bytes` up to the first zero byte, one code unit per sequence. The lead byte alone decides the
// length (0x00-0x7F one, 0xC0-0xDF two, every other byte three) and the bytes after it are taken
// without validation; a sequence that runs past the end takes zero bytes. Empty bytes give an
// empty, non-null text; a null text means the buffer could not be allocated.
QString decodeUtf8(std::string_view bytes);

} // namespace quillbrook
