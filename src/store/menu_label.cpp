#include "store/menu_label.h"

#include "platform/charset.h"

#include <string>
#include <string_view>

namespace quillbrook {
namespace {

constexpr std::u16string_view kForbiddenCharacters = u"\\/:*?\"<>|";

bool isForbiddenCharacter(char16_t c)
{
    return c < 0x20 || c == 0x7F || kForbiddenCharacters.find(c) != std::u16string_view::npos;
}

} // namespace

bool isStorableLabel(const QString& label)
{
    const std::string stored = toNarrow(label);
    if (stored.empty() || stored.size() > kMaxLabelBytes || stored == "." || stored == "..")
        return false;
    // The bytes themselves go into key paths and file paths, where these two separate components
    // whatever the charset makes of them.
    if (stored.find_first_of("\\/") != std::string::npos)
        return false;
    for (const QChar c : toWide(stored)) {
        if (isForbiddenCharacter(c.unicode()))
            return false;
    }
    return true;
}

} // namespace quillbrook
