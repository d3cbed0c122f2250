#include "ui/qt_modal_interactions.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>
#include <QWindow>
#include <memory>

#include "platform/charset.h"
#include "platform/editor_windows.h"
#include "resources/dialog_templates.h"
#include "ui/dialog_builder.h"

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
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    default: return {{QMessageBox::Ok, IDOK}};
    }
}

QMessageBox::Icon iconOf(unsigned style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
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

// A file dialog's extra controls: the child template built inside a container below the dialog's
// own controls, and the hook told once they exist and again when the user confirms a file.
class ExtraControls {
public:
    ExtraControls(QFileDialog& dialog, const std::optional<FileDialogExtraControls>& extra)
    {
        if (!extra || !extra->hook)
            return;
        const DialogTemplate* childTemplate = dialogTemplate(static_cast<unsigned>(extra->templateId));
        auto* layout = qobject_cast<QGridLayout*>(dialog.layout());
        if (childTemplate == nullptr || layout == nullptr)
            return;
        container_ = new QWidget(&dialog);
        built_ = std::make_unique<BuiltDialog>(*childTemplate, messageLanguage(), container_);
        container_->setMinimumSize(built_->dialog().size());
        layout->addWidget(container_, layout->rowCount(), 0, 1, layout->columnCount());
        // Placed first: a dialog shown unplaced centres itself on its parent in screen
        // coordinates, which on a real display puts it outside the container, leaving a blank band.
        built_->dialog().move(0, 0);
        built_->dialog().show();
        hook_ = extra->hook;
        customData_ = extra->customData;
        hook_(FileDialogEvent::Initialized, *container_, customData_);
    }

    void fileOk() const
    {
        if (hook_)
            hook_(FileDialogEvent::FileOk, *container_, customData_);
    }

private:
    QWidget* container_ = nullptr; // owned by the file dialog
    std::unique_ptr<BuiltDialog> built_;
    FileDialogHook hook_;
    std::intptr_t customData_ = 0;
};

std::optional<std::string> chosenPath(QFileDialog& dialog, const ExtraControls* extras = nullptr)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (extras != nullptr)
        extras->fileOk();
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
    const ExtraControls extras(dialog, options.extraControls);
    ownership.attach(dialog);
    return chosenPath(dialog, &extras);
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
