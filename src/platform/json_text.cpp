#include "platform/json_text.h"

namespace quillbrook {

QJsonDocument parseJson(const QByteArray& json, QJsonParseError* error)
{
    static const QByteArray mark("\xEF\xBB\xBF");
    // Outside strings the mark is no JSON at all (except as the document's first bytes, which
    // the reader skips), so writing it as an escape changes no document's meaning.
    qsizetype found = json.indexOf(mark, 1);
    if (found < 0)
        return QJsonDocument::fromJson(json, error);
    QByteArray escaped;
    escaped.reserve(json.size() + 16);
    qsizetype copied = 0;
    for (; found >= 0; found = json.indexOf(mark, copied)) {
        escaped.append(json.constData() + copied, found - copied).append("\\ufeff");
        copied = found + mark.size();
    }
    escaped.append(json.constData() + copied, json.size() - copied);
    return QJsonDocument::fromJson(escaped, error);
}

} // namespace quillbrook
