#include "service/editor_command_line.h"

#include <string_view>

namespace quillbrook {
namespace {

constexpr std::string_view kFilePathPlaceholder = "%filepath%";

} // namespace

std::string buildEditorCommandLine(const std::string& program, std::string arguments,
                                   const std::string& temporaryFilePath)
{
    if (arguments.find(kFilePathPlaceholder) == std::string::npos) {
        if (!arguments.empty() && arguments.back() != ' ')
            arguments += ' ';
        arguments += '"';
        arguments += kFilePathPlaceholder;
        arguments += '"';
    }
    std::string expanded;
    std::size_t position = 0;
    for (std::size_t found; (found = arguments.find(kFilePathPlaceholder, position)) != std::string::npos;
         position = found + kFilePathPlaceholder.size()) {
        expanded.append(arguments, position, found - position);
        expanded += temporaryFilePath;
    }
    expanded.append(arguments, position);
    return program + " " + expanded;
}

} // namespace quillbrook
