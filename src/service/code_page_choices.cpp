#include "service/code_page_choices.h"

#include "resources/string_table.h"

namespace quillbrook {
EncodingList fillEncodingList(std::int32_t current)
{
    EncodingList list;
    for (const CodePageChoice& row : CodePageChoices) {
        if (row.codePage == 0)
            break;
        if (row.codePage == current)
            list.selectedIndex = static_cast<int>(list.items.size());
        list.items.push_back({loadStringW(row.stringId), row.codePage});
    }
    if (list.selectedIndex < 0 && !list.items.empty())
        list.selectedIndex = 0;
    return list;
}

std::int32_t readEncodingChoice(std::span<const EncodingListItem> items, int selectedIndex, std::int32_t current)
{
    if (selectedIndex < 0 || static_cast<std::size_t>(selectedIndex) >= items.size())
        return current;
    const std::int32_t codePage = items[static_cast<std::size_t>(selectedIndex)].codePage;
    return codePage == 0 ? code_page::Default : codePage;
}

} // namespace quillbrook
