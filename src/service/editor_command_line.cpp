#include "service/editor_command_line.h"

#include <cstdlib>
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

std::vector<std::pair<std::string, std::string>> editorEnvironmentDefaults()
{
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    if (!wayland || !*wayland || !x11 || !*x11)
        return {};
    return {{"GDK_BACKEND", "x11"}, {"QT_QPA_PLATFORM", "xcb"}};
}

} // namespace quillbrook
