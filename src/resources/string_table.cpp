#include "resources/string_table.h"

#include "platform/charset.h"
#include "resources/string_table_data.h"

#include <algorithm>
#include <cstdlib>

namespace quillbrook {

ResourceLanguage messageLanguage()
{
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return std::string_view(value).starts_with("ja") ? ResourceLanguage::Japanese : ResourceLanguage::English;
    }
    return ResourceLanguage::English;
}

std::u16string_view resourceText(unsigned id, ResourceLanguage language)
{
    const auto& table = resources::kStringTable;
    const auto entry =
        std::lower_bound(table.begin(), table.end(), id, [](const auto& e, unsigned wanted) { return e.id < wanted; });
    if (entry == table.end() || entry->id != id)
        return {};
    return language == ResourceLanguage::Japanese ? entry->japanese : entry->english;
}

QString loadStringW(unsigned id, std::size_t bufferSize)
{
    const std::u16string_view text = resourceText(id, messageLanguage());
    if (bufferSize == 0)
        return QString();
    const std::size_t length = std::min(text.size(), bufferSize - 1);
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(length));
}

std::string loadString(unsigned id, std::size_t bufferSize)
{
    const QString wide = loadStringW(id, bufferSize);
    std::string narrow = toNarrow(wide);
    if (bufferSize == 0 || narrow.size() < bufferSize)
        return narrow;
    // The charset needs more bytes than there are characters: keep the longest whole-character
    // prefix that fits.
    qsizetype fitting = wide.size();
    while (fitting > 0 && narrow.size() > bufferSize - 1) {
        --fitting;
        if (fitting > 0 && wide.at(fitting).isLowSurrogate())
            --fitting;
        narrow = toNarrow(QStringView(wide).left(fitting));
    }
    return narrow;
}

QString loadStringW(unsigned id)
{
    return loadStringW(id, bufferSizeOf(id));
}

std::string loadString(unsigned id)
{
    return loadString(id, bufferSizeOf(id));
}

} // namespace quillbrook
