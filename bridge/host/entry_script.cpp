#include "bridge/host/entry_script.h"

#include "platform/charset.h"

#include <optional>

namespace quillbrook::bridge {
namespace {

// The text between `opening` and the next `closing` after it.
std::optional<std::string_view> between(std::string_view script, std::string_view opening, std::string_view closing)
{
    const auto start = script.find(opening);
    if (start == std::string_view::npos)
        return std::nullopt;
    const auto from = start + opening.size();
    const auto end = script.find(closing, from);
    if (end == std::string_view::npos)
        return std::nullopt;
    return script.substr(from, end - from);
}

bool contains(std::string_view script, std::string_view text)
{
    return script.find(text) != std::string_view::npos;
}

} // namespace

EntryScript recogniseEntryScript(std::string_view script)
{
    const auto progId = between(script, "ActiveXObject(\"", "\"");
    if (!progId)
        return {};
    if (*progId == kServiceProgId) {
        const auto label = between(script, "LoadFromMenuExt(\"", "\")");
        if (!label || !contains(script, "Register("))
            return {};
        return {EntryScript::Kind::Register, toWide(*label)};
    }
    if (*progId == kFileOpenProgId && contains(script, "OpenFile("))
        return {EntryScript::Kind::OpenFile, {}};
    return {};
}

} // namespace quillbrook::bridge
