#include "resources/format_text.h"

namespace quillbrook {
QString formatText(QStringView format, std::initializer_list<QStringView> arguments)
{
    QString result;
    auto next = arguments.begin();
    qsizetype position = 0;
    while (position < format.size()) {
        const qsizetype marker = format.indexOf(u"%s", position);
        if (marker < 0 || next == arguments.end()) {
            result += format.mid(position);
            break;
        }
        result += format.mid(position, marker - position);
        result += *next++;
        position = marker + 2;
    }
    return result;
}

std::string formatText(std::string_view format, std::initializer_list<std::string_view> arguments)
{
    std::string result;
    auto next = arguments.begin();
    std::size_t position = 0;
    while (position < format.size()) {
        const std::size_t marker = format.find("%s", position);
        if (marker == std::string_view::npos || next == arguments.end()) {
            result += format.substr(position);
            break;
        }
        result += format.substr(position, marker - position);
        result += *next++;
        position = marker + 2;
    }
    return result;
}

} // namespace quillbrook
