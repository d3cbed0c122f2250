// The editor's windows on the X display: the stand-in for posting a close command to the
// top-level windows of the editor's process and for asking which window is in the foreground.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace quillbrook {

// Asks every top-level client window of `editorProcess` (by _NET_WM_PID) to close through
// WM_DELETE_WINDOW, the polite close that lets the editor ask to save first. Windows that do not
// take part in WM_DELETE_WINDOW are left alone, and the process itself is never signalled. The
// messages have reached the server when this returns. Returns the number of windows asked; 0 when
// there is no X display or no such window.
std::size_t closeEditorWindows(pid_t editorProcess);

// The window the window manager reports as active (_NET_ACTIVE_WINDOW), the owner of message
// boxes; 0, which stands for the desktop, when there is no display, no window manager or no
// active window.
std::uint32_t foregroundWindow();

} // namespace quillbrook
