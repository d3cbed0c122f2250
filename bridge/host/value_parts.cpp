#include "bridge/host/value_parts.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace quillbrook::bridge {
namespace {

QByteArray message(const ValueTarget& target, const QString& text, bool more)
{
    const QJsonObject object{{QStringLiteral("type"), QStringLiteral("setValue")},
                             {QStringLiteral("request"), target.request},
                             {QStringLiteral("page"), target.page},
                             {QStringLiteral("element"), target.element},
                             {QStringLiteral("text"), text},
                             {QStringLiteral("more"), more}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The most bytes the code unit at `i` (with its partner, for a surrogate pair) can take in a JSON
// string: control characters as \uXXXX, quote and backslash escaped, the rest as UTF-8.
std::size_t escapedSize(const QString& text, qsizetype i, qsizetype& units)
{
    const char16_t c = text.at(i).unicode();
    units = 1;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
        units = 2;
        return 4;
    }
    if (c < 0x20 || c == 0x7F)
        return 6;
    if (c == u'"' || c == u'\\')
        return 2;
    if (c < 0x80)
        return 1;
    return c < 0x800 ? 2 : 3;
}

} // namespace

std::vector<QByteArray> setValueMessages(const ValueTarget& target, const QString& value, std::size_t limit)
{
    // What a message costs besides its text; "more":false is the longer flag.
    const std::size_t frame = static_cast<std::size_t>(message(target, QString(), false).size());
    const std::size_t room = limit > frame ? limit - frame : 1;
    std::vector<QString> parts;
    qsizetype start = 0;
    std::size_t size = 0;
    for (qsizetype i = 0; i < value.size();) {
        qsizetype units = 1;
        const std::size_t cost = escapedSize(value, i, units);
        if (size + cost > room && i > start) {
            parts.push_back(value.mid(start, i - start));
            start = i;
            size = 0;
        }
        size += cost;
        i += units;
    }
    parts.push_back(value.mid(start));

    std::vector<QByteArray> messages;
    messages.reserve(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i)
        messages.push_back(message(target, parts[i], i + 1 < parts.size()));
    return messages;
}

} // namespace quillbrook::bridge
