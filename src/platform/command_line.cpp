#include "platform/command_line.h"

#include "platform/program_search.h"

namespace quillbrook {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The end of the C runtime's argv[0] word that starts with a quoted program: quotes only toggle
// (no backslash rules there), and the word ends at the first blank outside quotes.
std::size_t endOfQuotedProgramWord(std::string_view line, std::size_t afterClosingQuote)
{
    bool quoted = false;
    std::size_t i = afterClosingQuote;
    for (; i < line.size() && (quoted || !isBlank(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
    }
    return i;
}

Win32Result<CommandLine> quotedProgram(const std::string& line)
{
    const std::size_t closing = line.find('"', 1);
    CommandLine command;
    command.program = line.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
    auto found = findProgram(command.program);
    if (!found.ok())
        return found.error();
    command.programFile = std::move(found).value();
    if (closing != std::string::npos)
        command.arguments = splitArguments(std::string_view(line).substr(endOfQuotedProgramWord(line, closing + 1)));
    return command;
}

Win32Result<CommandLine> unquotedProgram(const std::string& line)
{
    // When no prefix names a program, the first one's failure is the one a user can act on; the
    // longer prefixes only run into the arguments.
    Win32Error firstFailure = ERROR_SUCCESS;
    bool sawNotExecutable = false;
    for (std::size_t end = 0;; ++end) {
        if (end < line.size() && !isBlank(line[end]))
            continue;
        std::string program = line.substr(0, end);
        auto found = findProgram(program);
        if (found.ok()) {
            CommandLine command{std::move(program), std::move(found).value(), {}};
            command.arguments = splitArguments(std::string_view(line).substr(end));
            return command;
        }
        if (firstFailure == ERROR_SUCCESS)
            firstFailure = found.error();
        sawNotExecutable = sawNotExecutable || found.error() == ERROR_ACCESS_DENIED;
        if (end >= line.size())
            return sawNotExecutable ? ERROR_ACCESS_DENIED : firstFailure;
    }
}

} // namespace

Win32Result<CommandLine> parseCommandLine(const std::string& commandLine)
{
    if (!commandLine.empty() && commandLine.front() == '"')
        return quotedProgram(commandLine);
    return unquotedProgram(commandLine);
}

std::vector<std::string> splitArguments(std::string_view text)
{
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i == text.size())
            return arguments;
        std::string argument;
        bool quoted = false;
        while (i < text.size() && (quoted || !isBlank(text[i]))) {
            if (text[i] == '\\') {
                const std::size_t run = text.find_first_not_of('\\', i);
                const std::size_t count = (run == std::string_view::npos ? text.size() : run) - i;
                i += count;
                if (i < text.size() && text[i] == '"') {
                    argument.append(count / 2, '\\');
                    // An even run leaves the quote to act below; an odd one escapes it.
                    if (count % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(count, '\\');
                }
            } else if (text[i] == '"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += text[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

} // namespace quillbrook
