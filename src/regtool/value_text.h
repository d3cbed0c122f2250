// Registry values as text on the command line: type names, the data column of a query, and the
// DATA argument of an add turned into stored bytes.
#pragma once

#include "platform/hive.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillbrook::regtool {

// "REG_SZ", "REG_DWORD", ...; "REG_0x1234" for a number without a name.
std::string registryTypeName(RegistryType type);

// The types an add accepts, by name in any letter case.
std::optional<RegistryType> parseAddType(std::string_view name);

// The data column of a query line.
std::string formatQueryData(const RegistryValue& value);

// The bytes an add stores for DATA of `type`; nothing when DATA does not suit the type.
std::optional<std::string> encodeAddData(RegistryType type, std::string_view data);

// Lower-case hex digits without padding: 42 gives "2a".
std::string hexNumber(std::uint64_t number);

// Every byte as two hex digits, no separators.
std::string hexDigits(std::string_view bytes, bool upperCase);

// A whole string of hex digit pairs to bytes; nothing for an odd count or a non-hex character.
std::optional<std::string> parseHexDigits(std::string_view digits);

// Decimal, or hex after "0x"; nothing when not a number or above `maximum`.
std::optional<std::uint64_t> parseUnsigned(std::string_view text, std::uint64_t maximum);

// The value of a hex digit, or -1.
int hexDigitValue(char c);

// `bytes` little-endian bytes of `number`.
std::string littleEndianBytes(std::uint64_t number, int bytes);

} // namespace quillbrook::regtool
