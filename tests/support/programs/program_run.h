// Running a real program of the project to its end, as a script would: its exit status, standard
// output and standard error, with a deadline after which it is killed.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace quillbrook::testing {

struct ProgramRun {
    int status = -1; // the exit status; -1 when it did not exit by itself in time
    std::string out;
    std::string err;
};

// `argv[0]` is the program's path; output goes through files in `scratchFolder`.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::filesystem::path& scratchFolder,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20));

std::string readWholeFile(const std::filesystem::path& path);

} // namespace quillbrook::testing
