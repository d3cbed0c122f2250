// The browser's native messaging framing: each message is UTF-8 JSON preceded by its length as a
// 32-bit unsigned number in native byte order, on the host's standard input and output.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quillbrook::bridge {

// The longest message the host takes from the browser.
inline constexpr std::uint32_t kMaxBrowserMessage = 64u * 1024u * 1024u;

// Cuts the bytes read from the browser into messages.
class MessageReader {
public:
    void append(const char* data, std::size_t size);
    // The next whole message's bytes, or nullopt when more input is needed or the stream is broken.
    std::optional<QByteArray> next();
    // Empty while the stream is sound; otherwise why it is not (a length over the limit).
    const QString& error() const { return error_; }
    // Bytes of an unfinished message; a stream that ends with some was cut short.
    std::size_t pending() const { return static_cast<std::size_t>(buffer_.size()); }

private:
    QByteArray buffer_;
    QString error_;
};

// A message as the host writes it: the length and the compact JSON.
QByteArray frame(const QByteArray& json);

// Parses one message's JSON; an error text in `error` when it is no JSON object.
std::optional<QJsonObject> parseMessage(const QByteArray& json, QString& error);

} // namespace quillbrook::bridge
