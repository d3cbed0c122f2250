#include "regtool/command_line.h"

#include "regtool/ascii.h"
#include "regtool/value_text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>

namespace quillbrook::regtool {
namespace {

struct OperationSyntax {
    std::string_view name;
    Operation operation;
    size_t positionals; // KEY, KEY FILE or FILE, always before the options
    std::array<std::string_view, 5> options;
};

constexpr std::array operationSyntax{
    OperationSyntax{"query", Operation::Query, 1, {"v", "ve", "s"}},
    OperationSyntax{"add", Operation::Add, 1, {"v", "ve", "t", "d", "f"}},
    OperationSyntax{"delete", Operation::Delete, 1, {"v", "ve", "va", "f"}},
    OperationSyntax{"export", Operation::Export, 2, {"y", "utf16"}},
    OperationSyntax{"import", Operation::Import, 1, {}},
};

bool takesArgument(std::string_view option)
{
    return option == "v" || option == "t" || option == "d";
}

bool isHelpRequest(std::string_view argument)
{
    return argument == "/?" || argument == "-?";
}

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// Everything after the operation's name.
class OptionReader {
public:
    OptionReader(const OperationSyntax& syntax, RegCommand& command) : syntax_(syntax), command_(command) {}

    std::string read(const std::vector<std::string>& arguments, size_t first)
    {
        for (size_t i = first; i < arguments.size(); ++i) {
            const std::string& argument = arguments[i];
            if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
                return "Invalid syntax: unexpected argument " + inQuotes(argument) + ".";
            const std::string option = asciiLower(std::string_view(argument).substr(1));
            if (std::find(syntax_.options.begin(), syntax_.options.end(), option) == syntax_.options.end())
                return "Invalid syntax: unknown option " + inQuotes(argument) + ".";
            if (!seen_.insert(option).second)
                return "Invalid syntax: the option " + inQuotes(argument) + " is given twice.";
            std::string_view value;
            if (takesArgument(option)) {
                if (++i == arguments.size())
                    return "Invalid syntax: the option " + inQuotes(argument) + " needs an argument.";
                value = arguments[i];
            }
            apply(option, value);
        }
        return {};
    }

    bool seen(std::string_view option) const { return seen_.contains(std::string(option)); }
    const std::string& typeName() const { return typeName_; }

private:
    void apply(std::string_view option, std::string_view value)
    {
        if (option == "v") {
            command_.value = ValueChoice::Named;
            command_.valueName = value;
        } else if (option == "ve") {
            command_.value = ValueChoice::Default;
        } else if (option == "va") {
            command_.value = ValueChoice::All;
        } else if (option == "s") {
            command_.recursive = true;
        } else if (option == "t") {
            typeName_ = value;
        } else if (option == "d") {
            command_.data = value;
        } else if (option == "f" || option == "y") {
            command_.force = true;
        } else if (option == "utf16") {
            command_.encoding = RegFileEncoding::Utf16;
        }
    }

    const OperationSyntax& syntax_;
    RegCommand& command_;
    std::set<std::string> seen_;
    std::string typeName_ = "REG_SZ";
};

std::string checkAddData(RegCommand& command, const OptionReader& options)
{
    if ((options.seen("t") || options.seen("d")) && command.value == ValueChoice::None)
        return "Invalid syntax: /t and /d need /v or /ve.";
    const auto type = parseAddType(options.typeName());
    if (!type)
        return "Invalid type " + inQuotes(options.typeName()) + ".";
    command.type = *type;
    const auto data = encodeAddData(command.type, command.data);
    if (!data)
        return "Invalid data " + inQuotes(command.data) + " for " + registryTypeName(command.type) + ".";
    command.data = *data;
    return {};
}

std::string parseOperation(const OperationSyntax& syntax, const std::vector<std::string>& arguments,
                           RegCommand& command)
{
    if (arguments.size() < 1 + syntax.positionals)
        return "Invalid syntax: " + std::string(syntax.operation == Operation::Import ? "a file name" : "a key name")
               + " is missing.";
    if (syntax.operation == Operation::Import) {
        command.file = arguments[1];
    } else {
        command.keyName = arguments[1];
        const auto key = parseKeyPath(command.keyName);
        if (!key)
            return "Invalid key name " + inQuotes(command.keyName) + ".";
        command.key = *key;
        if (syntax.operation == Operation::Export)
            command.file = arguments[2];
    }

    OptionReader options(syntax, command);
    if (auto error = options.read(arguments, 1 + syntax.positionals); !error.empty())
        return error;
    if (options.seen("v") + options.seen("ve") + options.seen("va") > 1)
        return "Invalid syntax: /v, /ve and /va exclude each other.";
    if (syntax.operation == Operation::Add)
        return checkAddData(command, options);
    return {};
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    if (arguments.empty()) {
        parsed.error = "Invalid syntax: no operation is given.";
        return parsed;
    }
    if (isHelpRequest(arguments[0]))
        return parsed;
    const std::string name = asciiLower(arguments[0]);
    const auto syntax = std::find_if(operationSyntax.begin(), operationSyntax.end(),
                                     [&](const OperationSyntax& s) { return s.name == name; });
    if (syntax == operationSyntax.end()) {
        parsed.error = "Invalid operation " + inQuotes(arguments[0]) + ".";
        return parsed;
    }
    if (arguments.size() > 1 && isHelpRequest(arguments[1]))
        return parsed;
    parsed.command.operation = syntax->operation;
    parsed.error = parseOperation(*syntax, arguments, parsed.command);
    return parsed;
}

std::string_view usageText()
{
    return "Usage:\n"
           "  quillbrook-reg query KEY [/v NAME | /ve] [/s]\n"
           "  quillbrook-reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
           "  quillbrook-reg delete KEY [/v NAME | /ve | /va] [/f]\n"
           "  quillbrook-reg export KEY FILE [/y] [/utf16]\n"
           "  quillbrook-reg import FILE\n"
           "\n"
           "KEY is HKEY_CURRENT_USER (HKCU) or HKEY_CLASSES_ROOT (HKCR), then \\Path\\Below\\It.\n"
           "TYPE is REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ (DATA separated by \\0),\n"
           "REG_DWORD, REG_QWORD, REG_BINARY or REG_NONE (hex digits).\n"
           "/f and /y answer every question with yes.\n"
           "/utf16 exports in UTF-16LE, as the original platform does, instead of UTF-8.\n";
}

} // namespace quillbrook::regtool
