// The editor of the write-back benchmark's sessions: it never touches its file (the benchmark
// saves the files itself) and stays until the process named on its command line has ended, so
// that no editor outlives the benchmark, however that ends.
//
//   write_back_idle_editor --until-pid PID FILE
#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3 || std::string(argv[1]) != "--until-pid")
        return 2;
    const long pid = std::strtol(argv[2], nullptr, 10);
    // A process that has already ended cannot be opened: then there is nothing to wait for.
    const long pidfd = syscall(SYS_pidfd_open, pid, 0);
    if (pid <= 0 || pidfd < 0)
        return 0;
    pollfd wait{static_cast<int>(pidfd), POLLIN, 0};
    while (poll(&wait, 1, -1) < 0 && errno == EINTR) {
    }
    return 0;
}
