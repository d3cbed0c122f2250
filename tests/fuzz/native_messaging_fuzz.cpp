// The host's reading of what the browser sends: any bytes, cut anywhere, become whole messages
// within the limit or a broken stream, never a crash; every message parses or is refused with a
// reason; and any text a message holds travels back to the page in parts that join to it.
//
// Input: one byte that sets where the stream is cut, then the stream.
#include "bridge/host/native_messaging.h"
#include "bridge/host/value_parts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace quillbrook::bridge;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The parts of `value` for a small limit, so that short inputs are cut too, join back to it.
void checkParts(const QString& value)
{
    constexpr std::size_t limit = 200;
    QString joined;
    for (const QByteArray& json : setValueMessages({1, QStringLiteral("p"), QStringLiteral("e")}, value, limit)) {
        require(static_cast<std::size_t>(json.size()) <= limit);
        QString error;
        const auto part = parseMessage(json, error);
        require(part.has_value());
        joined += part->value(QLatin1String("text")).toString();
    }
    require(joined == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t step = 1 + data[0];
    MessageReader reader;
    for (std::size_t at = 1; at < size; at += step) {
        reader.append(reinterpret_cast<const char*>(data + at), std::min(step, size - at));
        while (const auto message = reader.next()) {
            require(static_cast<std::uint64_t>(message->size()) <= kMaxBrowserMessage);
            QString error;
            const auto parsed = parseMessage(*message, error);
            require(parsed.has_value() != !error.isEmpty());
            if (parsed)
                for (const auto& member : *parsed)
                    if (member.isString())
                        checkParts(member.toString());
        }
        if (!reader.error().isEmpty())
            break;
    }
    return 0;
}
