#include "write_back_sessions.h"

#include "service/change_notifier.h"
#include "service/change_watcher.h"
#include "store/global_settings.h"
#include "support/main_thread_loop.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace quillbrook::bench {
namespace {

using Clock = std::chrono::steady_clock;

QString idleEditorArguments()
{
    return QStringLiteral("--until-pid %1").arg(getpid());
}

} // namespace

RegisteredSession::RegisteredSession(const QString& title, const QString& value)
    : page_(testing::TestPage::create(title, QStringLiteral("http://example.test/bench.html"))),
      box_(page_->addTextArea(QStringLiteral("body"), page_->addForm(QStringLiteral("reply")), value)),
      service_(std::make_shared<CService>())
{
    if (FAILED(service_->put_EditorProgramFile(QStringLiteral(QUILLBROOK_IDLE_EDITOR)))
        || FAILED(service_->put_CommandLine(idleEditorArguments())) || FAILED(service_->put_CodePage(65001)))
        throw std::runtime_error("cannot set the session's editor");
    const auto start = Clock::now();
    const HRESULT hr = service_->Register(box_->element());
    registerMilliseconds_ = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    file_ = service_->temporaryFilePath();
    if (FAILED(hr) || file_.empty())
        throw std::runtime_error(QStringLiteral("Register failed with 0x%1")
                                     .arg(static_cast<std::uint32_t>(hr), 8, 16, QLatin1Char('0'))
                                     .toStdString());
}

RegisteredSession::~RegisteredSession()
{
    // A service that is no longer listed, or a page that no longer answers, leaves nothing to undo.
    ignoreResult(changeNotifier().RemoveService(service_.get()));
    // The page's window holds the service as its event sink, and the service holds the page.
    ignoreResult(service_->DisconnectWindowEvents());
}

WriteBackWorld::WriteBackWorld() : locale_("C.UTF-8")
{
    testing::testApplication();
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        home_.setEnvironment(variable, std::nullopt);
    GlobalSettings& settings = globalSettings();
    if (FAILED(settings.Load(std::string())))
        throw std::runtime_error("cannot read the settings");
    // The figure is the write-back's own cost, without the wait for the editor to finish.
    settings.ChangeNotificationSyncDelay = 0;
    // Sessions let go at the end delete their files at once instead of after 10 s each.
    settings.DelayToDeleteTemporaryFile = 0;
    if (changeWatcher().Start() != S_OK)
        throw std::runtime_error("the change watcher did not start");
}

WriteBackWorld::~WriteBackWorld()
{
    // Every service has been taken over by a round, so that RemoveService finds it.
    settle();
    changeWatcher().Stop();
    idle_.clear();
}

void WriteBackWorld::ensureIdleSessions(std::size_t count)
{
    // A session is let go only after a round has taken it over, so that RemoveService finds it.
    settle();
    while (idle_.size() > count)
        idle_.pop_back();
    if (idle_.size() < count)
        registerIdleSessions(count - idle_.size());
}

void WriteBackWorld::registerIdleSessions(std::size_t more)
{
    const QString value = QString::fromStdString(mixedUtf8Text(1024, "idle\r\n"));
    IdleBuild build{more, 0, processFigures().residentMegabytes, 0};
    const auto start = Clock::now();
    for (std::size_t i = 0; i < more; ++i) {
        const QString title = QStringLiteral("Idle %1").arg(static_cast<qulonglong>(idle_.size()));
        idle_.push_back(std::make_unique<RegisteredSession>(title, value));
    }
    build.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    settle();
    build.residentMegabytesAfter = processFigures().residentMegabytes;
    lastIdleBuild_ = build;
}

void WriteBackWorld::settle()
{
    testing::runEventLoopUntil([] { return false; }, std::chrono::milliseconds(20));
}

ProcessFigures processFigures()
{
    ProcessFigures figures;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            figures.residentMegabytes = std::stod(line.substr(6)) / 1024.0;
        if (line.starts_with("Threads:"))
            figures.threads = std::stod(line.substr(8));
    }
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++figures.openDescriptors;
    return figures;
}

std::string mixedUtf8Text(std::size_t bytes, const std::string& firstLine)
{
    static const std::string lines[] = {
        "Quillbrook lets you edit a web page's text box in the editor you like best.\r\n",
        // "Edit the text in an external editor; every save is read back." in Japanese.
        "\xE5\xA4\x96\xE9\x83\xA8\xE3\x82\xA8\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xBF\xE3\x81\xA7"
        "\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88\xE3\x82\x92\xE7\xB7\xA8\xE9\x9B\x86"
        "\xE3\x81\x97\xE3\x80\x81\xE4\xBF\x9D\xE5\xAD\x98\xE3\x81\x99\xE3\x82\x8B\xE3\x81\x9F"
        "\xE3\x81\xB3\xE3\x81\xAB\xE8\xAA\xAD\xE3\x81\xBF\xE6\x88\xBB\xE3\x81\x97\xE3\x81\xBE"
        "\xE3\x81\x99\xE3\x80\x82\r\n",
        "Each save is read back: 10 files, 3 editors, one text box.\r\n",
        "\xE4\xBF\x9D\xE5\xAD\x98\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F (saved).\r\n",
    };
    std::string text = firstLine;
    text.reserve(bytes);
    for (std::size_t line = 0;; ++line) {
        const std::string& next = lines[line % std::size(lines)];
        if (text.size() + next.size() > bytes)
            return text;
        text += next;
    }
}

} // namespace quillbrook::bench
