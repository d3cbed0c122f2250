#include "regtool/reg_file.h"

#include "platform/charset.h"

#include <QStringDecoder>

namespace quillbrook::regtool {

std::string utf8FromNarrow(std::string_view narrow)
{
    return wideFromNarrow(narrow).toUtf8().toStdString();
}

std::string narrowFromUtf8(std::string_view utf8)
{
    return toNarrow(wideFromUtf8(utf8));
}

// Qt's UTF-8 decoder, under toWide too, drops a leading U+FEFF as a byte order mark; decoding
// behind a space keeps it, in every charset.
QString wideFromNarrow(std::string_view narrow)
{
    QString wide = toWide(" " + std::string(narrow));
    wide.remove(0, 1);
    return wide;
}

QString wideFromUtf8(std::string_view utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

bool survivesTheFile(std::string_view narrow)
{
    return toNarrow(wideFromNarrow(narrow)) == narrow;
}

} // namespace quillbrook::regtool
