// Names of temporary files: the user's name template filled with facts about the page and the
// session, made safe for a file name, with the command's extension added.
#pragma once

#include "resources/string_ids.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillbrook {

struct FileNamePlaceholder {
    std::string_view keyword;
    // The string table text (loadStringW) that the Options dialog shows for this placeholder.
    unsigned descriptionId;
};

// Every placeholder a template may hold, written "%keyword%", in the order the Options dialog
// lists them. Keywords are case-sensitive.
inline constexpr std::array<FileNamePlaceholder, 7> FileNamePlaceholders{{
    {"title", string_id::PlaceholderTitle},
    {"url", string_id::PlaceholderUrl},
    {"file", string_id::PlaceholderFile},
    {"form", string_id::PlaceholderForm},
    {"textarea", string_id::PlaceholderTextArea},
    {"session", string_id::PlaceholderSession},
    {"timestamp", string_id::PlaceholderTimestamp},
}};

// A local date and time to the millisecond; month 1 to 12.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

LocalTime currentLocalTime();

// What the caller learnt about the page and the session. A property that could not be read, or
// that read as a null string, has no value (its placeholder then stays as written); an empty
// string is a value.
struct FileNameFacts {
    std::optional<QString> title;
    std::optional<QString> url;
    std::optional<QString> formName;
    std::optional<QString> textBoxName;
    // A new number for every name built, so that no two names are alike.
    std::int32_t sessionNumber = 0;
    LocalTime localTime;
};

// The most bytes a file name may have on Linux (NAME_MAX); the original platform counted 255
// UTF-16 units instead, so a name that fitted there may not fit here.
inline constexpr std::size_t kLongestFileName = 255;

// The file name (process charset, without folder) for `nameTemplate` and `extension`. The nine
// characters \ / : * ? " < > | are replaced by '_' everywhere except in the extension, which is
// added afterwards after one leading '.' of it is dropped: an extension holding a '/' therefore
// yields a name that cannot be created.
// A name longer than kLongestFileName gives up whole characters of the page's facts until it
// fits: the title first, then the url, the file, the form and the text box name. The session
// number, the timestamp, the template's own text and the extension are kept; when they alone are
// too long, the name is left whole (and cannot be created).
std::string makeTemporaryFileName(const FileNameFacts& facts, const std::string& nameTemplate,
                                  const QString& extension);

} // namespace quillbrook
