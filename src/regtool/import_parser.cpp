#include "regtool/import_plan.h"

#include "regtool/ascii.h"
#include "regtool/file_encoding.h"
#include "regtool/reg_file.h"
#include "regtool/value_text.h"

#include <cstdint>
#include <optional>

namespace quillbrook::regtool {
namespace {

constexpr std::string_view spaces = " \t";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

std::vector<std::string_view> splitLines(std::string_view content)
{
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const auto end = content.find('\n');
        auto line = content.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    }
    return lines;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Reads a quoted string at the start of `text` (which starts with '"'), undoing the escapes of
// '\\' and '"', and leaves `text` after the closing quote. Nothing when the string is malformed;
// `problem` then says why.
std::optional<std::string> readQuoted(std::string_view& text, std::string& problem)
{
    std::string unescaped;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return unescaped;
        }
        if (c == '\\') {
            if (++i == text.size() || (text[i] != '\\' && text[i] != '"')) {
                problem = "a backslash in a quoted string is not followed by \\ or \"";
                return std::nullopt;
            }
        }
        unescaped.push_back(text[i]);
    }
    problem = "a quoted string has no closing quote";
    return std::nullopt;
}

// 1 to 8 hex digits, as in "dword:0000002a" and "hex(7):".
std::optional<std::uint32_t> parseHexNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t number = 0;
    for (const char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        number = number << 4 | static_cast<std::uint32_t>(digit);
    }
    return number;
}

// "01,02,ab": two hex digits (or one) per byte; a comma may end the list.
std::optional<std::string> parseHexList(std::string_view list)
{
    std::string bytes;
    list = trimmed(list);
    while (!list.empty()) {
        const auto comma = list.find(',');
        const auto item = trimmed(list.substr(0, comma));
        if (item.empty() || item.size() > 2)
            return std::nullopt;
        int byte = 0;
        for (const char c : item) {
            const int digit = hexDigitValue(c);
            if (digit < 0)
                return std::nullopt;
            byte = byte << 4 | digit;
        }
        bytes.push_back(static_cast<char>(byte));
        list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
    return bytes;
}

class ImportParser {
public:
    explicit ImportParser(std::string_view text) : lines_(splitLines(text)) {}

    ImportPlan parse()
    {
        if (lines_.empty() || trimmed(lines_[0]) != regFileHeader) {
            fail(1, "the first line is not \"" + std::string(regFileHeader) + "\"");
            return std::move(plan_);
        }
        for (index_ = 1; index_ < lines_.size() && plan_.error.empty(); ++index_) {
            const auto line = trimmed(lines_[index_]);
            if (line.empty() || line.starts_with(';'))
                continue;
            if (line.starts_with('['))
                parseSection(line);
            else if (line.starts_with('@') || line.starts_with('"'))
                parseValue(line);
            else
                fail(lineNumber(), "the line is neither a key nor a value");
        }
        return std::move(plan_);
    }

private:
    size_t lineNumber() const { return index_ + 1; }

    void fail(size_t line, std::string problem)
    {
        plan_.errorLine = line;
        plan_.error = std::move(problem);
        plan_.steps.clear();
    }

    void parseSection(std::string_view line)
    {
        if (!line.ends_with(']')) {
            fail(lineNumber(), "the key name has no closing ']'");
            return;
        }
        auto name = line.substr(1, line.size() - 2);
        const bool remove = name.starts_with('-');
        if (remove)
            name.remove_prefix(1);
        const auto key = parseKeyPath(narrowFromUtf8(name));
        if (!key) {
            fail(lineNumber(),
                 "\"" + narrowFromUtf8(name) + "\" is not a key of HKEY_CURRENT_USER or HKEY_CLASSES_ROOT");
            return;
        }
        if (remove && key->path.empty()) {
            fail(lineNumber(), "a root key cannot be deleted");
            return;
        }
        inKey_ = !remove;
        plan_.steps.push_back(
            {remove ? ImportStep::Action::DeleteKey : ImportStep::Action::CreateKey, lineNumber(), *key, {}});
    }

    void parseValue(std::string_view line)
    {
        const size_t first = lineNumber();
        std::string problem;
        RegistryValue value;
        if (line.starts_with('@')) {
            line.remove_prefix(1);
        } else if (auto name = readQuoted(line, problem)) {
            value.name = narrowFromUtf8(*name);
        } else {
            fail(first, problem);
            return;
        }
        line = trimmed(line);
        if (!line.starts_with('=')) {
            fail(first, "the value name is not followed by '='");
            return;
        }
        if (!inKey_) {
            fail(first, "the value is not inside a key section");
            return;
        }
        line = trimmed(line.substr(1));
        if (line == "-") {
            plan_.steps.push_back({ImportStep::Action::DeleteValue, first, {}, std::move(value)});
            return;
        }
        if (auto problemWithData = parseData(line, value); !problemWithData.empty()) {
            fail(first, problemWithData);
            return;
        }
        plan_.steps.push_back({ImportStep::Action::SetValue, first, {}, std::move(value)});
    }

    // Fills the type and data of `value`; returns the problem, or nothing.
    std::string parseData(std::string_view data, RegistryValue& value)
    {
        if (data.starts_with('"')) {
            std::string problem;
            const auto text = readQuoted(data, problem);
            if (!text)
                return problem;
            if (!trimmed(data).empty())
                return "there is text after the closing quote";
            value.type = REG_SZ;
            value.data = narrowFromUtf8(*text);
            return {};
        }
        if (startsWithIgnoringCase(data, "dword:")) {
            const auto number = parseHexNumber(data.substr(6));
            if (!number)
                return "a dword is not 1 to 8 hex digits";
            value.type = REG_DWORD;
            value.data = littleEndianBytes(*number, 4);
            return {};
        }
        if (startsWithIgnoringCase(data, "hex"))
            return parseHexData(data.substr(3), value);
        return "the value data is not a string, a dword or hex bytes";
    }

    std::string parseHexData(std::string_view data, RegistryValue& value)
    {
        value.type = REG_BINARY;
        if (data.starts_with('(')) {
            const auto close = data.find("):");
            const auto number =
                close == std::string_view::npos ? std::nullopt : parseHexNumber(data.substr(1, close - 1));
            if (!number)
                return "the type in hex(...) is not 1 to 8 hex digits";
            value.type = static_cast<RegistryType>(*number);
            data.remove_prefix(close + 2);
        } else if (data.starts_with(':')) {
            data.remove_prefix(1);
        } else {
            return "hex is not followed by ':' or '(type):'";
        }
        std::string list(data);
        while (list.ends_with('\\') && index_ + 1 < lines_.size()) {
            list.pop_back();
            list += trimmed(lines_[++index_]);
        }
        auto bytes = parseHexList(list);
        if (!bytes)
            return "the hex bytes are malformed";
        if (!hexDataIsUtf16(value.type)) {
            value.data = std::move(*bytes);
            return {};
        }
        std::string problem;
        const auto text = storedTextFromUtf16(value.type, *bytes, problem);
        if (!text)
            return problem;
        value.data = *text;
        return {};
    }

    std::vector<std::string_view> lines_;
    size_t index_ = 0;
    bool inKey_ = false;
    ImportPlan plan_;
};

} // namespace

ImportPlan parseImportFile(std::string_view content)
{
    const auto decoded = decodeRegFile(content);
    if (!decoded.error.empty()) {
        ImportPlan plan;
        plan.errorLine = decoded.errorLine;
        plan.error = decoded.error;
        return plan;
    }
    return ImportParser(decoded.text).parse();
}

} // namespace quillbrook::regtool
