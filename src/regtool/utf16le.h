// UTF-16LE as bytes, two a code unit and the low byte first: how the original platform stores its
// strings, and so how its registry files carry them.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace quillbrook::regtool {

std::string utf16leBytes(QStringView text);

// The code units as they are, a lone surrogate included; nothing for an odd number of bytes.
std::optional<QString> fromUtf16leBytes(std::string_view bytes);

// Whether `text` holds a surrogate without its other half.
bool hasLoneSurrogate(QStringView text);

} // namespace quillbrook::regtool
