#include "fileopen/file_types.h"

#include "resources/format_text.h"

namespace quillbrook {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view trimmed(std::string_view piece)
{
    const std::size_t first = piece.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return piece.substr(first, piece.find_last_not_of(kBlanks) - first + 1);
}

} // namespace

std::vector<std::string> splitExtensions(std::string_view extensions)
{
    std::vector<std::string> list;
    std::size_t at = 0;
    while (at < extensions.size()) {
        const std::size_t separator = extensions.find(';', at);
        if (separator == at)
            break;
        const std::string_view piece = trimmed(extensions.substr(at, separator - at));
        if (!piece.empty())
            list.emplace_back(piece);
        if (separator == std::string_view::npos)
            break;
        at = separator + 1;
    }
    if (list.empty())
        list.emplace_back("txt");
    return list;
}

std::string patternList(std::span<const std::string> extensions)
{
    std::string patterns;
    for (const std::string& extension : extensions) {
        if (!patterns.empty())
            patterns += "; ";
        patterns += "*." + extension;
    }
    return patterns;
}

std::string fileTypeFilter(std::string_view format, std::span<const std::string> extensions, std::size_t bufferSize)
{
    std::size_t used = extensions.size();
    while (true) {
        const std::string patterns = patternList(extensions.first(used));
        std::string filter = formatText(format, {patterns, patterns});
        if (filter.size() < bufferSize || used <= 1)
            return filter;
        --used;
    }
}

} // namespace quillbrook
