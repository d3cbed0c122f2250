#include "regtool/reg_file.h"

#include "platform/charset.h"

namespace quillbrook::regtool {

std::string utf8FromNarrow(std::string_view narrow)
{
    return toWide(narrow).toUtf8().toStdString();
}

std::string narrowFromUtf8(std::string_view utf8)
{
    return toNarrow(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

} // namespace quillbrook::regtool
