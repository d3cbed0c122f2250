// JSON read without losing a character: Qt's reader drops a U+FEFF written as it is (EF BB BF)
// at the start of a string, which browsers and Qt's own writer both do, so a text or a page
// title that starts with one would lose it.
#pragma once

#include <QByteArray>
#include <QJsonDocument>

namespace quillbrook {

// QJsonDocument::fromJson, with every U+FEFF after the document's first byte kept.
QJsonDocument parseJson(const QByteArray& json, QJsonParseError* error = nullptr);

} // namespace quillbrook
