#include "service/temporary_file_name.h"

#include "platform/charset.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace quillbrook {
namespace {

constexpr std::u16string_view forbiddenCharacters = u"\\/:*?\"<>|";

// Works on whole UTF-16 characters: a trail byte of a double-byte character that happens to equal
// a forbidden character is left alone.
std::string withoutForbiddenCharacters(const std::string& narrow)
{
    QString wide = toWide(narrow);
    for (QChar& character : wide) {
        if (forbiddenCharacters.find(character.unicode()) != std::u16string_view::npos)
            character = QChar(u'_');
    }
    return toNarrow(wide);
}

// The last path segment without its extension; "index" when the last '.' is right after the
// last '/' (or both are missing), and everything after the last '/' when the last '.' comes
// before it: "http://www.example.com/" gives "".
std::string fileNameOfUrl(const std::string& url)
{
    const size_t lastDot = url.rfind('.');
    const size_t lastSlash = url.rfind('/');
    const size_t extensionStart = lastDot == std::string::npos ? url.size() : lastDot;
    const size_t segmentStart = lastSlash == std::string::npos ? 0 : lastSlash + 1;
    if (extensionStart == segmentStart)
        return "index";
    if (extensionStart > segmentStart)
        return url.substr(segmentStart, extensionStart - segmentStart);
    return url.substr(segmentStart);
}

std::string timestampDigits(const LocalTime& time)
{
    char digits[96];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d%03d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second, time.millisecond);
    return digits;
}

std::optional<std::string> narrowValue(const std::optional<QString>& value)
{
    if (!value || value->isNull())
        return std::nullopt;
    return toNarrow(*value);
}

std::optional<std::string> placeholderValue(std::string_view keyword, const FileNameFacts& facts)
{
    if (keyword == "title")
        return narrowValue(facts.title);
    if (keyword == "url" || keyword == "file") {
        const auto url = narrowValue(facts.url);
        if (!url)
            return std::nullopt;
        return withoutForbiddenCharacters(keyword == "url" ? *url : fileNameOfUrl(*url));
    }
    if (keyword == "form")
        return narrowValue(facts.formName);
    if (keyword == "textarea")
        return narrowValue(facts.textBoxName);
    if (keyword == "session")
        return std::to_string(facts.sessionNumber);
    if (keyword == "timestamp")
        return timestampDigits(facts.localTime);
    return std::nullopt;
}

// The facts of the page that a name too long for the file system gives up, in the order they
// give way.
constexpr std::array<std::string_view, 5> shortenableKeywords{"title", "url", "file", "form", "textarea"};

// How many characters of each shortenable fact the name keeps; npos keeps all of it.
using FactLengths = std::array<std::size_t, shortenableKeywords.size()>;

FactLengths wholeFacts()
{
    FactLengths lengths;
    lengths.fill(std::string::npos);
    return lengths;
}

std::size_t keptLength(std::string_view keyword, const FactLengths& lengths)
{
    for (std::size_t fact = 0; fact < shortenableKeywords.size(); ++fact) {
        if (shortenableKeywords[fact] == keyword)
            return lengths[fact];
    }
    return std::string::npos;
}

// The UTF-16 units of the first `count` characters of `text`; a surrogate pair is one character.
qsizetype unitsOfCharacters(QStringView text, std::size_t count)
{
    qsizetype end = 0;
    for (; count > 0 && end < text.size(); --count)
        end += text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate() ? 2 : 1;
    return end;
}

std::size_t characterCount(QStringView text)
{
    std::size_t count = 0;
    for (qsizetype end = 0; end < text.size(); ++count)
        end += unitsOfCharacters(text.mid(end), 1);
    return count;
}

// The first `count` characters of `narrow`: cut as characters, so that no multi-byte character
// is split.
std::string firstCharacters(const std::string& narrow, std::size_t count)
{
    if (count == std::string::npos)
        return narrow;
    const QString wide = toWide(narrow);
    return toNarrow(QStringView(wide).left(unitsOfCharacters(wide, count)));
}

std::string expandTemplate(const FileNameFacts& facts, const std::string& nameTemplate, const QString& extension,
                           const FactLengths& lengths)
{
    std::string name;
    bool sessionPlaceholderMet = false;
    size_t position = 0;
    while (true) {
        const size_t opening = nameTemplate.find('%', position);
        if (opening == std::string::npos) {
            name.append(nameTemplate, position);
            break;
        }
        name.append(nameTemplate, position, opening - position);
        const size_t closing = nameTemplate.find('%', opening + 1);
        // A lone '%' drops itself and the rest of the template.
        if (closing == std::string::npos)
            break;
        const std::string_view keyword = std::string_view(nameTemplate).substr(opening + 1, closing - opening - 1);
        sessionPlaceholderMet = sessionPlaceholderMet || keyword == "session";
        if (const auto value = placeholderValue(keyword, facts))
            name += firstCharacters(*value, keptLength(keyword, lengths));
        else
            name.append(nameTemplate, opening, closing - opening + 1);
        position = closing + 1;
    }
    if (!sessionPlaceholderMet)
        name += "_" + std::to_string(facts.sessionNumber);

    name = withoutForbiddenCharacters(name);
    QStringView extensionText(extension);
    if (extensionText.startsWith(u'.'))
        extensionText = extensionText.mid(1);
    return name + "." + toNarrow(extensionText);
}

} // namespace

LocalTime currentLocalTime()
{
    using namespace std::chrono;
    const auto sinceEpoch = system_clock::now().time_since_epoch();
    const auto wholeSeconds = floor<seconds>(sinceEpoch);
    const std::time_t secondsSinceEpoch = static_cast<std::time_t>(wholeSeconds.count());
    std::tm parts{};
    localtime_r(&secondsSinceEpoch, &parts);
    return LocalTime{parts.tm_year + 1900,
                     parts.tm_mon + 1,
                     parts.tm_mday,
                     parts.tm_hour,
                     parts.tm_min,
                     parts.tm_sec,
                     static_cast<int>(duration_cast<milliseconds>(sinceEpoch - wholeSeconds).count())};
}

std::string makeTemporaryFileName(const FileNameFacts& facts, const std::string& nameTemplate, const QString& extension)
{
    FactLengths lengths = wholeFacts();
    const std::string whole = expandTemplate(facts, nameTemplate, extension, lengths);
    if (whole.size() <= kLongestFileName)
        return whole;
    const auto fits = [&] {
        return expandTemplate(facts, nameTemplate, extension, lengths).size() <= kLongestFileName;
    };
    for (std::size_t fact = 0; fact < lengths.size(); ++fact) {
        const auto value = placeholderValue(shortenableKeywords[fact], facts);
        const std::size_t characters = value ? characterCount(toWide(*value)) : 0;
        lengths[fact] = 0;
        if (characters == 0 || !fits())
            continue;
        // The most characters that fit: `kept` always fits, `tooMany` never does (the whole fact,
        // with the facts before it emptied, is what was too long).
        std::size_t kept = 0;
        std::size_t tooMany = characters;
        while (tooMany - kept > 1) {
            const std::size_t middle = kept + (tooMany - kept) / 2;
            lengths[fact] = middle;
            if (fits())
                kept = middle;
            else
                tooMany = middle;
        }
        lengths[fact] = kept;
        return expandTemplate(facts, nameTemplate, extension, lengths);
    }
    return whole;
}

} // namespace quillbrook
