#include "ui/qt_modal_interactions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "window_answerer.h"

namespace quillbrook {
namespace {

using quillbrook::testing::WindowAnswerer;

std::string narrow(const QString& path)
{
    return path.toStdString();
}

TEST(QtMessageBox, ShowsTheStyleAndReturnsTheButtonPressed)
{
    struct Case {
        const char* name;
        unsigned style;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton press;
        int result;
    };
    const Case cases[] = {
        {"OK", MB_OK, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok, IDOK},
        {"OK with information", MB_OK | MB_ICONINFORMATION, QMessageBox::Ok, QMessageBox::Information, QMessageBox::Ok,
         IDOK},
        {"OK with error", MB_OK | MB_ICONERROR, QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok, IDOK},
        {"OK/Cancel, Cancel", MB_OKCANCEL | MB_ICONWARNING, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning,
         QMessageBox::Cancel, IDCANCEL},
        {"Yes/No, Yes", MB_YESNO | MB_ICONQUESTION, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
         QMessageBox::Yes, IDYES},
        {"Yes/No, No", MB_YESNO, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon, QMessageBox::No, IDNO},
    };
    QtModalInteractions interactions;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowAnswerer answerer("QMessageBox", [&](QWidget& window) {
            auto& box = static_cast<QMessageBox&>(window);
            EXPECT_EQ(box.windowTitle(), QStringLiteral("Scripts Folder"));
            EXPECT_EQ(box.text(), QStringLiteral("Move the contents?\nあ"));
            EXPECT_EQ(box.standardButtons(), c.buttons);
            EXPECT_EQ(box.icon(), c.icon);
            EXPECT_EQ(box.parentWidget(), nullptr);
            box.button(c.press)->click();
        });
        EXPECT_EQ(interactions.messageBox(0, QStringLiteral("Move the contents?\nあ"), QStringLiteral("Scripts Folder"),
                                          c.style),
                  c.result);
        EXPECT_TRUE(answerer.answered());
    }
}

TEST(QtMessageBox, AWindowOfThisProgramOwnsTheBox)
{
    QWidget dialog;
    const auto owner = static_cast<WindowId>(dialog.winId());
    ASSERT_NE(owner, 0u);
    const QWidget* parent = nullptr;
    WindowAnswerer answerer("QMessageBox", [&](QWidget& box) {
        parent = box.parentWidget();
        static_cast<QMessageBox&>(box).button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(QtModalInteractions().messageBox(owner, QStringLiteral("text"), QStringLiteral("caption"), MB_OK), IDOK);
    EXPECT_EQ(parent, &dialog);
}

class QtFileDialogTest : public ::testing::Test {
protected:
    QtFileDialogTest()
    {
        QFile(folder_.filePath(QStringLiteral("existing.txt"))).open(QIODevice::WriteOnly);
        QDir(folder_.path()).mkdir(QStringLiteral("sub"));
    }

    std::string pathOf(const char* name) const { return narrow(folder_.filePath(QString::fromLatin1(name))); }

    // Open, Save or Cancel, as the user clicks it.
    static void press(QFileDialog& dialog, QDialogButtonBox::StandardButton which)
    {
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        QPushButton* button = buttons->button(which);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        button->click();
    }

    QTemporaryDir folder_;
    QtModalInteractions interactions_;
};

TEST_F(QtFileDialogTest, OpenDialogShowsTheSpecAndAcceptsANameThatDoesNotExist)
{
    FileDialogOptions options;
    options.title = QStringLiteral("Select a template file");
    options.filters = {{QStringLiteral("Template Files (*.txt; *.html)"), "*.txt; *.html"},
                       {QStringLiteral("All Files"), "*.*"}};
    options.defaultExtension = "txt";
    options.path = pathOf("existing.txt");

    WindowAnswerer answerer("QFileDialog", [&](QWidget& window) {
        auto& dialog = static_cast<QFileDialog&>(window);
        EXPECT_EQ(dialog.windowTitle(), options.title);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));
        EXPECT_EQ(dialog.directory().absolutePath(), QDir(folder_.path()).absolutePath());
        EXPECT_EQ(dialog.selectedFiles(), QStringList{folder_.filePath(QStringLiteral("existing.txt"))});
        EXPECT_EQ(dialog.nameFilters(), (QStringList{QStringLiteral("Template Files (*.txt; *.html) (*.txt *.html)"),
                                                     QStringLiteral("All Files (*)")}));
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        EXPECT_EQ(types->itemText(0), QStringLiteral("Template Files (*.txt; *.html)"));
        EXPECT_EQ(types->itemText(1), QStringLiteral("All Files"));
        dialog.selectFile(QStringLiteral("missing"));
        press(dialog, QDialogButtonBox::Open);
    });
    EXPECT_EQ(interactions_.fileDialog(0, options), pathOf("missing.txt"));
    EXPECT_TRUE(answerer.answered());
}

TEST_F(QtFileDialogTest, SaveDialogReplacesAnExistingFileWithoutAsking)
{
    FileDialogOptions options;
    options.save = true;
    options.path = pathOf("existing.txt");
    WindowAnswerer answerer("QFileDialog", [&](QWidget& window) {
        auto& dialog = static_cast<QFileDialog&>(window);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        press(dialog, QDialogButtonBox::Save);
    });
    EXPECT_EQ(interactions_.fileDialog(0, options), pathOf("existing.txt"));
    EXPECT_TRUE(answerer.answered());
}

TEST_F(QtFileDialogTest, CancellingChoosesNothing)
{
    FileDialogOptions options;
    options.path = pathOf("existing.txt");
    WindowAnswerer answerer(
        "QFileDialog", [](QWidget& dialog) { press(static_cast<QFileDialog&>(dialog), QDialogButtonBox::Cancel); });
    EXPECT_EQ(interactions_.fileDialog(0, options), std::nullopt);
    EXPECT_TRUE(answerer.answered());
}

TEST_F(QtFileDialogTest, FolderDialogOpensInTheStartFolder)
{
    const std::string start = narrow(folder_.path());
    {
        SCOPED_TRACE("accepted at once");
        WindowAnswerer answerer("QFileDialog", [&](QWidget& window) {
            auto& dialog = static_cast<QFileDialog&>(window);
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select the scripts folder"));
            EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
            EXPECT_EQ(dialog.directory().absolutePath(), QDir(folder_.path()).absolutePath());
            press(dialog, QDialogButtonBox::Open);
        });
        EXPECT_EQ(interactions_.folderDialog(0, QStringLiteral("Select the scripts folder"), start), start);
    }
    {
        SCOPED_TRACE("a subfolder chosen");
        WindowAnswerer answerer("QFileDialog", [&](QWidget& window) {
            auto& dialog = static_cast<QFileDialog&>(window);
            dialog.selectFile(QStringLiteral("sub"));
            press(dialog, QDialogButtonBox::Open);
        });
        EXPECT_EQ(interactions_.folderDialog(0, QString(), start), pathOf("sub"));
    }
    {
        SCOPED_TRACE("cancelled");
        WindowAnswerer answerer(
            "QFileDialog", [](QWidget& dialog) { press(static_cast<QFileDialog&>(dialog), QDialogButtonBox::Cancel); });
        EXPECT_EQ(interactions_.folderDialog(0, QString(), start), std::nullopt);
    }
}

void pressKey(QWidget& widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

TEST(QtPopupMenu, ReturnsTheChosenIdOrZero)
{
    const std::vector<PopupMenuItem> items = {
        {1, QStringLiteral("&Date")},
        {2, QStringLiteral("&Time"), false, true},
        {0, QString(), true},
        {3, QStringLiteral("&Session"), false, false, false},
    };
    QtModalInteractions interactions;
    {
        SCOPED_TRACE("chosen");
        WindowAnswerer answerer("QMenu", [&](QWidget& window) {
            auto& menu = static_cast<QMenu&>(window);
            const QList<QAction*> actions = menu.actions();
            ASSERT_EQ(actions.size(), 4);
            EXPECT_EQ(actions[0]->text(), QStringLiteral("&Date"));
            EXPECT_FALSE(actions[0]->isChecked());
            EXPECT_TRUE(actions[1]->isChecked());
            EXPECT_TRUE(actions[2]->isSeparator());
            EXPECT_FALSE(actions[3]->isEnabled());
            EXPECT_EQ(menu.pos(), QPoint(40, 50));
            menu.setActiveAction(actions[1]);
            pressKey(menu, Qt::Key_Return);
        });
        EXPECT_EQ(interactions.popupMenu(0, items, 40, 50), 2);
    }
    {
        SCOPED_TRACE("dismissed");
        WindowAnswerer answerer("QMenu", [](QWidget& menu) { pressKey(menu, Qt::Key_Escape); });
        EXPECT_EQ(interactions.popupMenu(0, items, 40, 50), 0);
    }
}

} // namespace
} // namespace quillbrook
