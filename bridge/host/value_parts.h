// A value written to the page travels as setValue messages of at most kMaxHostMessage bytes each:
// the browser refuses longer messages from a host. The parts, joined, are the value.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <vector>

namespace quillbrook::bridge {

// The browser's limit on one message from the host, in bytes of JSON.
inline constexpr std::size_t kMaxHostMessage = 1024 * 1024;

struct ValueTarget {
    qint64 request = 0;
    QString page;
    QString element;
};

// The setValue messages (compact JSON) that write `value` to the element, each at most `limit`
// bytes; one message, with empty text, for an empty value. A surrogate pair is never split.
std::vector<QByteArray> setValueMessages(const ValueTarget& target, const QString& value,
                                         std::size_t limit = kMaxHostMessage);

} // namespace quillbrook::bridge
