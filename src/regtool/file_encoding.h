// The bytes of a registry file: UTF-8 text, as this tool writes it, or UTF-16LE after the byte
// order mark FF FE, as the original platform's registry editor writes it.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook::regtool {

enum class RegFileEncoding { Utf8, Utf16 };

// The file of `text` (UTF-8 with LF line ends): UTF-8 as it is, or UTF-16LE after the byte order
// mark with CRLF line ends.
std::string encodeRegFile(std::string_view text, RegFileEncoding encoding);

struct DecodedRegFile {
    std::string text;     // UTF-8 without a byte order mark, line ends as in the file
    size_t errorLine = 0; // of a file that cannot be decoded
    std::string error;    // the problem in plain words; empty when decoded
};

// A file starting with FF FE is UTF-16LE, any other UTF-8 (a UTF-8 byte order mark is dropped).
DecodedRegFile decodeRegFile(std::string_view bytes);

} // namespace quillbrook::regtool
