// Runs the real quillbrook-reg program in a private home and checks what a script would see:
// the exit status, standard output and the "ERROR:" line on standard error.
#include "support/temporary_home.h"
#include "utf16_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace quillbrook::regtool {
namespace {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Owns the redirections of one spawn.
class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    void open(int fd, const std::string& path, int flags)
    {
        paths_.push_back(path);
        posix_spawn_file_actions_addopen(&actions_, fd, paths_.back().c_str(), flags, 0600);
    }
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
    std::vector<std::string> paths_{};
};

class RegEndToEnd : public ::testing::Test {
protected:
    ProgramRun run(std::vector<std::string> arguments, const std::string& input = {})
    {
        const auto folder = home_.root();
        std::ofstream(folder / "stdin", std::ios::binary) << input;
        FileActions actions;
        actions.open(0, (folder / "stdin").string(), O_RDONLY);
        actions.open(1, (folder / "stdout").string(), O_WRONLY | O_CREAT | O_TRUNC);
        actions.open(2, (folder / "stderr").string(), O_WRONLY | O_CREAT | O_TRUNC);

        arguments.insert(arguments.begin(), QUILLBROOK_REG_PROGRAM);
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);

        ProgramRun result;
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], actions.get(), nullptr, argv.data(), environ) != 0)
            return result;
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.status = WEXITSTATUS(status);
        result.out = read(folder / "stdout");
        result.err = read(folder / "stderr");
        return result;
    }

    static std::string read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }

    testing::TemporaryHome home_;
};

TEST_F(RegEndToEnd, ReportsSuccessAndFailureThroughTheExitStatus)
{
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string out;
    } steps[] = {
        {{"add", "HKCU\\Software\\E2E", "/v", "Count", "/t", "REG_DWORD", "/d", "42"},
         "",
         0,
         "The operation completed successfully.\n"},
        {{"query", "hkcu\\software\\e2e"}, "", 0, "HKEY_CURRENT_USER\\Software\\E2E\n    Count    REG_DWORD    0x2a\n"},
        {{"add", "HKCU\\Software\\E2E", "/v", "Count", "/d", "x"}, "n\n", 1, "Value Count exists, overwrite(Yes/No)? "},
        {{"query", "HKCU\\Software\\E2E", "/v", "Missing"}, "", 1, ""},
        {{"query", "HKLM\\Software"}, "", 1, ""},
        {{"query", "HKCU\\Software\\E2E", "/bogus"}, "", 1, ""},
        {{"delete", "HKCU\\Software\\E2E", "/f"}, "", 0, "The operation completed successfully.\n"},
        {{"query", "HKCU\\Software\\E2E"}, "", 1, ""},
    };
    for (const auto& step : steps) {
        std::string name;
        for (const auto& argument : step.arguments)
            name += argument + " ";
        const auto result = run(step.arguments, step.input);
        EXPECT_EQ(result.status, step.status) << name;
        EXPECT_EQ(result.out, step.out) << name;
        if (step.status == 0) {
            EXPECT_EQ(result.err, "") << name;
        } else {
            EXPECT_TRUE(result.err.starts_with("ERROR: ") && result.err.ends_with(".\n")) << name << result.err;
        }
    }
}

TEST_F(RegEndToEnd, ShowsUsage)
{
    const auto asked = run({"/?"});
    EXPECT_EQ(asked.status, 0);
    EXPECT_TRUE(asked.out.starts_with("Usage:")) << asked.out;
    EXPECT_EQ(asked.err, "");

    const auto bare = run({});
    EXPECT_EQ(bare.status, 1);
    EXPECT_TRUE(bare.out.starts_with("Usage:")) << bare.out;
    EXPECT_TRUE(bare.err.starts_with("ERROR: ")) << bare.err;
}

TEST_F(RegEndToEnd, ExportedFileImportsBack)
{
    const auto file = (home_.root() / "tree.reg").string();
    ASSERT_EQ(run({"add", "HKCU\\Software\\E2E\\Sub", "/v", "Text", "/d", "hello"}).status, 0);
    ASSERT_EQ(run({"export", "HKCU\\Software\\E2E", file}).status, 0);
    ASSERT_EQ(run({"delete", "HKCU\\Software\\E2E", "/f"}).status, 0);
    const auto imported = run({"import", file});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(
        run({"query", "HKCU\\Software\\E2E", "/s"}).out,
        "HKEY_CURRENT_USER\\Software\\E2E\n\nHKEY_CURRENT_USER\\Software\\E2E\\Sub\n    Text    REG_SZ    hello\n\n");
}

TEST_F(RegEndToEnd, ImportsAUtf16FileOfTheOriginalRegistryEditor)
{
    home_.setEnvironment("LC_ALL", "C.UTF-8");
    const auto file = (home_.root() / "win.reg").string();
    std::ofstream(file, std::ios::binary) << utf16leFile(u"Windows Registry Editor Version 5.00\r\n"
                                                         u"\r\n"
                                                         u"[HKEY_CURRENT_USER\\Software\\E2E]\r\n"
                                                         u"\"Caf\u00E9\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                                                         u"\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                                                         u"\r\n");
    const auto imported = run({"import", file});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(run({"query", "HKCU\\Software\\E2E"}).out, "HKEY_CURRENT_USER\\Software\\E2E\n"
                                                         "    Café    REG_EXPAND_SZ    %A%\n"
                                                         "    List    REG_MULTI_SZ    a\\0b\n");
}

} // namespace
} // namespace quillbrook::regtool
