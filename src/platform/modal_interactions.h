// Every modal interaction of the system (message box, file dialog, folder dialog, pop-up menu) and
// the foreground window that owns the service's message boxes go through one interface, so that a
// program plugs in its windowing toolkit and a test answers the interactions itself. Displayed
// texts are QStrings; paths, file patterns and extensions are narrow strings (process charset).
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace quillbrook {

// An X11 window id; 0 is the desktop, that is: no owner.
using WindowId = std::uint32_t;

// Message box styles and results, with the original platform's values.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_OKCANCEL = 0x01;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_TYPEMASK = 0x0F;
inline constexpr unsigned MB_ICONMASK = 0xF0;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// What a file dialog's hook is told about: its extra controls are built, or the user confirmed a
// file (before the dialog closes).
enum class FileDialogEvent { Initialized, FileOk };

// The stand-in for a file dialog's hook procedure. `extraControls` is the widget built from the
// dialog template; `customData` is the request's CustomData.
using FileDialogHook = std::function<void(FileDialogEvent event, QObject& extraControls, std::intptr_t customData)>;

// Controls from a dialog template shown below a file dialog's own, driven by a hook.
struct FileDialogExtraControls {
    int templateId = 0;
    FileDialogHook hook;
    std::intptr_t customData = 0;
};

struct FileDialogFilter {
    QString description;
    std::string pattern; // one or more patterns separated by ';', as "*.txt; *.html"
};

// A file dialog: no overwrite prompt and no existence check in either mode.
struct FileDialogOptions {
    QString title;
    std::vector<FileDialogFilter> filters; // the first is selected
    std::string defaultExtension;          // appended to a name typed without one
    bool save = false;
    std::string path; // the file proposed at the start
    std::optional<FileDialogExtraControls> extraControls;
};

struct PopupMenuItem {
    int id = 0; // returned when chosen; never 0
    QString text;
    bool separator = false;
    bool checked = false;
    bool enabled = true;
};

class ModalInteractions {
public:
    virtual ~ModalInteractions() = default;

    // `style` combines one MB_ button set with at most one MB_ICON; the result is the ID of the
    // button pressed.
    virtual int messageBox(WindowId owner, const QString& text, const QString& caption, unsigned style) = 0;
    // The chosen file, or nullopt when the user cancelled.
    virtual std::optional<std::string> fileDialog(WindowId owner, const FileDialogOptions& options) = 0;
    // The chosen folder, starting at `startFolder`; nullopt when the user cancelled.
    virtual std::optional<std::string> folderDialog(WindowId owner, const QString& title,
                                                    const std::string& startFolder) = 0;
    // Shows the menu at (x, y) in screen coordinates; the chosen item's id, 0 when dismissed.
    virtual int popupMenu(WindowId owner, const std::vector<PopupMenuItem>& items, int x, int y) = 0;
    // The window the user works in (0 when none is known).
    virtual WindowId foregroundWindow() = 0;
};

// The installed implementation. Before any is installed (a program without a user interface),
// a fallback shows nothing: message boxes answer IDCANCEL, dialogs are cancelled, menus dismissed
// (0), and the foreground window is the desktop (0).
ModalInteractions& modalInteractions();

// Installs `implementation` for the object's lifetime; the previous one comes back afterwards.
// The program's main (or a test) keeps `implementation` alive meanwhile.
class ScopedModalInteractions {
public:
    explicit ScopedModalInteractions(ModalInteractions& implementation);
    ~ScopedModalInteractions();
    ScopedModalInteractions(const ScopedModalInteractions&) = delete;
    ScopedModalInteractions& operator=(const ScopedModalInteractions&) = delete;

private:
    ModalInteractions* previous_;
};

} // namespace quillbrook
