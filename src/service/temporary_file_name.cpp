#include "service/temporary_file_name.h"

#include "platform/charset.h"

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
            name += *value;
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

} // namespace quillbrook
