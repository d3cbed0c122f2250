#include "regtool/export_writer.h"

#include "platform/charset.h"
#include "regtool/key_tree.h"
#include "regtool/reg_file.h"
#include "regtool/value_text.h"

namespace quillbrook::regtool {
namespace {

constexpr size_t maximumLineLength = 80;
constexpr std::string_view lineBreaksAndZero("\0\r\n", 3);

// A REG_SZ goes out as text only when importing that text gives back the same bytes.
bool survivesAsText(std::string_view data)
{
    return data.find_first_of(lineBreaksAndZero) == std::string_view::npos && survivesTheFile(data);
}

// A name in an error message, kept on one line.
std::string shownName(std::string_view name)
{
    std::string shown;
    for (const char c : name) {
        switch (c) {
        case '\n': shown += "\\n"; break;
        case '\r': shown += "\\r"; break;
        case '\0': shown += "\\0"; break;
        default: shown.push_back(c);
        }
    }
    return shown;
}

// A key's name stands bare between brackets and a value's between quotes; the format has no
// escape for a line break or a zero in either, and a file's reader ends its lines at CR and LF.
std::string nameProblem(std::string_view name)
{
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return "its name holds a line break";
    if (name.find('\0') != std::string_view::npos)
        return "its name holds a zero character";
    if (!survivesTheFile(name))
        return "its name is not text in the charset " + processCharset();
    return {};
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

std::string keyExportProblem(std::string_view keyName)
{
    const auto problem = nameProblem(keyName);
    return problem.empty() ? problem : "The key " + shownName(keyName) + " cannot be exported: " + problem + ".";
}

std::string valueExportProblem(std::string_view keyName, const RegistryValue& value)
{
    auto problem = nameProblem(value.name);
    if (problem.empty() && hexDataIsUtf16(value.type) && !survivesTheFile(value.data))
        problem = "its data is not text in the charset " + processCharset();
    if (problem.empty())
        return problem;
    const std::string which = value.name.empty() ? "The default value" : "The value \"" + shownName(value.name) + "\"";
    return which + " of " + shownName(keyName) + " cannot be exported: " + problem + ".";
}

std::string exportValueLine(const RegistryValue& value)
{
    std::string line = value.name.empty() ? "@=" : "\"" + escapeQuoted(utf8FromNarrow(value.name)) + "\"=";
    if (value.type == REG_SZ && survivesAsText(value.data))
        return line + "\"" + escapeQuoted(utf8FromNarrow(value.data)) + "\"";
    if (value.type == REG_DWORD && value.data.size() == 4)
        return line + dwordText(value.data);
    const std::string bytes = hexDataIsUtf16(value.type) ? utf16FromStoredText(value.type, value.data) : value.data;
    return appendHexList(line + hexTypePrefix(value.type), bytes);
}

ExportFailure writeExport(const RegistryKey& key, std::ostream& out)
{
    out << regFileHeader << "\n\n";
    std::string problem;
    const auto error = visitKeyTree(key, [&](const RegistryKey& visited) {
        const auto values = readValues(visited);
        if (!values.ok())
            return values.error();
        const std::string name = visited.fullName();
        problem = keyExportProblem(name);
        for (size_t i = 0; problem.empty() && i < values.value().size(); ++i)
            problem = valueExportProblem(name, values.value()[i]);
        if (!problem.empty())
            return ERROR_INVALID_NAME; // only to end the walk: the problem says what is wrong
        out << '[' << utf8FromNarrow(name) << "]\n";
        for (const auto& value : values.value())
            out << exportValueLine(value) << '\n';
        out << '\n';
        return ERROR_SUCCESS;
    });
    return problem.empty() ? ExportFailure{error, {}} : ExportFailure{ERROR_SUCCESS, problem};
}

} // namespace quillbrook::regtool
