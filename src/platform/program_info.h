// What every program answers to --help and --version, before it starts anything: the usage on
// standard output, or its name and Quillbrook's version.
#pragma once

#include <optional>
#include <string_view>

namespace quillbrook {

std::string_view quillbrookVersion();

// When the first argument is "--help" or "--version": prints `usage` or "PROGRAM VERSION" on
// standard output and returns the exit status 0. Nothing otherwise.
std::optional<int> answerInformationRequest(int argc, const char* const* argv, std::string_view program,
                                            std::string_view usage);

} // namespace quillbrook
