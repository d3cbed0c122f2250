// What the server process sets up about itself before its first thread and window.
#pragma once

namespace quillbrook {

// Raises the soft limit of open descriptors to the hard limit: every editing session holds some.
void raiseOpenFileLimit();

// Points standard input and output at /dev/null. The server reads and writes neither, and a
// server started by a client must not keep that client's pipes open for its whole life.
// Standard error stays for diagnostics.
void detachStandardInputAndOutput();

// Qt's offscreen platform when no display is named at all, so that a server started without
// one still serves its objects instead of aborting; its dialogs are then not seen.
void chooseDisplayPlatform();

} // namespace quillbrook
