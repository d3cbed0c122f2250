#include "platform/program_info.h"

#include <cstdio>

namespace quillbrook {

std::string_view quillbrookVersion()
{
    return QUILLBROOK_VERSION;
}

std::optional<int> answerInformationRequest(int argc, const char* const* argv, std::string_view program,
                                            std::string_view usage)
{
    if (argc < 2)
        return std::nullopt;
    const std::string_view request = argv[1];
    if (request == "--help")
        std::fwrite(usage.data(), 1, usage.size(), stdout);
    else if (request == "--version")
        std::printf("%.*s %.*s\n", static_cast<int>(program.size()), program.data(),
                    static_cast<int>(quillbrookVersion().size()), quillbrookVersion().data());
    else
        return std::nullopt;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace quillbrook
