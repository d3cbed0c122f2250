// A child for the process tests, told what to do through its environment so that its command line
// is only the data under test:
//   QUILLBROOK_PROBE_RECORD       file to write argv to, one argument a line
//   QUILLBROOK_PROBE_DESCRIPTORS  file to write the numbers of its open descriptors to, one line
//   QUILLBROOK_PROBE_HOLD         when set, read standard input until it closes before exiting
//   QUILLBROOK_PROBE_EXIT         exit status (0 without)
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {

std::string openDescriptors()
{
    std::string list;
    DIR* folder = opendir("/proc/self/fd");
    if (!folder)
        return "unreadable";
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || std::stoi(name) == dirfd(folder))
            continue;
        list += (list.empty() ? "" : " ") + name;
    }
    closedir(folder);
    return list;
}

void writeLines(const char* file, int count, const char* const* lines)
{
    if (FILE* out = std::fopen(file, "w")) {
        for (int i = 0; i < count; ++i)
            std::fprintf(out, "%s\n", lines[i]);
        std::fclose(out);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* file = std::getenv("QUILLBROOK_PROBE_DESCRIPTORS")) {
        const std::string descriptors = openDescriptors();
        const char* line = descriptors.c_str();
        writeLines(file, 1, &line);
    }
    if (const char* file = std::getenv("QUILLBROOK_PROBE_RECORD"))
        writeLines(file, argc, argv);
    if (std::getenv("QUILLBROOK_PROBE_HOLD")) {
        char buffer[64];
        while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
        }
    }
    const char* status = std::getenv("QUILLBROOK_PROBE_EXIT");
    return status ? std::atoi(status) : 0;
}
