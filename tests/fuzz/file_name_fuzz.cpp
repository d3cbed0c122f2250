// Temporary file names from any template, title, url and extension: building one never crashes,
// and whenever the template and the extension leave room, the name fits a Linux file name and has
// no '/' to lead it out of the temporary files folder.
//
// Input: one mode byte, then the template, the title, the url and the extension, separated by
// '\n' (the extension takes the rest). Mode bit 0 reads the title and the url as UTF-16LE, so that
// surrogate pairs, split or whole, meet the cut; bit 1 runs in the C locale (ASCII) instead of
// C.UTF-8; bit 2 takes the longest session number.
#include "service/temporary_file_name.h"

#include "platform/charset.h"

#include <QString>
#include <array>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace {

using namespace quillbrook;

constexpr std::size_t kFields = 4;

std::array<std::string_view, kFields> fieldsOf(std::string_view input)
{
    std::array<std::string_view, kFields> fields;
    for (std::size_t field = 0; field + 1 < kFields; ++field) {
        const std::size_t end = input.find('\n');
        fields[field] = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    }
    fields[kFields - 1] = input;
    return fields;
}

QString textOf(std::string_view bytes, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text;
    for (std::size_t unit = 0; unit + 1 < bytes.size(); unit += 2)
        text.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[unit])
                                                | static_cast<unsigned char>(bytes[unit + 1]) << 8)));
    return text;
}

// More bytes than the name can have once the page's facts are emptied: a byte of the template or
// of the extension becomes at most 3 (an invalid byte turns into U+FFFD, a placeholder's keyword
// into at most 17 digits), plus the session suffix and the '.'.
std::size_t boundWithoutFacts(std::string_view nameTemplate, std::string_view extension)
{
    return 3 * nameTemplate.size() + 3 * extension.size() + std::string_view("_-2147483648.").size();
}

void check(bool invariant)
{
    if (!invariant)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned mode = data[0];
    const auto [nameTemplate, title, url, extension] =
        fieldsOf(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    if (!std::setlocale(LC_ALL, mode & 2 ? "C" : "C.UTF-8"))
        return 0;

    const bool utf16 = mode & 1;
    FileNameFacts facts;
    facts.title = textOf(title, utf16);
    facts.url = textOf(url, utf16);
    facts.sessionNumber = mode & 4 ? std::numeric_limits<std::int32_t>::min() : 1;
    facts.localTime = LocalTime{2024, 3, 5, 7, 8, 9, 45};
    const QString extensionText = textOf(extension, false);
    const std::string name = makeTemporaryFileName(facts, std::string(nameTemplate), extensionText);

    QStringView keptExtension(extensionText);
    if (keptExtension.startsWith(u'.'))
        keptExtension = keptExtension.mid(1);
    check(std::string_view(name).ends_with("." + toNarrow(keptExtension)));
    if (boundWithoutFacts(nameTemplate, extension) <= kLongestFileName)
        check(name.size() <= kLongestFileName);
    if (extension.find('/') == std::string_view::npos)
        check(name.find('/') == std::string::npos);
    return 0;
}
