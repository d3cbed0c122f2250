// The editor's windows on the X display: the stand-in for posting a close command to the
// top-level windows of the editor's process and for asking which window is in the foreground.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillbrook {

struct EditorWindowsAsked {
    // Windows asked to close.
    std::size_t asked = 0;
    // Terminal emulators' windows left open: closing one ends the editor inside it without
    // letting it ask to save.
    std::size_t terminalsLeftOpen = 0;
};

// Asks every top-level client window of `editorProcess` (by _NET_WM_PID) to close through
// WM_DELETE_WINDOW, the polite close that lets the editor ask to save first. Windows that do not
// take part in WM_DELETE_WINDOW are left alone, and so are terminal emulators' windows (by
// WM_CLASS); the process itself is never signalled. The messages have reached the server when
// this returns. Nothing is asked when there is no X display or no such window.
EditorWindowsAsked closeEditorWindows(pid_t editorProcess);

// Whether a WM_CLASS value ("instance\0class\0") names a terminal emulator.
bool isTerminalWindowClass(std::string_view wmClass);

// The window the window manager reports as active (_NET_ACTIVE_WINDOW), the owner of message
// boxes; 0, which stands for the desktop, when there is no display, no window manager or no
// active window.
std::uint32_t foregroundWindow();

} // namespace quillbrook
