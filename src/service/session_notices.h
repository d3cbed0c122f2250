// What the user is told when a session's text goes somewhere else than its page, and the start of
// a server's keeping of what an earlier one left behind.
#pragma once

#include <QString>

#include <string>

namespace quillbrook {

// A save from the page titled `title` was kept at `where` (a file) instead of reaching it.
void tellTextKept(const QString& title, const std::string& where);
// The page titled `title` went while its text was open; it will be kept in the recovery store.
void tellPageWentAway(const QString& title);
// The editor started as `editorCommand` handed its file to one already running; from any thread.
void tellEditorHandedOff(const std::string& editorCommand);
// The editor started as `editorCommand` ended at once with `status`; `lastLine` is the last line it
// wrote to its standard error. From any thread.
void tellEditorFailed(const std::string& editorCommand, int status, const std::string& lastLine);
// The page titled `title` went while its editor ran in a terminal window, which was left open.
void tellTerminalLeftOpen(const QString& title);
// Moves the temporary files of sessions whose server no longer runs into the recovery store and,
// when there were any, tells the user once the event loop runs.
void keepLeftoverTemporaryFiles();

// The command that makes `editorCommand`'s editor wait for its window, for the editors known to
// hand files on; empty for the others.
std::string waitingEditorCommand(const std::string& editorCommand);

} // namespace quillbrook
