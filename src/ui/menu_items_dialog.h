// The menu items dialog (102): the context-menu items the program made, with commands to add,
// edit, copy and delete them, and to open the Options dialog, the help and the About box.
#pragma once

#include "store/menu_item_catalogue.h"
#include "ui/dialog_builder.h"

#include <functional>
#include <memory>

class QPoint;
class QTreeWidget;

namespace quillbrook {

// Column widths of the list for a client area `clientWidth` pixels wide: 55 % and 30 %, each
// truncated, and the rest.
struct MenuListColumns {
    int label = 0;
    int editor = 0;
    int extension = 0;
    friend bool operator==(const MenuListColumns&, const MenuListColumns&) = default;
};
MenuListColumns menuListColumnWidths(int clientWidth);

class MenuItemsDialog {
public:
    // Whether Shift is held down at this moment.
    using ShiftHeld = std::function<bool()>;

    explicit MenuItemsDialog(QWidget* owner = nullptr, ShiftHeld shiftHeld = {});
    ~MenuItemsDialog();
    MenuItemsDialog(const MenuItemsDialog&) = delete;
    MenuItemsDialog& operator=(const MenuItemsDialog&) = delete;

    // Opens the dialog and runs it modally; 1 or 2, as it was ended.
    int exec();
    // The opening steps that exec runs first: columns, buttons, the catalogue loaded into rows.
    void open();

    BuiltDialog& built() { return dialog_; }
    QTreeWidget& list() const;
    const CMenuItemCatalogue& catalogue() const { return catalogue_; }

private:
    struct Selected {
        int row = -1;
        std::shared_ptr<IService> item;
    };

    bool onCommand(int id, int notification);
    void showDialogMenu(const QPoint& position);
    Selected selectedItem() const;
    void setRow(int row, const std::shared_ptr<IService>& item);
    void updateButtons();
    void showNotSelected();
    WindowId windowId() const;

    void add();
    void remove();
    void property();
    void copy();
    void options();

    BuiltDialog dialog_;
    ShiftHeld shiftHeld_;
    CMenuItemCatalogue catalogue_;
};

} // namespace quillbrook
