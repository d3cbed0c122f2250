// `CodePageChoices`: the encodings that the encoding lists of the menu item dialog and of the
// Open File dialog offer, and the rules by which such a list is filled and its choice is read.
// The rules work on a plain list model so that any list widget can show it.
#pragma once

#include "resources/string_ids.h"
#include "service/encodings.h"

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace quillbrook {

struct CodePageChoice {
    std::int32_t codePage;
    unsigned stringId;
};

// Ended by a row whose code page is 0.
inline constexpr std::array<CodePageChoice, 4> CodePageChoices{{
    {code_page::Default, string_id::EncodingDefault},
    {code_page::Utf16LittleEndian, string_id::EncodingUtf16LittleEndian},
    {code_page::Utf8, string_id::EncodingUtf8},
    {0, 0},
}};

struct EncodingListItem {
    QString text;
    std::int32_t codePage;
};

struct EncodingList {
    std::vector<EncodingListItem> items;
    int selectedIndex = -1;
};

// One item per row of `CodePageChoices` in table order, its text loaded as into a buffer of 256,
// its data the row's code page; the item whose code page is `current` is selected, the first
// when none is.
EncodingList fillEncodingList(std::int32_t current);

// The selected item's code page (0 read as 1), or `current` when nothing is selected
// (`selectedIndex` -1 or outside the list).
std::int32_t readEncodingChoice(std::span<const EncodingListItem> items, int selectedIndex, std::int32_t current);

} // namespace quillbrook
