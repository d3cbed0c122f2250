#include "ui/menu_items_dialog.h"

#include "fileopen/file_open_service_class.h"
#include "service/change_watcher.h"
#include "service/menu_dialog_hook.h"
#include "service/service.h"
#include "service/service_class.h"
#include "support/fresh_settings.h"
#include "support/scripted_interactions.h"
#include "window_answerer.h"

#include "../store/settings_fixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>

namespace quillbrook::testing {
namespace {

const QString kNotSelected = QStringLiteral("Menu item is not selected.");
constexpr int kLabelField = 203; // in the menu item dialog

QLineEdit& labelField(QWidget& itemDialog)
{
    return *itemDialog.findChild<QLineEdit*>(QString::number(kLabelField));
}

void click(QWidget& window, int control)
{
    window.findChild<QAbstractButton*>(QString::number(control))->click();
}

// The labels of the menu items saved in the hive, as a dialog opened now would list them.
std::vector<QString> savedLabels()
{
    CMenuItemCatalogue saved;
    EXPECT_EQ(saved.Load(std::string()), S_OK);
    std::vector<QString> labels;
    for (const auto& item : saved.items()) {
        QString label;
        EXPECT_EQ(item->get_Label(&label), S_OK);
        labels.push_back(label);
    }
    std::ranges::sort(labels);
    return labels;
}

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
            EXPECT_EQ(item->put_Label(label), S_OK);
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
            EXPECT_EQ(item->get_Label(&label), S_OK);
            labels.push_back(label);
        }
        return labels;
    }

    ~MenuItemsDialogTest() override { changeWatcher().Stop(); } // the Options dialog restarts it

    ClassRegistration services_ = registerServiceClass();
    ClassRegistration fileOpenServices_ = registerFileOpenServiceClass();
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

TEST_F(MenuItemsDialogTest, AddOpensAnEmptyItemAndOkListsAndSavesIt)
{
    open({"Edit"});
    QString proposed;
    bool iconShown = false;
    WindowAnswerer itemDialog("QDialog", [&](QWidget& window) {
        proposed = labelField(window).text();
        iconShown = !window.windowIcon().pixmap(16, 16).isNull();
        labelField(window).setText(QStringLiteral("Write in Kate"));
        click(window, IDOK);
    });
    dialog_.built().command(202);
    EXPECT_TRUE(itemDialog.answered());
    EXPECT_EQ(proposed, QStringLiteral("&Edit with editor")) << "a new item's default label";
    EXPECT_TRUE(iconShown);
    ASSERT_EQ(rowLabels().size(), 2u);
    EXPECT_EQ(rowLabels()[1], QStringLiteral("Write in Kate")) << "appended as the last row";
    EXPECT_EQ(rowLabels(), catalogueLabels());
    EXPECT_EQ(savedLabels(), (std::vector<QString>{"Edit", "Write in Kate"}));
}

TEST_F(MenuItemsDialogTest, AddCancelledListsAndSavesNothing)
{
    open({"Edit"});
    WindowAnswerer itemDialog("QDialog", [](QWidget& window) {
        labelField(window).setText(QStringLiteral("Never"));
        click(window, IDCANCEL);
    });
    dialog_.built().command(202);
    EXPECT_TRUE(itemDialog.answered());
    EXPECT_EQ(rowLabels(), std::vector<QString>{"Edit"});
    EXPECT_EQ(catalogueLabels(), std::vector<QString>{"Edit"});
    EXPECT_EQ(savedLabels(), std::vector<QString>{"Edit"});
}

TEST_F(MenuItemsDialogTest, PropertyEditsTheLowestSelectedRowAndRenamesItInPlace)
{
    open({"Alpha", "Beta", "Gamma"});
    const std::vector<QString> before = rowLabels();
    select({2, 1});
    QString shown;
    WindowAnswerer itemDialog("QDialog", [&](QWidget& window) {
        shown = labelField(window).text();
        labelField(window).setText(QStringLiteral("Delta"));
        click(window, IDOK);
    });
    dialog_.built().command(204);
    EXPECT_TRUE(itemDialog.answered());
    EXPECT_EQ(shown, before[1]);
    std::vector<QString> expected = before;
    expected[1] = QStringLiteral("Delta");
    EXPECT_EQ(rowLabels(), expected) << "the row replaced where it was, no row added";
    EXPECT_EQ(catalogueLabels(), expected);
    std::ranges::sort(expected);
    EXPECT_EQ(savedLabels(), expected) << "the entry of the old label is gone";
}

TEST_F(MenuItemsDialogTest, PropertyCancelledChangesNothing)
{
    open({"Alpha", "Beta"});
    const std::vector<QString> before = rowLabels();
    select({0});
    WindowAnswerer itemDialog("QDialog", [](QWidget& window) {
        labelField(window).setText(QStringLiteral("Renamed"));
        click(window, IDCANCEL);
    });
    emit list().itemDoubleClicked(list().topLevelItem(0), 0);
    EXPECT_TRUE(itemDialog.answered());
    EXPECT_EQ(rowLabels(), before);
    EXPECT_EQ(savedLabels(), (std::vector<QString>{"Alpha", "Beta"}));
}

TEST_F(MenuItemsDialogTest, OptionsOkSavesEveryItemAgain)
{
    open({"Alpha", "Beta"});
    // Entries lost behind the dialog's back come back only if OK saves every listed item.
    CMenuItemCatalogue behindTheBack;
    behindTheBack.DeleteEntry(QStringLiteral("Alpha"));
    behindTheBack.DeleteEntry(QStringLiteral("Beta"));
    ASSERT_TRUE(savedLabels().empty());

    QString title;
    WindowAnswerer options("QDialog", [&](QWidget& window) {
        title = window.windowTitle();
        click(window, IDOK);
    });
    dialog_.built().command(205);
    EXPECT_TRUE(options.answered());
    EXPECT_EQ(title, QStringLiteral("Options"));
    EXPECT_EQ(savedLabels(), (std::vector<QString>{"Alpha", "Beta"}));
    EXPECT_EQ(rowLabels().size(), 2u);
}

TEST_F(MenuItemsDialogTest, OptionsCancelledSavesNothing)
{
    open({"Alpha"});
    CMenuItemCatalogue behindTheBack;
    behindTheBack.DeleteEntry(QStringLiteral("Alpha"));
    WindowAnswerer options("QDialog", [](QWidget& window) { click(window, IDCANCEL); });
    dialog_.built().command(205);
    EXPECT_TRUE(options.answered());
    EXPECT_TRUE(savedLabels().empty());
}

TEST_F(MenuItemsDialogTest, TheListHeadersShowWholeInBothLanguages)
{
    for (const char* language : {"en", "ja"}) {
        SCOPED_TRACE(language);
        home_.setEnvironment("LANGUAGE", std::string(language));
        MenuItemsDialog dialog;
        dialog.open();
        EXPECT_FALSE(dialog.built().dialog().windowIcon().isNull());
        const QTreeWidget& rows = dialog.list();
        const QHeaderView& header = *rows.header();
        const int margins = 2 * header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
        for (int column = 0; column < rows.columnCount(); ++column) {
            const QString title = rows.headerItem()->text(column);
            EXPECT_LE(header.fontMetrics().horizontalAdvance(title) + margins, rows.columnWidth(column))
                << title.toStdString();
        }
    }
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
