// Texts and byte strings written as lists of numbers, and printed the same way, so that a failing
// encoding case shows exactly which code unit or byte differs.
#pragma once

#include <QString>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook::testing {

inline QString units(std::initializer_list<char16_t> list)
{
    // Not QString::fromUtf16, which would drop a leading U+FEFF as a byte-order mark.
    return QString(reinterpret_cast<const QChar*>(std::data(list)), static_cast<qsizetype>(list.size()));
}

inline std::string bytes(std::initializer_list<unsigned char> list)
{
    return std::string(list.begin(), list.end());
}

inline std::string hexUnits(const QString& text)
{
    std::string out = text.isNull() ? "null[" : "[";
    char buffer[8];
    for (const QChar unit : text) {
        std::snprintf(buffer, sizeof buffer, " %04X", unit.unicode());
        out += buffer;
    }
    return out + " ]";
}

inline std::string hexBytes(std::string_view data)
{
    std::string out = "[";
    char buffer[8];
    for (const char byte : data) {
        std::snprintf(buffer, sizeof buffer, " %02X", static_cast<unsigned char>(byte));
        out += buffer;
    }
    return out + " ]";
}

inline std::string hexBytes(const char* data)
{
    return hexBytes(std::string_view(data));
}

inline std::string hexBytes(const QByteArray& data)
{
    return hexBytes(std::string_view(data.constData(), static_cast<size_t>(data.size())));
}

} // namespace quillbrook::testing
