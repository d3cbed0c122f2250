#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>

#include "fileopen/file_open_service.h"
#include "service/change_watcher.h"
#include "store/global_settings.h"
#include "ui/dialogs.h"
#include "support/fresh_settings.h"
#include "support/scripted_interactions.h"
#include "support/temporary_home.h"
#include "window_answerer.h"

namespace quillbrook {
namespace {

using testing::ScriptedInteractions;
using testing::TemporaryHome;
using testing::WindowAnswerer;

// Records its registration calls into the log the test shares with the dialog's effects.
class RecordingFileOpen final : public IFileOpenService {
public:
    explicit RecordingFileOpen(std::vector<std::string>& log) : log_(log) {}

    HRESULT get_Registered(VARIANT_BOOL* value) override
    {
        *value = registered;
        return readResult;
    }
    HRESULT put_Registered(VARIANT_BOOL value) override
    {
        log_.push_back("Registered=" + std::to_string(value));
        return S_OK;
    }
    HRESULT get_Extensions(QString*) override { return E_NOTIMPL; }
    HRESULT put_Extensions(const QString&) override { return E_NOTIMPL; }
    HRESULT get_OpeningFile(QString*) override { return E_NOTIMPL; }
    HRESULT put_OpeningFile(const QString&) override { return E_NOTIMPL; }
    HRESULT OpenFile(const std::shared_ptr<Dispatchable>&) override { return E_NOTIMPL; }
    const InterfaceInfo& typeInfo() const override { return interfaceInfo(); }

    VARIANT_BOOL registered = 1;
    HRESULT readResult = S_OK;

private:
    std::vector<std::string>& log_;
};

QLineEdit& edit(QWidget& dialog, int id)
{
    auto* field = dialog.findChild<QLineEdit*>(QString::number(id));
    EXPECT_NE(field, nullptr) << id;
    return *field;
}

QAbstractButton& button(QWidget& dialog, int id)
{
    auto* found = dialog.findChild<QAbstractButton*>(QString::number(id));
    EXPECT_NE(found, nullptr) << id;
    return *found;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home_.setEnvironment("LANGUAGE", std::string("en"));
        testing::loadFreshGlobalSettings();
        GlobalSettings& settings = globalSettings();
        settings.TempFileNameTemplate = "%title%,";
        settings.FileOpenExtensions = "txt; md;";
        settings.LastDeletedFileBackup = "/backup/last.txt";
        settings.BackupLastDeletedFile = 1;
        settings.FileOpenSpecifyCodePage = 0;
    }

    // Runs the dialog with `answer` acting on it while it is shown; the answer ends it.
    int run(const std::function<void(QWidget&)>& answer)
    {
        WindowAnswerer answerer("QDialog", answer);
        const int result = runOptionsDialog(nullptr, fileOpen_, effects_);
        EXPECT_TRUE(answerer.answered());
        return result;
    }

    TemporaryHome home_;
    ScriptedInteractions scripted_;
    std::vector<std::string> log_;
    RecordingFileOpen fileOpen_{log_};
    OptionsDialogEffects effects_{
        [this] { log_.push_back("save " + globalSettings().TempFileNameTemplate); },
        [this](const std::string& oldFolder, const std::string& newFolder, WindowId) {
            log_.push_back("move " + oldFolder + " -> " + newFolder);
        },
        [this] { log_.push_back("restart watcher"); },
    };
};

TEST_F(OptionsDialogTest, OkStoresRegistersSavesMovesAndRestartsTheWatcherInThatOrder)
{
    const std::string oldScripts = globalSettings().ScriptsFolderPath;
    const int result = run([](QWidget& dialog) {
        edit(dialog, 209).setText(QStringLiteral("/new/scripts"));
        edit(dialog, 213).setText(QStringLiteral("%url%"));
        button(dialog, 214).click();
        button(dialog, 1).click();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(log_, (std::vector<std::string>{"Registered=0", "save %url%", "move " + oldScripts + " -> /new/scripts",
                                              "restart watcher"}));
}

TEST_F(OptionsDialogTest, OkWithoutChangeStillSavesAndRestartsTheWatcher)
{
    const std::string scripts = globalSettings().ScriptsFolderPath;
    EXPECT_EQ(run([](QWidget& dialog) { button(dialog, 1).click(); }), 1);
    EXPECT_EQ(log_, (std::vector<std::string>{"Registered=1", "save %title%,", "move " + scripts + " -> " + scripts,
                                              "restart watcher"}));
}

TEST_F(OptionsDialogTest, CancelChangesNothingEvenAfterBrowsingAndInsertingPlaceholders)
{
    const GlobalSettings& settings = globalSettings();
    const std::string scripts = settings.ScriptsFolderPath;
    scripted_.expectFolderDialog(std::string("/chosen"));
    scripted_.expectPopupMenu(6);
    EXPECT_EQ(run([](QWidget& dialog) {
                  button(dialog, 210).click();
                  EXPECT_EQ(edit(dialog, 209).text(), QStringLiteral("/chosen"));
                  button(dialog, 217).click();
                  button(dialog, 219).click();
                  button(dialog, 2).click();
              }),
              2);
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(settings.ScriptsFolderPath, scripts);
    EXPECT_EQ(settings.TempFileNameTemplate, "%title%,");
    EXPECT_EQ(settings.BackupLastDeletedFile, 1);
}

TEST_F(OptionsDialogTest, EnablingFollowsTheTwoCheckBoxes)
{
    struct Case {
        const char* name;
        VARIANT_BOOL registered;
        HRESULT readResult;
        std::int32_t backup;
        bool openFileControls;
        bool backupField;
    };
    const Case cases[] = {
        {"both on", 1, S_OK, 1, true, true},
        {"both off", 0, S_OK, 0, false, false},
        {"registration unreadable", 1, E_FAIL, 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fileOpen_.registered = c.registered;
        fileOpen_.readResult = c.readResult;
        globalSettings().BackupLastDeletedFile = c.backup;
        run([&](QWidget& dialog) {
            auto expectEnabled = [&](bool openFile, bool backup) {
                EXPECT_EQ(button(dialog, 214).isChecked(), openFile);
                for (int id : {215, 216, 224})
                    EXPECT_EQ(dialog.findChild<QWidget*>(QString::number(id))->isEnabled(), openFile) << id;
                EXPECT_EQ(edit(dialog, 220).isEnabled(), backup);
                EXPECT_TRUE(button(dialog, 221).isEnabled());
            };
            expectEnabled(c.openFileControls, c.backupField);
            button(dialog, 214).click();
            button(dialog, 219).click();
            expectEnabled(!c.openFileControls, !c.backupField);
            // Disabled fields keep their values.
            EXPECT_EQ(edit(dialog, 215).text(), QStringLiteral("txt; md;"));
            EXPECT_EQ(edit(dialog, 220).text(), QStringLiteral("/backup/last.txt"));
            button(dialog, 2).click();
        });
    }
}

TEST_F(OptionsDialogTest, TagMenuListsThePlaceholdersBelowTheButton)
{
    scripted_.expectPopupMenu(0);
    QPoint corner;
    run([&](QWidget& dialog) {
        QAbstractButton& tag = button(dialog, 217);
        corner = tag.mapToGlobal(QPoint(0, tag.height()));
        tag.click();
        EXPECT_EQ(edit(dialog, 213).text(), QStringLiteral("%title%,"));
        button(dialog, 2).click();
    });
    ASSERT_EQ(scripted_.popupMenus().size(), 1u);
    const auto& shown = scripted_.popupMenus().front();
    EXPECT_EQ(QPoint(shown.x, shown.y), corner);
    const std::vector<std::pair<int, QString>> expected = {
        {1, QStringLiteral("HTML Title (%title%)")},
        {2, QStringLiteral("URL (%url%)")},
        {3, QStringLiteral("File Name (%file%)")},
        {0, QString()},
        {4, QStringLiteral("NAME Value Of The Form (%form%)")},
        {5, QStringLiteral("NAME Value Of The TEXTAREA (%textarea%)")},
        {0, QString()},
        {6, QStringLiteral("Unique Session ID (%session%)")},
        {7, QStringLiteral("Timestamp (%timestamp%)")},
    };
    ASSERT_EQ(shown.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown.items[i].separator, expected[i].first == 0);
        if (expected[i].first != 0) {
            EXPECT_EQ(shown.items[i].id, expected[i].first);
            EXPECT_EQ(shown.items[i].text, expected[i].second);
        }
    }
}

TEST_F(OptionsDialogTest, ChosenPlaceholderGoesAtTheCaretOrOverTheSelection)
{
    struct Case {
        const char* name;
        QString text;
        int start;
        int length; // 0: a bare caret at `start`
        int command;
        QString expected;
    };
    const Case cases[] = {
        {"caret after the comma", QStringLiteral("%title%,"), 8, 0, 6, QStringLiteral("%title%,%session%")},
        {"caret inside", QStringLiteral("a,b"), 2, 0, 7, QStringLiteral("a,%timestamp%b")},
        {"selection", QStringLiteral("abc XYZ def"), 4, 3, 1, QStringLiteral("abc %title% def")},
        {"whole text selected", QStringLiteral("old"), 0, 3, 5, QStringLiteral("%textarea%")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scripted_.expectPopupMenu(c.command);
        run([&](QWidget& dialog) {
            QLineEdit& field = edit(dialog, 213);
            field.setText(c.text);
            if (c.length > 0)
                field.setSelection(c.start, c.length);
            else
                field.setCursorPosition(c.start);
            button(dialog, 217).click();
            EXPECT_EQ(field.text(), c.expected);
            EXPECT_FALSE(field.hasSelectedText());
            button(dialog, 1).click();
        });
        EXPECT_EQ(globalSettings().TempFileNameTemplate, c.expected.toStdString());
    }
}

TEST_F(OptionsDialogTest, FolderButtonsBrowseFromTheirFields)
{
    scripted_.expectFolderDialog(std::string("/picked/scripts"));
    scripted_.expectFolderDialog(std::nullopt);
    std::string temp;
    run([&](QWidget& dialog) {
        temp = edit(dialog, 211).text().toStdString();
        button(dialog, 210).click();
        button(dialog, 212).click();
        EXPECT_EQ(edit(dialog, 209).text(), QStringLiteral("/picked/scripts"));
        EXPECT_EQ(edit(dialog, 211).text().toStdString(), temp);
        button(dialog, 2).click();
    });
    ASSERT_EQ(scripted_.folderDialogs().size(), 2u);
    EXPECT_EQ(scripted_.folderDialogs()[0].title, QStringLiteral("Script Files Folder"));
    EXPECT_EQ(scripted_.folderDialogs()[0].startFolder, globalSettings().ScriptsFolderPath);
    EXPECT_EQ(scripted_.folderDialogs()[1].title, QStringLiteral("Temporary Files Folder"));
    EXPECT_EQ(scripted_.folderDialogs()[1].startFolder, temp);
}

TEST_F(OptionsDialogTest, BackupButtonAsksForASaveFileEvenWhenTheFieldIsDisabled)
{
    scripted_.expectFileDialog(std::string("/elsewhere/keep.txt"));
    run([](QWidget& dialog) {
        button(dialog, 219).click();
        button(dialog, 221).click();
        EXPECT_EQ(edit(dialog, 220).text(), QStringLiteral("/elsewhere/keep.txt"));
        button(dialog, 2).click();
    });
    ASSERT_EQ(scripted_.fileDialogs().size(), 1u);
    const FileDialogOptions& options = scripted_.fileDialogs().front().options;
    EXPECT_TRUE(options.save);
    EXPECT_EQ(options.title, QStringLiteral("Backup File"));
    EXPECT_EQ(options.defaultExtension, "txt");
    EXPECT_EQ(options.path, "/backup/last.txt");
    ASSERT_EQ(options.filters.size(), 2u);
    EXPECT_EQ(options.filters[0].description, QStringLiteral("Backup Files (*.txt)"));
    EXPECT_FALSE(options.extraControls.has_value());
}

// The real steps: the settings reach the hive, the menu item is registered, the watcher runs.
TEST_F(OptionsDialogTest, RealOkRoundTripsThroughTheHive)
{
    const std::filesystem::path temp = home_.root() / "new temp";
    std::filesystem::create_directories(temp);
    CFileOpenService service;
    const int result = [&] {
        WindowAnswerer answerer("QDialog", [&](QWidget& dialog) {
            EXPECT_EQ(edit(dialog, 213).text(), QStringLiteral("%title%,"));
            EXPECT_FALSE(button(dialog, 214).isChecked());
            EXPECT_FALSE(button(dialog, 224).isChecked());
            edit(dialog, 211).setText(QString::fromStdString(temp.string()));
            edit(dialog, 215).setText(QStringLiteral("log;"));
            button(dialog, 214).click();
            button(dialog, 224).click();
            button(dialog, 219).click();
            button(dialog, 1).click();
        });
        return runOptionsDialog(nullptr, service);
    }();
    changeWatcher().Stop();
    EXPECT_EQ(result, 1);

    testing::loadFreshGlobalSettings();
    const GlobalSettings& settings = globalSettings();
    EXPECT_EQ(settings.TempFolderPath, temp.string());
    EXPECT_EQ(settings.TempFileNameTemplate, "%title%,");
    EXPECT_EQ(settings.FileOpenExtensions, "log;");
    EXPECT_EQ(settings.FileOpenSpecifyCodePage, 1);
    EXPECT_EQ(settings.BackupLastDeletedFile, 0);
    EXPECT_EQ(settings.LastDeletedFileBackup, "/backup/last.txt");
    VARIANT_BOOL registered = 0;
    EXPECT_EQ(CFileOpenService().get_Registered(&registered), S_OK);
    EXPECT_EQ(registered, 1);
}

} // namespace
} // namespace quillbrook
