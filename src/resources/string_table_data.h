// The compiled-in string table: every text id with its English and Japanese form, in id order.
#pragma once

#include <array>
#include <string_view>

namespace quillbrook::resources {

struct StringTableEntry {
    unsigned id;
    std::u16string_view english;
    std::u16string_view japanese;
};

extern const std::array<StringTableEntry, 72> kStringTable;

} // namespace quillbrook::resources
