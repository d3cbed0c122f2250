#include "ui/menu_items_dialog.h"

#include "automation/class_factory.h"
#include "interfaces/ifileopenservice.h"
#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "ui/dialog_routines.h"
#include "ui/dialogs.h"
#include "ui/help.h"

#include <QApplication>
#include <QHeaderView>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <utility>

namespace quillbrook {
namespace {

constexpr int kList = 201;
constexpr int kAdd = 202;
constexpr int kDelete = 203;
constexpr int kProperty = 204;
constexpr int kOptions = 205;
constexpr int kCopy = 206;
constexpr int kHelpCommand = 142;
constexpr int kAboutCommand = 143;

// The menu's commands are numbered as their texts.
static_assert(kHelpCommand == string_id::HelpMenuEntry && kAboutCommand == string_id::AboutMenuEntry);

QString text(unsigned id)
{
    return loadStringW(id);
}

bool liveShiftState()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

QString read(IService& item, HRESULT (IService::*get)(QString*))
{
    QString value;
    if (FAILED((item.*get)(&value)))
        return {};
    return value;
}

} // namespace

MenuListColumns menuListColumnWidths(int clientWidth)
{
    const int label = static_cast<int>(clientWidth * 0.55);
    const int editor = static_cast<int>(clientWidth * 0.3);
    return {label, editor, clientWidth - label - editor};
}

MenuItemsDialog::MenuItemsDialog(QWidget* owner, ShiftHeld shiftHeld)
    : dialog_(*dialogTemplate(dialog_id::MenuItems), messageLanguage(), owner),
      shiftHeld_(shiftHeld ? std::move(shiftHeld) : ShiftHeld(liveShiftState))
{
    dialog_.onInit([this] { open(); });
    dialog_.onCommand([this](int id, int code) { return onCommand(id, code); });
    dialog_.onListNotification([this](int, ListNotification what) {
        switch (what) {
        case ListNotification::SelectionChanged: updateButtons(); break;
        case ListNotification::DoubleClicked: property(); break;
        case ListNotification::DeleteKey: remove(); break;
        }
    });
    // The window manager owns the system menu; Help and About are offered in the dialog's own.
    QDialog& window = dialog_.dialog();
    window.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&window, &QWidget::customContextMenuRequested, &window,
                     [this](const QPoint& position) { showDialogMenu(position); });
}

MenuItemsDialog::~MenuItemsDialog() = default;

int MenuItemsDialog::exec()
{
    return dialog_.exec();
}

QTreeWidget& MenuItemsDialog::list() const
{
    return *dialog_.control<QTreeWidget>(kList);
}

void MenuItemsDialog::open()
{
    QDialog& window = dialog_.dialog();
    CenterWindow(window);

    QTreeWidget& rows = list();
    rows.setHeaderLabels(
        {text(string_id::LabelHeader), text(string_id::EditorHeader), text(string_id::ExtensionHeader)});
    rows.header()->setStretchLastSection(false);
    const MenuListColumns widths = menuListColumnWidths(rows.contentsRect().width());
    rows.setColumnWidth(0, widths.label);
    rows.setColumnWidth(1, widths.editor);
    rows.setColumnWidth(2, widths.extension);

    updateButtons();
    // The list shows what could be read; an entry that cannot be read is left out.
    ignoreResult(catalogue_.Load(std::string()));
    for (const auto& item : catalogue_.items())
        setRow(-1, item);
    // Once the modal loop shows the window: to the front, even over another program's window.
    QTimer::singleShot(0, &window, [&window] {
        window.raise();
        window.activateWindow();
    });
    rows.setFocus();
}

bool MenuItemsDialog::onCommand(int id, int notification)
{
    if (notification != notification::Clicked)
        return false;
    switch (id) {
    case kAdd: add(); return true;
    case kDelete: remove(); return true;
    case kProperty: property(); return true;
    case kCopy: copy(); return true;
    case kOptions: options(); return true;
    default: return false;
    }
}

void MenuItemsDialog::showDialogMenu(const QPoint& position)
{
    QDialog& window = dialog_.dialog();
    const QPoint global = window.mapToGlobal(position);
    const int chosen = modalInteractions().popupMenu(
        windowId(), {{kHelpCommand, text(kHelpCommand)}, {kAboutCommand, text(kAboutCommand)}}, global.x(), global.y());
    if (chosen == kHelpCommand)
        ShowHelp(window);
    else if (chosen == kAboutCommand) {
        QWidget* active = QApplication::activeWindow();
        runAboutBox(active != nullptr ? active : &window);
    }
}

MenuItemsDialog::Selected MenuItemsDialog::selectedItem() const
{
    const QTreeWidget& rows = list();
    for (int row = 0; row < rows.topLevelItemCount(); ++row) {
        if (!rows.topLevelItem(row)->isSelected())
            continue;
        const auto* pointer =
            reinterpret_cast<const IService*>(rows.topLevelItem(row)->data(0, Qt::UserRole).value<quintptr>());
        for (const auto& item : catalogue_.items())
            if (item.get() == pointer)
                return {row, item};
        return {};
    }
    return {};
}

void MenuItemsDialog::setRow(int row, const std::shared_ptr<IService>& item)
{
    QTreeWidget& rows = list();
    const QString label = read(*item, &IService::get_Label);
    const QString editor = read(*item, &IService::get_EditorName);
    const QString extension = read(*item, &IService::get_Extension);
    QTreeWidgetItem* line = row < 0 ? new QTreeWidgetItem(&rows) : rows.topLevelItem(row);
    line->setText(0, label);
    line->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(item.get())));
    line->setText(1, editor);
    line->setText(2, extension);
}

void MenuItemsDialog::updateButtons()
{
    EnableControls(dialog_, {kCopy, kDelete, kProperty}, selectedItem().row >= 0);
}

void MenuItemsDialog::showNotSelected()
{
    modalInteractions().messageBox(windowId(), text(string_id::NotSelectedText), text(string_id::NotSelectedCaption),
                                   MB_OK);
}

WindowId MenuItemsDialog::windowId() const
{
    return static_cast<WindowId>(dialog_.dialog().winId());
}

void MenuItemsDialog::add()
{
    std::shared_ptr<IService> item;
    if (FAILED(CMenuItemCatalogue::newItem(&item)))
        return;
    if (runMenuItemDialog(&dialog_.dialog(), *item, catalogue_) != IDOK)
        return;
    setRow(-1, item);
    catalogue_.AddItem(item);
}

void MenuItemsDialog::remove()
{
    const Selected selected = selectedItem();
    if (!selected.item) {
        showNotSelected();
        return;
    }
    // Only Shift held down brings the question; without it the item goes at once.
    if (shiftHeld_()) {
        QString question = text(string_id::DeleteQuestion);
        question.replace(QStringLiteral("%s"), read(*selected.item, &IService::get_Label));
        question.truncate(static_cast<qsizetype>(buffer_size::Message - 1));
        if (modalInteractions().messageBox(windowId(), question, text(string_id::DeleteCaption), MB_YESNO) != IDYES)
            return;
    }
    delete list().takeTopLevelItem(selected.row);
    catalogue_.RemoveItem(selected.item);
}

void MenuItemsDialog::property()
{
    const Selected selected = selectedItem();
    if (!selected.item) {
        showNotSelected();
        return;
    }
    const QString oldLabel = read(*selected.item, &IService::get_Label);
    if (runMenuItemDialog(&dialog_.dialog(), *selected.item, catalogue_) != IDOK)
        return;
    setRow(selected.row, selected.item);
    // The dialog tells no failure of the registry, as it never has; the list shows the item as edited.
    ignoreResult(catalogue_.UpdateItem(selected.item, oldLabel));
}

void MenuItemsDialog::copy()
{
    const Selected selected = selectedItem();
    if (!selected.item) {
        showNotSelected();
        return;
    }
    std::shared_ptr<IService> duplicate;
    if (CMenuItemCatalogue::copyItem(selected.item, &duplicate) != S_OK)
        return;
    if (runMenuItemDialog(&dialog_.dialog(), *duplicate, catalogue_) != IDOK)
        return;
    setRow(-1, duplicate);
    catalogue_.AddItem(duplicate);
}

void MenuItemsDialog::options()
{
    std::shared_ptr<Dispatchable> object;
    if (FAILED(createInstance(CLSID_CFileOpenService, IID_IFileOpenService, &object)))
        return;
    const auto fileOpen = queryInterface<IFileOpenService>(object);
    if (!fileOpen || runOptionsDialog(&dialog_.dialog(), *fileOpen) != IDOK)
        return;
    // Every item is saved again, so that its entries follow settings that may have changed.
    for (const auto& item : catalogue_.items())
        ignoreResult(catalogue_.UpdateItem(item, read(*item, &IService::get_Label))); // as in property
}

void runMenuItemsDialog(WindowId owner)
{
    std::unique_ptr<QWindow> ownerWindow; // outlives the dialog it parents
    MenuItemsDialog dialog;
    if (owner != 0 && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        ownerWindow.reset(QWindow::fromWinId(owner));
        QDialog& window = dialog.built().dialog();
        window.winId(); // gives the dialog its native window
        if (ownerWindow && window.windowHandle() != nullptr)
            window.windowHandle()->setTransientParent(ownerWindow.get());
    }
    dialog.exec();
}

} // namespace quillbrook
