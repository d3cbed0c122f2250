// Turns a dialog template into real Qt widgets placed by dialog units, and maps the dialog's
// events onto handlers named after what they handle.
#pragma once

#include "resources/dialog_templates.h"

#include <QDialog>
#include <QFont>
#include <QRect>
#include <functional>
#include <memory>

class QWidget;

namespace quillbrook {

// Dialog units of a font, computed as the original platform does: a horizontal unit is a quarter
// of the average character width, a vertical unit an eighth of the font height.
struct DialogUnits {
    int baseX = 0; // average character width in pixels
    int baseY = 0; // font height in pixels

    static DialogUnits of(const QFont& font);
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(const DialogRect& rect) const;
};

// The template's font for `language` when it is installed, else the desktop's sans at the same
// point size.
QFont dialogQFont(ResourceLanguage language);

// Whether the template's font for `language` is installed. When it is not, the builder widens
// a dialog's horizontal unit as far as its texts need in the stand-in font, so that each shows
// whole in its rectangle; with the template's own font the units are the font's, as they were.
bool dialogFontInstalled(ResourceLanguage language);

// Notification codes that accompany a command, as the original platform sends them.
namespace notification {
inline constexpr int Clicked = 0;         // button, check box; also Escape and Enter
inline constexpr int SelectionChange = 1; // drop-down list
inline constexpr int EditChange = 0x300;  // edit text changed by the user or the program
} // namespace notification

enum class ListNotification { SelectionChanged, DoubleClicked, DeleteKey };

class BuiltDialog {
public:
    // Returns true when it handled the command; commands 1 and 2 that no handler takes end the
    // dialog with their id.
    using CommandHandler = std::function<bool(int id, int notification)>;
    using InitHandler = std::function<void()>;
    using ListHandler = std::function<void(int id, ListNotification what)>;

    BuiltDialog(const DialogTemplate& dialogTemplate, ResourceLanguage language, QWidget* parent = nullptr);
    ~BuiltDialog();
    BuiltDialog(const BuiltDialog&) = delete;
    BuiltDialog& operator=(const BuiltDialog&) = delete;

    QDialog& dialog() const;
    // The control of `id` (its objectName is the id in decimal), or nullptr.
    QWidget* control(int id) const;
    template <typename Widget>
    Widget* control(int id) const
    {
        return qobject_cast<Widget*>(control(id));
    }
    // The units the dialog was placed by: DialogUnits::of its font, widened for a stand-in font.
    const DialogUnits& units() const;

    void onInit(InitHandler handler);
    void onCommand(CommandHandler handler);
    void onListNotification(ListHandler handler);

    // Calls the init handler, runs the dialog modally and returns the id it was ended with.
    int exec();
    // Sends a command as if the control of `id` had reported it.
    void command(int id, int notification = notification::Clicked);
    // Ends the modal run with `result`.
    void end(int result);

private:
    class Window;
    std::unique_ptr<Window> window_;
};

} // namespace quillbrook
