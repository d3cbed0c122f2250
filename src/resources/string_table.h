// Texts by id, in English or Japanese: the language follows the user's message locale, as the
// original platform's resource lookup follows the interface language.
#pragma once

#include "resources/string_ids.h"

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace quillbrook {

enum class ResourceLanguage { English, Japanese };

// Japanese when the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set and not empty
// starts with "ja"; English otherwise.
ResourceLanguage messageLanguage();

// The text of `id` in `language`; an empty view when the table has no such id.
std::u16string_view resourceText(unsigned id, ResourceLanguage language);

// The text of `id` in the message language, as a program loads it into a buffer of `bufferSize`
// characters: at most bufferSize - 1 characters are kept (whole characters only in the narrow
// form). Empty when there is no such id or the buffer has no room.
QString loadStringW(unsigned id, std::size_t bufferSize);
std::string loadString(unsigned id, std::size_t bufferSize);
// The same, into the buffer that string_ids.h declares for `id`.
QString loadStringW(unsigned id);
std::string loadString(unsigned id);

} // namespace quillbrook
