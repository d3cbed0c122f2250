#include "ui/menu_items_dialog.h"

#include "service/menu_dialog_hook.h"
#include "service/service.h"
#include "service/service_class.h"
#include "support/fresh_settings.h"
#include "support/scripted_interactions.h"
#include "window_answerer.h"

#include "../store/settings_fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace quillbrook::testing {
namespace {

const QString kNotSelected = QStringLiteral("Menu item is not selected.");

// The dialog over a private hive holding the items `labels`, in this order.
class MenuItemsDialogTest : public StoreTest {
protected:
    MenuItemsDialogTest()
    {
        home_.setEnvironment("QUILLBROOK_SYSTEM_FOLDER", (home_.root() / "system").string());
        loadFreshGlobalSettings();
    }

    void open(const std::vector<QString>& labels)
    {
        CMenuItemCatalogue saved;
        for (const QString& label : labels) {
            std::shared_ptr<IService> item;
            ASSERT_EQ(CMenuItemCatalogue::newItem(&item), S_OK);
            item->put_Label(label);
            saved.AddItem(item);
        }
        dialog_.open();
    }

    QTreeWidget& list() { return dialog_.list(); }
    bool enabled(int id) { return dialog_.built().control(id)->isEnabled(); }
    void select(std::initializer_list<int> rows)
    {
        for (int row : rows)
            list().topLevelItem(row)->setSelected(true);
    }
    std::vector<QString> rowLabels()
    {
        std::vector<QString> labels;
        for (int row = 0; row < list().topLevelItemCount(); ++row)
            labels.push_back(list().topLevelItem(row)->text(0));
        return labels;
    }
    std::vector<QString> catalogueLabels()
    {
        std::vector<QString> labels;
        for (const auto& item : dialog_.catalogue().items()) {
            QString label;
            item->get_Label(&label);
            labels.push_back(label);
        }
        return labels;
    }

    ClassRegistration services_ = registerServiceClass();
    ScriptedInteractions interactions_;
    bool shift_ = false;
    MenuItemsDialog dialog_{nullptr, [this] { return shift_; }};
};

TEST(MenuListColumnsTest, FiftyFiveAndThirtyPercentTruncatedAndTheRest)
{
    EXPECT_EQ(menuListColumnWidths(301), (MenuListColumns{165, 90, 46}));
    EXPECT_EQ(menuListColumnWidths(100), (MenuListColumns{55, 30, 15}));
    EXPECT_EQ(menuListColumnWidths(0), (MenuListColumns{0, 0, 0}));
}

TEST_F(MenuItemsDialogTest, ColumnsFollowTheListsClientWidth)
{
    list().resize(301 + list().width() - list().contentsRect().width(), 100);
    open({});
    EXPECT_EQ(list().columnWidth(0), 165);
    EXPECT_EQ(list().columnWidth(1), 90);
    EXPECT_EQ(list().columnWidth(2), 46);
    EXPECT_EQ(list().headerItem()->text(0), QStringLiteral("Menu Item Name"));
    EXPECT_EQ(list().headerItem()->text(2), QStringLiteral("Extension"));
}

TEST_F(MenuItemsDialogTest, WithoutSelectionTheItemButtonsAreDisabledAndCommandsSaySo)
{
    open({});
    EXPECT_EQ(list().topLevelItemCount(), 0);
    for (int id : {203, 204, 206})
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : {202, 205, 2})
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : {203, 204, 206}) {
        interactions_.expectMessageBox(IDOK);
        dialog_.built().command(id);
    }
    interactions_.expectMessageBox(IDOK);
    emit list().itemDoubleClicked(nullptr, 0);
    ASSERT_EQ(interactions_.messageBoxes().size(), 4u);
    for (const auto& shown : interactions_.messageBoxes()) {
        EXPECT_EQ(shown.text, kNotSelected);
        EXPECT_EQ(shown.caption, QStringLiteral("Menu Item"));
        EXPECT_EQ(shown.style, MB_OK);
    }
}

TEST_F(MenuItemsDialogTest, RowsInCatalogueOrderAndDeleteTakesTheLowestSelectedAtOnce)
{
    open({"Alpha", "Beta", "Gamma"});
    EXPECT_EQ(rowLabels(), catalogueLabels());
    ASSERT_EQ(list().topLevelItemCount(), 3);
    select({2, 1});
    for (int id : {203, 204, 206})
        EXPECT_TRUE(enabled(id)) << id;
    const std::vector<QString> rest{rowLabels()[0], rowLabels()[2]};
    dialog_.built().command(203);
    EXPECT_TRUE(interactions_.messageBoxes().empty()) << "no question without Shift";
    EXPECT_EQ(rowLabels(), rest);
    EXPECT_EQ(catalogueLabels(), rest);
}

TEST_F(MenuItemsDialogTest, ShiftDeleteAsksAndOnlyYesDeletes)
{
    open({"Edit"});
    select({0});
    shift_ = true;
    interactions_.expectMessageBox(IDNO);
    QKeyEvent deleteKey(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier);
    QApplication::sendEvent(&list(), &deleteKey);
    ASSERT_EQ(interactions_.messageBoxes().size(), 1u);
    EXPECT_EQ(interactions_.messageBoxes()[0].text,
              QStringLiteral("Are you sure you want to delete the menu item \"Edit\"?"));
    EXPECT_EQ(interactions_.messageBoxes()[0].caption, QStringLiteral("Delete"));
    EXPECT_EQ(interactions_.messageBoxes()[0].style, MB_YESNO);
    EXPECT_EQ(rowLabels().size(), 1u);

    interactions_.expectMessageBox(IDYES);
    QApplication::sendEvent(&list(), &deleteKey);
    EXPECT_TRUE(rowLabels().empty());
    EXPECT_TRUE(catalogueLabels().empty());
}

TEST_F(MenuItemsDialogTest, CopyProposesCopyOfTheLowestSelectedAndCancelAddsNothing)
{
    open({"Edit", "View"});
    select({1, 0});
    bool proposed = false;
    WindowAnswerer itemDialog("QDialog", [&](QWidget& window) {
        for (const QLineEdit* field : window.findChildren<QLineEdit*>())
            proposed = proposed || field->text() == QStringLiteral("Copy of Edit");
        static_cast<QDialog&>(window).reject();
    });
    dialog_.built().command(206);
    EXPECT_TRUE(itemDialog.answered());
    EXPECT_TRUE(proposed);
    EXPECT_EQ(rowLabels(), catalogueLabels());
    EXPECT_EQ(rowLabels().size(), 2u);
}

TEST_F(MenuItemsDialogTest, TheDialogsMenuOpensTheAboutBox)
{
    open({});
    interactions_.expectPopupMenu(143);
    QString version;
    QColor linkColour;
    WindowAnswerer about("QDialog", [&](QWidget& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("About Quillbrook"));
        for (const QLabel* label : window.findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("Quillbrook")))
                version = label->text();
        if (auto* link = window.findChild<QLabel*>(QStringLiteral("227")))
            linkColour = link->palette().color(QPalette::WindowText);
        window.findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    emit dialog_.built().dialog().customContextMenuRequested(QPoint(3, 3));
    EXPECT_TRUE(about.answered());
    EXPECT_EQ(version, QStringLiteral("Quillbrook Version 1.11"));
    EXPECT_EQ(linkColour, QColor(0, 0, 192));
    ASSERT_EQ(interactions_.popupMenus().size(), 1u);
    const auto& items = interactions_.popupMenus()[0].items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].id, 142);
    EXPECT_EQ(items[0].text, QStringLiteral("&Help..."));
    EXPECT_EQ(items[1].text, QStringLiteral("&About Quillbrook..."));
}

TEST_F(MenuItemsDialogTest, ShowMenuDialogRunsThePluggedInRunnerAndAlwaysSucceeds)
{
    CService service;
    EXPECT_EQ(service.ShowMenuDialog(42), S_OK) << "without a runner";
    std::vector<std::int32_t> calls;
    const MenuDialogRunner previous = setMenuDialogRunner([&](std::int32_t window) { calls.push_back(window); });
    EXPECT_EQ(service.ShowMenuDialog(0x2a00007), S_OK);
    setMenuDialogRunner(previous);
    EXPECT_EQ(calls, std::vector<std::int32_t>{0x2a00007});
}

} // namespace
} // namespace quillbrook::testing
