#include "bridge/host/native_messaging.h"

#include "platform/json_text.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <cstring>

namespace quillbrook::bridge {

void MessageReader::append(const char* data, std::size_t size)
{
    buffer_.append(data, static_cast<qsizetype>(size));
}

std::optional<QByteArray> MessageReader::next()
{
    if (!error_.isEmpty() || buffer_.size() < 4)
        return std::nullopt;
    std::uint32_t length = 0;
    std::memcpy(&length, buffer_.constData(), sizeof length);
    if (length > kMaxBrowserMessage) {
        error_ = QStringLiteral("a message of %1 bytes is longer than the %2 bytes allowed")
                     .arg(length)
                     .arg(kMaxBrowserMessage);
        return std::nullopt;
    }
    const qsizetype whole = 4 + static_cast<qsizetype>(length);
    if (buffer_.size() < whole)
        return std::nullopt;
    QByteArray message = buffer_.mid(4, length);
    buffer_.remove(0, whole);
    return message;
}

QByteArray frame(const QByteArray& json)
{
    const auto length = static_cast<std::uint32_t>(json.size());
    QByteArray framed(reinterpret_cast<const char*>(&length), sizeof length);
    return framed + json;
}

std::optional<QJsonObject> parseMessage(const QByteArray& json, QString& error)
{
    QJsonParseError parse{};
    const QJsonDocument document = parseJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = QStringLiteral("not JSON (%1 at byte %2)").arg(parse.errorString()).arg(parse.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        error = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    return document.object();
}

} // namespace quillbrook::bridge
