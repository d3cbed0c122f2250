#include "ui/qt_modal_interactions.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QWindow>
#include <memory>

#include "platform/charset.h"
#include "platform/editor_windows.h"

namespace quillbrook {
namespace {

bool hasWidgets()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The owner of a dialog. A window of this program becomes the dialog's parent; a window of
// another program (the browser) becomes the transient parent of the dialog's window, so that the
// window manager keeps the dialog above it. Only X11 window ids name windows of other programs.
class Ownership {
public:
    explicit Ownership(WindowId owner)
    {
        if (owner == 0)
            return;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->internalWinId() == owner) {
                parent_ = widget;
                return;
            }
        }
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            foreign_.reset(QWindow::fromWinId(owner));
    }

    QWidget* parent() const { return parent_; }

    void attach(QWidget& dialog) const
    {
        if (!foreign_)
            return;
        dialog.winId();
        if (QWindow* window = dialog.windowHandle())
            window->setTransientParent(foreign_.get());
    }

private:
    QWidget* parent_ = nullptr;
    std::unique_ptr<QWindow> foreign_;
};

struct MessageBoxButton {
    QMessageBox::StandardButton button;
    int result;
};

// The original's button sets, the default button first; any other set shows OK alone.
std::vector<MessageBoxButton> buttonsOf(unsigned style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

QMessageBox::Icon iconOf(unsigned style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// "Text Files (*.txt *.html)" from "Text Files" and "*.txt; *.html". "*.*" matched every name on
// the original platform, names without a dot included, so it becomes "*".
QString nameFilter(const FileDialogFilter& filter)
{
    QStringList patterns;
    for (const QString& part : toWide(filter.pattern).split(QLatin1Char(';'))) {
        const QString pattern = part.trimmed();
        if (!pattern.isEmpty())
            patterns.append(pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return filter.description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

std::optional<std::string> chosenPath(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return toNarrow(dialog.selectedFiles().constFirst());
}

} // namespace

int QtModalInteractions::messageBox(WindowId owner, const QString& text, const QString& caption, unsigned style)
{
    if (!hasWidgets())
        return IDCANCEL;
    const Ownership ownership(owner);
    QMessageBox box(iconOf(style), caption, text, QMessageBox::NoButton, ownership.parent());
    const std::vector<MessageBoxButton> buttons = buttonsOf(style);
    for (const MessageBoxButton& each : buttons)
        box.addButton(each.button);
    box.setDefaultButton(buttons.front().button);
    ownership.attach(box);
    box.exec();

    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const MessageBoxButton& each : buttons) {
        if (each.button == pressed)
            return each.result;
    }
    return IDCANCEL;
}

std::optional<std::string> QtModalInteractions::fileDialog(WindowId owner, const FileDialogOptions& options)
{
    if (!hasWidgets())
        return std::nullopt;
    const Ownership ownership(owner);
    // An empty title leaves Qt's own "Open" or "Save As", as the original does.
    QFileDialog dialog(ownership.parent(), options.title);
    // The descriptions alone are shown, as on the original platform.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite
                      | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(options.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const FileDialogFilter& filter : options.filters)
        filters.append(nameFilter(filter));
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(toWide(options.defaultExtension));
    if (!options.path.empty())
        dialog.selectFile(toWide(options.path));
    ownership.attach(dialog);
    return chosenPath(dialog);
}

std::optional<std::string> QtModalInteractions::folderDialog(WindowId owner, const QString& title,
                                                             const std::string& startFolder)
{
    if (!hasWidgets())
        return std::nullopt;
    const Ownership ownership(owner);
    QFileDialog dialog(ownership.parent(), title);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (!startFolder.empty())
        dialog.setDirectory(toWide(startFolder));
    ownership.attach(dialog);
    return chosenPath(dialog);
}

int QtModalInteractions::popupMenu(WindowId owner, const std::vector<PopupMenuItem>& items, int x, int y)
{
    if (!hasWidgets())
        return 0;
    const Ownership ownership(owner);
    QMenu menu(ownership.parent());
    for (const PopupMenuItem& item : items) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(item.text);
        action->setData(item.id);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        action->setEnabled(item.enabled);
    }
    const QAction* chosen = menu.exec(QPoint(x, y));
    return chosen ? chosen->data().toInt() : 0;
}

WindowId QtModalInteractions::foregroundWindow()
{
    return ::quillbrook::foregroundWindow();
}

} // namespace quillbrook
