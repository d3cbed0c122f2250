#include "regtool/regtool.h"

#include "regtool/ascii.h"
#include "regtool/command_line.h"
#include "regtool/error_text.h"
#include "regtool/export_writer.h"
#include "regtool/file_encoding.h"
#include "regtool/import_plan.h"
#include "regtool/key_tree.h"
#include "regtool/query.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

namespace quillbrook::regtool {
namespace {

constexpr std::string_view completed = "The operation completed successfully.";
constexpr std::string_view cancelled = "The operation was cancelled by the user.";

std::string displayedValueName(const RegCommand& command)
{
    return command.value == ValueChoice::Named ? command.valueName : "(Default)";
}

std::string fileError(const std::string& file)
{
    return describeWin32Error(win32ErrorFromErrno(errno, file));
}

class RegTool {
public:
    explicit RegTool(Console console) : console_(console) {}

    int run(const std::vector<std::string>& arguments)
    {
        const auto parsed = parseCommandLine(arguments);
        const RegCommand& command = parsed.command;
        if (!parsed.error.empty()) {
            if (command.operation == Operation::Usage)
                console_.out << usageText();
            return fail(parsed.error);
        }
        switch (command.operation) {
        case Operation::Usage: console_.out << usageText(); return 0;
        case Operation::Query: return query(command);
        case Operation::Add: return add(command);
        case Operation::Delete: return remove(command);
        case Operation::Export: return exportKey(command);
        case Operation::Import: return import(command);
        }
        return 1;
    }

private:
    int fail(std::string_view problem)
    {
        console_.err << "ERROR: " << problem << std::endl;
        return 1;
    }

    int failOnError(Win32Error error)
    {
        return error == ERROR_SUCCESS ? succeed() : fail(describeRegistryError(error));
    }

    int succeed()
    {
        console_.out << completed << std::endl;
        return 0;
    }

    // Yes or y, in any case, is the only yes; end of input is a no.
    bool confirm(const std::string& question)
    {
        console_.out << question << std::flush;
        std::string answer;
        if (!std::getline(console_.in, answer))
            return false;
        const auto first = answer.find_first_not_of(" \t\r");
        const auto last = answer.find_last_not_of(" \t\r");
        answer = first == std::string::npos ? std::string() : asciiLower(answer.substr(first, last - first + 1));
        return answer == "yes" || answer == "y";
    }

    int query(const RegCommand& command)
    {
        const auto key = openKey(command.key, KEY_READ);
        if (!key.ok())
            return fail(describeRegistryError(key.error()));
        const auto error = writeQuery(key.value(), {command.value, command.valueName, command.recursive}, console_.out);
        console_.out.flush();
        return error == ERROR_SUCCESS ? 0 : fail(describeRegistryError(error));
    }

    int add(const RegCommand& command)
    {
        auto key = createKey(command.key, KEY_ALL_ACCESS);
        if (!key.ok())
            return fail(describeRegistryError(key.error()));
        if (command.value == ValueChoice::None)
            return succeed();
        const std::string_view name = command.value == ValueChoice::Named ? command.valueName : std::string_view();
        if (!command.force && key.value().valueExists(name)
            && !confirm("Value " + displayedValueName(command) + " exists, overwrite(Yes/No)? "))
            return fail(cancelled);
        return failOnError(key.value().setValue(name, command.type, command.data));
    }

    int remove(const RegCommand& command)
    {
        if (command.value == ValueChoice::None && command.key.path.empty())
            return fail("The root key " + command.keyName + " cannot be deleted.");
        auto key = openKey(command.key, KEY_ALL_ACCESS);
        if (!key.ok())
            return fail(describeRegistryError(key.error()));
        switch (command.value) {
        case ValueChoice::None: return removeKey(command);
        case ValueChoice::All: return removeAllValues(command, key.value());
        case ValueChoice::Named:
        case ValueChoice::Default: break;
        }
        const std::string_view name = command.value == ValueChoice::Named ? command.valueName : std::string_view();
        if (!key.value().valueExists(name))
            return fail(missingKeyOrValue);
        if (!command.force && !confirm("Delete the registry value " + displayedValueName(command) + " (Yes/No)? "))
            return fail(cancelled);
        return failOnError(key.value().deleteValue(name));
    }

    int removeKey(const RegCommand& command)
    {
        if (!command.force && !confirm("Permanently delete the registry key " + command.keyName + " (Yes/No)? "))
            return fail(cancelled);
        auto root = openKey({command.key.root, {}}, KEY_ALL_ACCESS);
        if (!root.ok())
            return fail(describeRegistryError(root.error()));
        return failOnError(root.value().deleteTree(command.key.path));
    }

    int removeAllValues(const RegCommand& command, RegistryKey& key)
    {
        if (!command.force && !confirm("Delete all values under the registry key " + command.keyName + " (Yes/No)? "))
            return fail(cancelled);
        const auto values = readValues(key);
        if (!values.ok())
            return fail(describeRegistryError(values.error()));
        for (const auto& value : values.value()) {
            if (const auto error = key.deleteValue(value.name); error != ERROR_SUCCESS)
                return fail(describeRegistryError(error));
        }
        return succeed();
    }

    int exportKey(const RegCommand& command)
    {
        const auto key = openKey(command.key, KEY_READ);
        if (!key.ok())
            return fail(describeRegistryError(key.error()));
        std::ostringstream text;
        const auto failure = writeExport(key.value(), text);
        if (!failure.problem.empty())
            return fail(failure.problem);
        if (failure.error != ERROR_SUCCESS)
            return fail(describeRegistryError(failure.error));
        std::error_code ignored;
        if (!command.force && std::filesystem::exists(command.file, ignored)
            && !confirm("File " + command.file + " already exists. Overwrite (Yes/No)? "))
            return fail(cancelled);
        errno = 0;
        std::ofstream file(command.file, std::ios::binary | std::ios::trunc);
        if (!file)
            return fail(fileError(command.file));
        file << encodeRegFile(text.view(), command.encoding);
        file.close();
        if (!file)
            return fail(fileError(command.file));
        return succeed();
    }

    int import(const RegCommand& command)
    {
        errno = 0;
        std::ifstream file(command.file, std::ios::binary);
        if (!file)
            return fail(fileError(command.file));
        std::ostringstream content;
        content << file.rdbuf();
        const auto plan = parseImportFile(content.view());
        const auto where = [&](size_t line) { return "Line " + std::to_string(line) + " of " + command.file + ": "; };
        if (!plan.error.empty())
            return fail(where(plan.errorLine) + plan.error + ".");
        const auto failure = applyImportPlan(plan);
        if (failure.error != ERROR_SUCCESS)
            return fail(where(failure.line) + describeRegistryError(failure.error));
        return succeed();
    }

    Console console_;
};

} // namespace

int runRegTool(const std::vector<std::string>& arguments, Console console)
{
    return RegTool(console).run(arguments);
}

} // namespace quillbrook::regtool
