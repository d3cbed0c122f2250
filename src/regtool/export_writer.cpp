#include "regtool/export_writer.h"

#include "platform/charset.h"
#include "regtool/key_tree.h"
#include "regtool/reg_file.h"
#include "regtool/value_text.h"

namespace quillbrook::regtool {
namespace {

constexpr size_t maximumLineLength = 80;

// A REG_SZ goes out as text only when importing that text gives back the same bytes.
bool survivesAsText(std::string_view data)
{
    if (data.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos)
        return false;
    return toNarrow(toWide(data)) == data;
}

std::string hexTypePrefix(RegistryType type)
{
    if (type == REG_BINARY)
        return "hex:";
    return "hex(" + hexNumber(type) + "):";
}

// Bytes as "01,02,ab", wrapped so that no line passes the limit once its trailing '\' is added.
std::string appendHexList(std::string line, std::string_view bytes)
{
    size_t lineStart = 0;
    bool lineHasBytes = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        std::string item = hexDigits(bytes.substr(i, 1), false);
        if (!last)
            item += ',';
        const size_t needed = line.size() - lineStart + item.size() + (last ? 0 : 1);
        if (lineHasBytes && needed > maximumLineLength) {
            line += "\\\n";
            lineStart = line.size();
            line += "  ";
        }
        line += item;
        lineHasBytes = true;
    }
    return line;
}

std::string dwordText(std::string_view data)
{
    std::string reversed(data.rbegin(), data.rend());
    return "dword:" + hexDigits(reversed, false);
}

} // namespace

std::string escapeQuoted(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' || c == '"')
            escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

std::string exportValueLine(const RegistryValue& value)
{
    std::string line = value.name.empty() ? "@=" : "\"" + escapeQuoted(utf8FromNarrow(value.name)) + "\"=";
    if (value.type == REG_SZ && survivesAsText(value.data))
        return line + "\"" + escapeQuoted(utf8FromNarrow(value.data)) + "\"";
    if (value.type == REG_DWORD && value.data.size() == 4)
        return line + dwordText(value.data);
    return appendHexList(line + hexTypePrefix(value.type), value.data);
}

Win32Error writeExport(const RegistryKey& key, std::ostream& out)
{
    out << regFileHeader << "\n\n";
    return visitKeyTree(key, [&](const RegistryKey& visited) {
        const auto values = readValues(visited);
        if (!values.ok())
            return values.error();
        out << '[' << utf8FromNarrow(visited.fullName()) << "]\n";
        for (const auto& value : values.value())
            out << exportValueLine(value) << '\n';
        out << '\n';
        return ERROR_SUCCESS;
    });
}

} // namespace quillbrook::regtool
