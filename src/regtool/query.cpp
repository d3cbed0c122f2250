#include "regtool/query.h"

#include "regtool/key_tree.h"
#include "regtool/value_text.h"

namespace quillbrook::regtool {
namespace {

constexpr std::string_view column = "    ";

[[nodiscard]] Win32Error writeValueLines(const RegistryKey& key, std::ostream& out)
{
    const auto values = readValues(key);
    if (!values.ok())
        return values.error();
    for (const auto& value : values.value())
        out << queryValueLine(value) << '\n';
    return ERROR_SUCCESS;
}

[[nodiscard]] Win32Error writeKey(const RegistryKey& key, std::ostream& out)
{
    out << key.fullName() << '\n';
    if (const auto error = writeValueLines(key, out); error != ERROR_SUCCESS)
        return error;
    const auto names = key.subKeyNames();
    if (!names.ok())
        return names.error();
    for (const auto& name : names.value())
        out << key.fullName() << '\\' << name << '\n';
    return ERROR_SUCCESS;
}

[[nodiscard]] Win32Error writeTree(const RegistryKey& key, std::ostream& out)
{
    return visitKeyTree(key, [&](const RegistryKey& visited) {
        out << visited.fullName() << '\n';
        const auto error = writeValueLines(visited, out);
        out << '\n';
        return error;
    });
}

[[nodiscard]] Win32Error writeOneValue(const RegistryKey& key, std::string_view name, std::ostream& out)
{
    const auto value = key.queryValue(name);
    if (!value.ok())
        return value.error();
    out << key.fullName() << '\n' << queryValueLine(value.value()) << '\n';
    return ERROR_SUCCESS;
}

// Every key of the tree that has the value, as a block of its own.
[[nodiscard]] Win32Error searchTree(const RegistryKey& key, std::string_view name, std::ostream& out)
{
    bool found = false;
    const auto error = visitKeyTree(key, [&](const RegistryKey& visited) {
        const auto value = visited.queryValue(name);
        if (value.error() == ERROR_FILE_NOT_FOUND)
            return ERROR_SUCCESS;
        if (!value.ok())
            return value.error();
        out << visited.fullName() << '\n' << queryValueLine(value.value()) << "\n\n";
        found = true;
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS)
        return error;
    return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

} // namespace

std::string queryValueLine(const RegistryValue& value)
{
    std::string line(column);
    line += value.name.empty() ? std::string_view("(Default)") : std::string_view(value.name);
    line += column;
    line += registryTypeName(value.type);
    line += column;
    line += formatQueryData(value);
    return line;
}

[[nodiscard]] Win32Error writeQuery(const RegistryKey& key, const QuerySelection& selection, std::ostream& out)
{
    if (selection.value == ValueChoice::None)
        return selection.recursive ? writeTree(key, out) : writeKey(key, out);
    const std::string_view name = selection.value == ValueChoice::Named ? selection.valueName : std::string_view();
    return selection.recursive ? searchTree(key, name, out) : writeOneValue(key, name, out);
}

} // namespace quillbrook::regtool
