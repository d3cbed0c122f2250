#include "platform/process.h"

#include "platform/child_output.h"
#include "platform/child_reaper.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/temporary_home.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using quillbrook::testing::TemporaryHome;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string probe = QUILLBROOK_PROCESS_PROBE;

Lines readLines(const fs::path& file)
{
    Lines lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Puts `replacement` in place of this process's descriptor `target` until destruction, so that a
// child started meanwhile inherits it.
class ScopedDescriptor {
public:
    ScopedDescriptor(int target, int replacement) : target_(target), saved_(fcntl(target, F_DUPFD_CLOEXEC, 3))
    {
        dup2(replacement, target_);
    }
    ~ScopedDescriptor()
    {
        if (saved_ >= 0) {
            dup2(saved_, target_);
            close(saved_);
        } else {
            close(target_);
        }
    }
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;

private:
    int target_;
    int saved_;
};

class ProcessTest : public ::testing::Test {
protected:
    ProcessTest() { home_.setEnvironment("QUILLBROOK_PROBE_RECORD", record().string()); }

    fs::path record() const { return home_.root() / "record"; }

    // Starts the probe with its standard input a pipe that only the test can write to; the probe
    // reads it until the test closes the pipe with releaseChild().
    Win32Result<ChildProcess> startHeldProbe()
    {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return ERROR_GEN_FAILURE;
        holdingEnd_ = ends[1];
        home_.setEnvironment("QUILLBROOK_PROBE_HOLD", "1");
        auto started = [&] {
            const ScopedDescriptor input(STDIN_FILENO, ends[0]);
            return startProcess(probe);
        }();
        close(ends[0]);
        home_.setEnvironment("QUILLBROOK_PROBE_HOLD", std::nullopt);
        return started;
    }
    void releaseChild()
    {
        if (holdingEnd_ >= 0)
            close(std::exchange(holdingEnd_, -1));
    }
    ~ProcessTest() override { releaseChild(); }

    TemporaryHome home_;
    StopEvent stop_;
    int holdingEnd_ = -1;
};

TEST_F(ProcessTest, StartsTheProgramWithItsArgumentsAndWaitsForItsEnd)
{
    home_.setEnvironment("QUILLBROOK_PROBE_EXIT", "7");
    auto started = startProcess(R"(process_probe "a b" c\"d "")");
    ASSERT_TRUE(started.ok()) << started.error();
    ChildProcess& child = started.value();
    EXPECT_GT(child.pid(), 0);
    EXPECT_EQ(child.waitForEndOrStop(stop_), ChildProcess::Wait::Ended);
    EXPECT_TRUE(child.hasEnded());
    EXPECT_EQ(child.exitStatus(), 7);
    EXPECT_EQ(readLines(record()), (Lines{"process_probe", "a b", "c\"d", ""}));
}

TEST_F(ProcessTest, ChildInheritsOnlyTheStandardDescriptors)
{
    const int inheritable = open("/dev/null", O_RDONLY);
    ASSERT_GE(inheritable, 3);
    const fs::path descriptors = home_.root() / "descriptors";
    home_.setEnvironment("QUILLBROOK_PROBE_DESCRIPTORS", descriptors.string());
    auto started = startProcess(probe);
    close(inheritable);
    ASSERT_TRUE(started.ok()) << started.error();
    ASSERT_EQ(started.value().waitForEndOrStop(stop_), ChildProcess::Wait::Ended);
    EXPECT_EQ(readLines(descriptors), (Lines{"0 1 2"}));
}

TEST_F(ProcessTest, RelaysStandardErrorKeepingItsTailAndFillsOnlyMissingVariables)
{
    home_.setEnvironment("GDK_BACKEND", std::nullopt);
    home_.setEnvironment("QT_QPA_PLATFORM", "wayland");
    const fs::path seen = home_.root() / "seen";
    const fs::path passedOn = home_.root() / "passed-on";
    StartOptions options;
    options.environmentDefaults = {{"GDK_BACKEND", "x11"}, {"QT_QPA_PLATFORM", "xcb"}};
    options.standardErrorTail = std::make_shared<OutputTail>();
    const int errors = open(passedOn.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    {
        const ScopedDescriptor standardError(STDERR_FILENO, errors);
        auto started =
            startProcess("/bin/sh -c \"echo $GDK_BACKEND $QT_QPA_PLATFORM > '" + seen.string()
                             + "'; head -c 5000 /dev/zero | tr '\\0' x >&2; printf '\\nlast words\\r\\n \\n' >&2;"
                               " exit 3\"",
                         options);
        ASSERT_TRUE(started.ok()) << started.error();
        ASSERT_EQ(started.value().waitForEndOrStop(stop_), ChildProcess::Wait::Ended);
        EXPECT_EQ(started.value().exitStatus(), 3);
        ASSERT_TRUE(options.standardErrorTail->waitForEnd(10s));
    }
    close(errors);
    EXPECT_EQ(readLines(seen), Lines{"x11 wayland"});
    EXPECT_EQ(options.standardErrorTail->lastLine(), "last words");
    EXPECT_EQ(options.standardErrorTail->text().size(), OutputTail::kKeptBytes);
    EXPECT_EQ(fs::file_size(passedOn), 5000u + 15u);
}

TEST(OutputTail, LastLineSkipsBlankLinesAndLineEnds)
{
    struct Case {
        std::string written;
        std::string lastLine;
    };
    const Case cases[] = {
        {"", ""},
        {"\n\n", ""},
        {"only", "only"},
        {"first\nsecond", "second"},
        {"first\nsecond\r\n\t \n\n", "second"},
        {"  indented  \n", "  indented  "},
    };
    for (const Case& c : cases) {
        OutputTail tail;
        tail.append(c.written);
        EXPECT_EQ(tail.lastLine(), c.lastLine) << c.written;
    }
}

TEST_F(ProcessTest, ReportsStartFailures)
{
    const fs::path garbage = home_.root() / "garbage";
    std::ofstream(garbage) << "neither a program nor a script\n";
    fs::permissions(garbage, fs::perms::owner_all);
    const fs::path text = home_.root() / "text";
    std::ofstream(text) << "x";
    struct Case {
        const char* name;
        std::string commandLine;
        Win32Error expected;
    };
    const Case cases[] = {
        {"empty command line", "", ERROR_FILE_NOT_FOUND},
        {"missing program", (home_.root() / "missing").string(), ERROR_FILE_NOT_FOUND},
        {"not executable", text.string(), ERROR_ACCESS_DENIED},
        {"not a valid program", garbage.string() + " a", ERROR_BAD_EXE_FORMAT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(startProcess(c.commandLine).error(), c.expected) << c.name;
}

TEST_F(ProcessTest, WaitEndsWhenStopIsSetFromAnotherThread)
{
    auto started = startHeldProbe();
    ASSERT_TRUE(started.ok()) << started.error();
    const ChildProcess& child = started.value();
    std::thread stopper([this] { stop_.set(); });
    EXPECT_EQ(child.waitForEndOrStop(stop_), ChildProcess::Wait::Stopped);
    stopper.join();
    EXPECT_FALSE(child.hasEnded());
    EXPECT_EQ(child.exitStatus(), std::nullopt);

    // Once the child has ended, its end wins over the stop that is still set.
    releaseChild();
    pollfd end{child.pidfd(), POLLIN, 0};
    ASSERT_EQ(poll(&end, 1, -1), 1);
    EXPECT_EQ(child.waitForEndOrStop(stop_), ChildProcess::Wait::Ended);
    EXPECT_EQ(child.exitStatus(), 0);
}

TEST_F(ProcessTest, WaitTimesOutWhileTheChildRuns)
{
    auto started = startHeldProbe();
    ASSERT_TRUE(started.ok()) << started.error();
    EXPECT_EQ(started.value().waitForEndOrStop(stop_, 20ms), ChildProcess::Wait::TimedOut);
    EXPECT_EQ(started.value().waitForEndOrStop(stop_, 0ms), ChildProcess::Wait::TimedOut);
}

TEST_F(ProcessTest, EmptyChildCountsAsEnded)
{
    const ChildProcess none;
    stop_.set();
    EXPECT_FALSE(none.valid());
    EXPECT_TRUE(none.hasEnded());
    EXPECT_EQ(none.waitForEndOrStop(stop_), ChildProcess::Wait::Ended);
    EXPECT_EQ(none.exitStatus(), std::nullopt);
}

// A child is our zombie until reaped: waitid with WNOWAIT sees it without reaping it, and fails
// with ECHILD once it is gone.
bool stillOurs(pid_t pid)
{
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

TEST_F(ProcessTest, ChildLetGoWhileRunningIsReapedWhenItEnds)
{
    auto started = startHeldProbe();
    ASSERT_TRUE(started.ok()) << started.error();
    const pid_t pid = started.value().pid();
    {
        const ChildProcess letGo = std::move(started).value();
    }
    ASSERT_TRUE(stillOurs(pid)) << "the reaper took a child that still runs";

    releaseChild();
    ASSERT_TRUE(childReaper().waitUntilNoneLeft(10s));
    EXPECT_FALSE(stillOurs(pid));
    EXPECT_EQ(errno, ECHILD);
}

// notepad.exe from the build tree's system folder, with the environment under the test's control.
class DefaultEditorTest : public ProcessTest {
protected:
    DefaultEditorTest()
    {
        for (const char* name :
             {"QUILLBROOK_SYSTEM_FOLDER", "QUILLBROOK_EDITOR", "VISUAL", "EDITOR", "WAYLAND_DISPLAY"})
            home_.setEnvironment(name, std::nullopt);
        home_.setEnvironment("DISPLAY", ":99");
    }

    // Makes PATH a fresh folder holding the probe under each of `names`, and an xdg-mime that
    // names `defaultEditor` as the desktop's editor for plain text when there is one.
    void install(const std::vector<std::string>& names, const std::optional<std::string>& defaultEditor = {})
    {
        const fs::path folder = home_.root() / ("path" + std::to_string(++installations_));
        fs::create_directories(folder);
        for (const std::string& name : names)
            fs::create_symlink(probe, folder / name);
        if (defaultEditor) {
            std::ofstream(folder / "xdg-mime") << "#!/bin/sh\necho " << *defaultEditor << "\n";
            fs::permissions(folder / "xdg-mime", fs::perms::owner_all);
        }
        home_.setEnvironment("PATH", folder.string());
    }

    // Runs notepad.exe on `file` to its end; its standard error goes to a file.
    std::optional<int> runNotepad()
    {
        fs::remove(record());
        const int errors = open(errorsFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        auto started = [&] {
            const ScopedDescriptor standardError(STDERR_FILENO, errors);
            return startProcess("notepad.exe \"" + file() + "\"");
        }();
        close(errors);
        if (!started.ok() || started.value().waitForEndOrStop(stop_) != ChildProcess::Wait::Ended)
            return std::nullopt;
        return started.value().exitStatus();
    }

    std::string file() const { return (home_.root() / "a file.txt").string(); }
    fs::path errorsFile() const { return home_.root() / "errors"; }

    int installations_ = 0;
};

TEST_F(DefaultEditorTest, RunsQuillbrookEditorOnTheFile)
{
    home_.setEnvironment("QUILLBROOK_EDITOR", probe + " --from-variable *");
    home_.setEnvironment("QUILLBROOK_PROBE_EXIT", "3");
    EXPECT_EQ(runNotepad(), 3);
    EXPECT_EQ(readLines(record()), (Lines{probe, "--from-variable", "*", file()}));
}

TEST_F(DefaultEditorTest, RunsAnEditorInAProcessAndWindowOfItsOwn)
{
    struct Case {
        std::vector<std::string> installed;
        std::optional<std::string> editorVariable;
        Lines expected; // the file follows
        std::optional<std::string> defaultEditor = {};
    };
    const Case cases[] = {
        {{"gnome-text-editor"}, {}, {"gnome-text-editor", "--standalone"}},
        {{"gedit"}, {}, {"gedit", "--standalone"}},
        {{"kate"}, {}, {"kate", "-n", "--block"}},
        {{"xed"}, {}, {"xed", "--standalone"}},
        {{"mousepad"}, {}, {"mousepad", "--disable-server"}},
        {{"featherpad"}, {}, {"featherpad", "--standalone"}},
        {{"geany"}, {}, {"geany", "-i"}},
        {{"gvim"}, {}, {"gvim", "-f"}},
        {{"emacs", "emacs-gtk"}, {}, {"emacs"}},
        {{"leafpad"}, {}, {"leafpad"}},
        {{"xedit"}, {}, {"xedit"}},
        {{"xedit", "kate", "gedit"}, {}, {"gedit", "--standalone"}},
        {{"xedit", "gnome-text-editor", "xterm", "nano"}, {}, {"gnome-text-editor", "--standalone"}},
        // Its window is always another process's, and emacs-nox has no window at all.
        {{"code", "xterm", "nano"}, {}, {"xterm", "-e", "nano"}},
        {{"emacs", "xterm", "nano"}, {}, {"xterm", "-e", "nano"}},
        {{"xterm", "nano", "vi"}, {}, {"xterm", "-e", "nano"}},
        {{"xterm", "vi"}, {}, {"xterm", "-e", "vi"}},
        {{"xterm", "nano"}, "vim -p", {"xterm", "-e", "vim", "-p"}},
        {{"gnome-terminal", "nano"}, {}, {"gnome-terminal", "--wait", "--", "nano"}},
        // The desktop's own choice first, when its editor is known and there.
        {{"gedit", "mousepad"}, {}, {"mousepad", "--disable-server"}, "org.xfce.mousepad.desktop"},
        {{"gedit", "kate"}, {}, {"kate", "-n", "--block"}, "org.kde.kate.desktop"},
        {{"gedit"}, {}, {"gedit", "--standalone"}, "org.xfce.mousepad.desktop"},
        {{"gedit", "code"}, {}, {"gedit", "--standalone"}, "code.desktop"},
    };
    for (const Case& c : cases) {
        const std::string name = c.installed.front() + " among " + std::to_string(c.installed.size()) + ", default "
                                 + c.defaultEditor.value_or("none");
        install(c.installed, c.defaultEditor);
        home_.setEnvironment("EDITOR", c.editorVariable);
        EXPECT_EQ(runNotepad(), 0) << name;
        Lines expected = c.expected;
        expected.push_back(file());
        EXPECT_EQ(readLines(record()), expected) << name;
    }
}

TEST_F(DefaultEditorTest, FailsWithAClearMessageWhenNoEditorCanRun)
{
    struct Case {
        const char* name;
        std::vector<std::string> installed;
        bool display;
        const char* message;
    };
    const Case cases[] = {
        {"no display", {"gedit"}, false, "no graphical display"},
        {"nothing installed", {}, true, "no text editor found"},
        {"a terminal editor without a terminal", {"nano"}, true, "no text editor found"},
    };
    for (const Case& c : cases) {
        install(c.installed);
        home_.setEnvironment("DISPLAY", c.display ? std::optional<std::string>(":99") : std::nullopt);
        EXPECT_EQ(runNotepad(), 127) << c.name;
        EXPECT_FALSE(fs::exists(record())) << c.name;
        std::ifstream in(errorsFile());
        const std::string errors{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(errors.find(c.message), std::string::npos) << c.name << ": " << errors;
        EXPECT_NE(errors.find("QUILLBROOK_EDITOR"), std::string::npos) << c.name;
    }
}

} // namespace
} // namespace quillbrook
