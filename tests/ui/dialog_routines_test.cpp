#include "ui/dialog_routines.h"

#include "resources/string_table.h"
#include "support/scripted_interactions.h"
#include "ui/dialog_builder.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace quillbrook::testing {
namespace {

constexpr int kField = 205;  // an edit field of the menu item dialog
constexpr int kOther = 211;  // another one
constexpr int kButton = 206; // a push button
constexpr unsigned kFolderTitle = 101;

WindowId idOf(const BuiltDialog& built)
{
    return static_cast<WindowId>(built.dialog().winId());
}

class DialogRoutinesTest : public ::testing::Test {
protected:
    QLineEdit& field(int id) const { return *built_.control<QLineEdit>(id); }

    ScriptedInteractions interactions_;
    BuiltDialog built_{*dialogTemplate(dialog_id::MenuItem), ResourceLanguage::English};
};

TEST(CenterWindow, CentresOverTheOwnerTruncatingAndClippingAtZero)
{
    struct Case {
        QRect owner;
        QSize window;
        QPoint expected;
    } const cases[] = {
        {{100, 50, 400, 300}, {200, 100}, {200, 150}},
        {{100, 50, 401, 301}, {200, 100}, {200, 150}},  // (201 / 2) truncated
        {{10, 20, 100, 80}, {300, 60}, {0, 30}},        // wider than the owner: clipped to 0
        {{10, 20, 100, 80}, {50, 400}, {35, 0}},        // higher than the owner
        {{300, 300, 100, 100}, {250, 250}, {225, 225}}, // larger, yet still right of 0
        {{100, 100, 100, 100}, {201, 201}, {50, 50}},   // -101 / 2 truncated toward zero
    };
    for (const Case& c : cases) {
        QWidget owner;
        owner.setGeometry(c.owner);
        QDialog window(&owner);
        window.resize(c.window);
        CenterWindow(window);
        EXPECT_EQ(window.pos(), c.expected) << c.owner.x() << "," << c.owner.width() << " " << c.window.width();
        EXPECT_EQ(window.size(), c.window);
    }
}

TEST(CenterWindow, WithoutOwnerCentresOnTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QDialog window;
    window.resize(screen.width() + 100, 100);
    CenterWindow(window);
    EXPECT_EQ(window.pos(), QPoint(0, screen.top() + (screen.height() - 100) / 2));
}

TEST_F(DialogRoutinesTest, BrowseForFolderStartsAtTheFieldAndPutsTheChoiceWithTheCaretAtTheEnd)
{
    field(kField).setText(QStringLiteral("/home/user/notes"));
    field(kField).setSelection(0, 3);
    interactions_.expectFolderDialog(std::string("/srv/scripts"));
    BrowseForFolder(built_, kFolderTitle, kField, true);

    ASSERT_EQ(interactions_.folderDialogs().size(), 1u);
    const auto& shown = interactions_.folderDialogs().front();
    EXPECT_EQ(shown.owner, idOf(built_));
    EXPECT_EQ(shown.title, loadStringW(kFolderTitle, 256));
    EXPECT_EQ(shown.startFolder, "/home/user/notes");
    EXPECT_EQ(field(kField).text(), QStringLiteral("/srv/scripts"));
    EXPECT_FALSE(field(kField).hasSelectedText());
    EXPECT_EQ(field(kField).cursorPosition(), 12);
}

TEST_F(DialogRoutinesTest, BrowseForFolderCancelledOrWithALongStartChangesNothingAndCutsTheStart)
{
    const QString longFolder = QStringLiteral("/") + QString(300, QLatin1Char('a'));
    field(kField).setText(longFolder);
    interactions_.expectFolderDialog(std::nullopt);
    BrowseForFolder(built_, kFolderTitle, kField, false);

    ASSERT_EQ(interactions_.folderDialogs().size(), 1u);
    EXPECT_EQ(interactions_.folderDialogs().front().startFolder.size(), 259u);
    EXPECT_EQ(field(kField).text(), longFolder);
}

TEST_F(DialogRoutinesTest, EnableControlsTouchesOnlyTheListedControlsThatExist)
{
    EnableControls(built_, {kField, kButton, 4711}, false);
    EXPECT_FALSE(field(kField).isEnabled());
    EXPECT_FALSE(built_.control(kButton)->isEnabled());
    EXPECT_TRUE(field(kOther).isEnabled());

    EnableControls(built_, {kButton}, true);
    EXPECT_TRUE(built_.control(kButton)->isEnabled());
    EXPECT_FALSE(field(kField).isEnabled());
}

TEST_F(DialogRoutinesTest, SelectAllAndFocusSelectsTheWholeText)
{
    field(kField).setText(QStringLiteral("editor.exe"));
    field(kField).setCursorPosition(3);
    SelectAllAndFocus(built_, kField);
    EXPECT_EQ(field(kField).selectedText(), QStringLiteral("editor.exe"));
    EXPECT_EQ(built_.dialog().focusWidget(), &field(kField));
    SelectAllAndFocus(built_, 4711); // no such control: nothing happens
}

TEST_F(DialogRoutinesTest, BrowseForFilePutsTheChoiceIntoTheTargetControlSelectedAndFocused)
{
    field(kField).setText(QStringLiteral("old.exe"));
    field(kOther).setText(QStringLiteral("other"));
    FileDialogRequest request;
    request.Title = "Editor";
    request.Filter = "Executable Files (*.exe)|*.exe||";
    request.TargetControl = kField;
    request.Path = "old.exe";
    interactions_.expectFileDialog(std::string("/opt/new.exe"));

    EXPECT_EQ(BrowseForFile(built_, request), S_OK);
    EXPECT_EQ(request.Path, "/opt/new.exe");
    EXPECT_EQ(field(kField).text(), QStringLiteral("/opt/new.exe"));
    EXPECT_EQ(field(kField).selectedText(), QStringLiteral("/opt/new.exe"));
    EXPECT_EQ(built_.dialog().focusWidget(), &field(kField));
    EXPECT_EQ(field(kOther).text(), QStringLiteral("other"));
    ASSERT_EQ(interactions_.fileDialogs().size(), 1u);
    EXPECT_EQ(interactions_.fileDialogs().front().owner, idOf(built_));
    EXPECT_EQ(interactions_.fileDialogs().front().options.path, "old.exe");
}

TEST_F(DialogRoutinesTest, BrowseForFileCancelledOrWithoutTargetLeavesTheFieldsAlone)
{
    field(kField).setText(QStringLiteral("kept"));
    FileDialogRequest request;
    request.TargetControl = kField;
    request.Path = "kept";
    interactions_.expectFileDialog(std::nullopt);
    EXPECT_EQ(BrowseForFile(built_, request), S_FALSE);
    EXPECT_EQ(request.Path, "kept");
    EXPECT_EQ(field(kField).text(), QStringLiteral("kept"));

    request.TargetControl = 0;
    interactions_.expectFileDialog(std::string("/chosen"));
    EXPECT_EQ(BrowseForFile(built_, request), S_OK);
    EXPECT_EQ(request.Path, "/chosen");
    EXPECT_EQ(field(kField).text(), QStringLiteral("kept"));
}

} // namespace
} // namespace quillbrook::testing
