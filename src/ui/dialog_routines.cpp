#include "ui/dialog_routines.h"

#include "platform/charset.h"
#include "resources/string_table.h"
#include "ui/dialog_builder.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>

namespace quillbrook {
namespace {

// The start folder's buffer held 260 characters (the title's is the title text's own).
constexpr std::size_t kStartFolderLimit = buffer_size::Path - 1;

WindowId windowIdOf(const QWidget& widget)
{
    return static_cast<WindowId>(widget.window()->winId());
}

// The text as the original read it into a narrow buffer: whole characters up to `limit` bytes.
std::string narrowTextWithin(QString text, std::size_t limit)
{
    std::string narrow = toNarrow(text);
    while (narrow.size() > limit && !text.isEmpty()) {
        text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
        narrow = toNarrow(text);
    }
    return narrow;
}

// Where the window starts along one axis: centred on the reference, never before 0.
int centredEdge(int referenceStart, int referenceLength, int windowLength)
{
    return std::max(0, referenceStart + (referenceLength - windowLength) / 2);
}

} // namespace

void CenterWindow(QWidget& window)
{
    const QWidget* owner = window.parentWidget() != nullptr ? window.parentWidget()->window() : nullptr;
    QRect reference;
    if (owner != nullptr)
        reference = owner->frameGeometry();
    else if (const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen())
        reference = screen->geometry();
    const QRect frame = window.frameGeometry();
    window.move(centredEdge(reference.left(), reference.width(), frame.width()),
                centredEdge(reference.top(), reference.height(), frame.height()));
    window.activateWindow();
}

void BrowseForFolder(BuiltDialog& dialog, unsigned titleId, int editId, bool /*newStyle*/)
{
    auto* edit = dialog.control<QLineEdit>(editId);
    const std::string startFolder = edit != nullptr ? narrowTextWithin(edit->text(), kStartFolderLimit) : std::string();
    const std::optional<std::string> chosen =
        modalInteractions().folderDialog(windowIdOf(dialog.dialog()), loadStringW(titleId), startFolder);
    if (!chosen || edit == nullptr)
        return;
    edit->setText(toWide(*chosen));
    edit->setCursorPosition(static_cast<int>(edit->text().size()));
}

void EnableControls(BuiltDialog& dialog, std::initializer_list<int> controlIds, bool enable)
{
    for (const int id : controlIds)
        if (QWidget* control = dialog.control(id))
            control->setEnabled(enable);
}

void SelectAllAndFocus(BuiltDialog& dialog, int editId)
{
    QWidget* control = dialog.control(editId);
    if (control == nullptr)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    control->setFocus();
}

[[nodiscard]] HRESULT BrowseForFile(BuiltDialog& owner, FileDialogRequest& request)
{
    return BrowseForFile(windowIdOf(owner.dialog()), request, [&owner](int controlId, const std::string& path) {
        auto* edit = owner.control<QLineEdit>(controlId);
        if (edit == nullptr)
            return;
        edit->setText(toWide(path));
        SelectAllAndFocus(owner, controlId);
    });
}

} // namespace quillbrook
