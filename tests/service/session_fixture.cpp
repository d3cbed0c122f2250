#include "session_fixture.h"

#include "support/fresh_settings.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbrook::testing {

EditorControl::EditorControl(const std::filesystem::path& folder)
    : fifo_(folder / "editor-control"), log_(folder / "editor-log")
{
    mkfifo(fifo_.c_str(), 0600);
    // Read and write, so that neither side blocks on open; the editor sees the end once this
    // descriptor closes.
    fd_ = ::open(fifo_.c_str(), O_RDWR | O_CLOEXEC);
}

EditorControl::~EditorControl()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string EditorControl::arguments() const
{
    return "--control \"" + fifo_.string() + "\" --log \"" + log_.string() + "\"";
}

void EditorControl::send(const std::string& verb, const std::string& content)
{
    static const char digits[] = "0123456789abcdef";
    std::string line = verb + " ";
    for (const unsigned char byte : content) {
        line += digits[byte >> 4];
        line += digits[byte & 0xF];
    }
    line += '\n';
    ASSERT_EQ(::write(fd_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
}

std::vector<std::string> EditorControl::loggedLines() const
{
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool EditorControl::ended() const
{
    const auto lines = loggedLines();
    return !lines.empty() && lines.back() == "ended";
}

SessionTest::SessionTest() : locale_("C.UTF-8"), control_(home_.root())
{
    testApplication();
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        home_.setEnvironment(variable, std::nullopt);
    home_.setEnvironment("QUILLBROOK_TEST_EDITOR_CONTROL", control_.fifo().string());
    home_.setEnvironment("QUILLBROOK_TEST_EDITOR_LOG", control_.log().string());
    loadFreshGlobalSettings();
    GlobalSettings& settings = globalSettings();
    settings.ChangeNotificationSyncDelay = 0;
    settings.DelayToDeleteTemporaryFile = 0;
    EXPECT_EQ(changeWatcher().Start(), S_OK);
}

SessionTest::~SessionTest()
{
    changeWatcher().Stop();
}

std::shared_ptr<CService> SessionTest::newService()
{
    auto service = std::make_shared<CService>();
    EXPECT_EQ(service->put_EditorProgramFile(QStringLiteral(QUILLBROOK_TEST_EDITOR)), S_OK);
    return service;
}

std::string SessionTest::readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SessionTest::waitForWrites(const TestTextBox& box, std::size_t count)
{
    return runEventLoopUntil([&] { return box.writes().size() >= count; });
}

bool SessionTest::waitForValue(const TestTextBox& box, const QString& value)
{
    return runEventLoopUntil([&] { return box.value() == value; });
}

bool SessionTest::waitForSessionEnd(const CService& service)
{
    return runEventLoopUntil([&] { return service.temporaryFilePath().empty(); });
}

} // namespace quillbrook::testing
