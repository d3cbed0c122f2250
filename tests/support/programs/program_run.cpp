#include "support/programs/program_run.h"

#include "support/x11/test_child_process.h"

#include <fcntl.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

namespace quillbrook::testing {

ProgramRun runProgram(const std::vector<std::string>& argv, const std::filesystem::path& scratchFolder,
                      std::chrono::milliseconds timeout)
{
    const auto outPath = scratchFolder / "program.out";
    const auto errPath = scratchFolder / "program.err";
    ProgramRun run;
    {
        const OwnedFd input(open("/dev/null", O_RDONLY | O_CLOEXEC));
        const OwnedFd out(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        const OwnedFd err(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        TestChildProcess child(argv, {{0, input.get()}, {1, out.get()}, {2, err.get()}});
        const auto status = child.waitForExit(timeout);
        if (status && WIFEXITED(*status))
            run.status = WEXITSTATUS(*status);
    }
    run.out = readWholeFile(outPath);
    run.err = readWholeFile(errPath);
    return run;
}

std::string readWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace quillbrook::testing
