// Telling the user something that needs no answer — a text that was kept, an editor that did not
// wait — through the desktop's notification service (org.freedesktop.Notifications on the session
// bus), or in the server's own message box when no notification service answers.
#pragma once

#include <QString>

namespace quillbrook {

// On the main thread: sends the notice and returns at once; the message box, when it comes to that,
// shows later from the event loop.
void tellUser(const QString& summary, const QString& body);
// From any thread: the same, run later on the main thread.
void tellUserLater(const QString& summary, const QString& body);

} // namespace quillbrook
