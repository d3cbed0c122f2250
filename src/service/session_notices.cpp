#include "service/session_notices.h"

#include "platform/charset.h"
#include "platform/command_line.h"
#include "recovery/recovery_store.h"
#include "recovery/session_ledger.h"
#include "resources/format_text.h"
#include "resources/string_table.h"
#include "service/user_notice.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace quillbrook {
namespace {

constexpr qsizetype kSaidLength = 300;

struct WaitingOption {
    std::string_view program;
    std::string_view options;
};

// Editors that hand a file to a running instance unless told not to; docs/editors.md lists them.
constexpr WaitingOption kWaitingOptions[] = {
    {"mousepad", "--disable-server"},
    {"gedit", "--standalone"},
    {"gnome-text-editor", "--standalone"},
    {"xed", "--standalone"},
    {"kate", "-n --block"},
    {"code", "--new-window --wait"},
    {"codium", "--new-window --wait"},
    {"subl", "--new-window --wait"},
    {"geany", "-i"},
    {"featherpad", "--standalone"},
    {"gvim", "-f"},
};

// The editor's program name; for the default editor, the one it was told to run.
std::string programNameOf(const std::string& editorCommand)
{
    const auto words = parseCommandLine(editorCommand);
    const std::string program =
        words.ok() ? std::filesystem::path(words.value().program).filename().string() : editorCommand;
    const char* chosen = std::getenv("QUILLBROOK_EDITOR");
    if (program == "notepad.exe" && chosen && *chosen)
        return programNameOf(chosen);
    return program;
}

} // namespace

std::string waitingEditorCommand(const std::string& editorCommand)
{
    const std::string program = programNameOf(editorCommand);
    for (const WaitingOption& option : kWaitingOptions)
        if (program == option.program)
            return program + " " + std::string(option.options);
    return {};
}

void tellTextKept(const QString& title, const std::string& where)
{
    tellUserLater(loadStringW(string_id::TextKeptCaption),
                  formatText(loadStringW(string_id::TextKept), {title, toWide(where)}));
}

void tellPageWentAway(const QString& title)
{
    tellUserLater(
        loadStringW(string_id::TextKeptCaption),
        formatText(loadStringW(string_id::PageWentAway), {title, toWide(RecoveryStore::forCurrentUser().folder())}));
}

void tellEditorHandedOff(const std::string& editorCommand)
{
    const std::string waiting = waitingEditorCommand(editorCommand);
    const QString hint = waiting.empty()
                             ? loadStringW(string_id::EditorHandedOffGiveOption)
                             : formatText(loadStringW(string_id::EditorHandedOffUseWaiting), {toWide(waiting)});
    tellUserLater(loadStringW(string_id::EditorHandedOffCaption),
                  formatText(loadStringW(string_id::EditorHandedOff), {toWide(programNameOf(editorCommand)), hint}));
}

void tellEditorFailed(const std::string& editorCommand, int status, const std::string& lastLine)
{
    // A line long enough to say what went wrong, cut at a character's start.
    QString said = toWide(lastLine).trimmed();
    if (said.size() > kSaidLength)
        said = said.left(said[kSaidLength - 1].isHighSurrogate() ? kSaidLength - 1 : kSaidLength) + QChar(0x2026);
    const QString saidPart = said.isEmpty() ? QString() : formatText(loadStringW(string_id::EditorSaid), {said});
    tellUserLater(loadStringW(string_id::EditorFailedCaption),
                  formatText(loadStringW(string_id::EditorFailed),
                             {toWide(programNameOf(editorCommand)), QString::number(status), saidPart}));
}

void tellTerminalLeftOpen(const QString& title)
{
    tellUserLater(loadStringW(string_id::TerminalLeftOpenCaption),
                  formatText(loadStringW(string_id::TerminalLeftOpen),
                             {title, toWide(RecoveryStore::forCurrentUser().folder())}));
}

void keepLeftoverTemporaryFiles()
{
    RecoveryStore store = RecoveryStore::forCurrentUser();
    const auto kept = SessionLedger::forCurrentUser().sweep(store);
    if (kept.empty())
        return;
    tellUserLater(
        loadStringW(string_id::TextKeptCaption),
        formatText(loadStringW(string_id::LeftoverTextsKept), {QString::number(kept.size()), toWide(store.folder())}));
}

} // namespace quillbrook
