#include "ui/menu_item_dialog.h"

#include "resources/string_table.h"
#include "service/service_class.h"
#include "store/menu_item_catalogue.h"
#include "support/scripted_interactions.h"
#include "ui/dialogs.h"
#include "window_answerer.h"

#include "support/fresh_settings.h"

#include "../store/settings_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace quillbrook::testing {
namespace {

namespace id = menu_item_control;

struct Texts {
    QString label, editorName, editorProgramFile, commandLine, extension, carbonCopyFile, templateFile;
};
struct Checks {
    VARIANT_BOOL useTemplateFile, closeAtSaving, deleteTemporaryFile, carbonCopy, alwaysAskTemplate;
};

QLineEdit& edit(QWidget& window, int control)
{
    return *window.findChild<QLineEdit*>(QString::number(control));
}
QCheckBox& box(QWidget& window, int control)
{
    return *window.findChild<QCheckBox*>(QString::number(control));
}
QComboBox& encodings(QWidget& window)
{
    return *window.findChild<QComboBox*>(QString::number(id::CodePage));
}
void click(QWidget& window, int control)
{
    window.findChild<QAbstractButton*>(QString::number(control))->click();
}

// A private hive and home with the settings a new process has, and the class of real service objects.
class MenuItemDialogTest : public StoreTest {
protected:
    MenuItemDialogTest()
    {
        home_.setEnvironment("QUILLBROOK_SYSTEM_FOLDER", (home_.root() / "system").string());
        loadFreshGlobalSettings();
    }

    static std::shared_ptr<IService> newItem(const QString& label = {})
    {
        std::shared_ptr<IService> item;
        EXPECT_EQ(CMenuItemCatalogue::newItem(&item), S_OK);
        if (item && !label.isNull()) {
            EXPECT_EQ(item->put_Label(label), S_OK);
        }
        return item;
    }

    static Texts textsOf(IService& item)
    {
        Texts t;
        EXPECT_EQ(item.get_Label(&t.label), S_OK);
        EXPECT_EQ(item.get_EditorName(&t.editorName), S_OK);
        EXPECT_EQ(item.get_EditorProgramFile(&t.editorProgramFile), S_OK);
        EXPECT_EQ(item.get_CommandLine(&t.commandLine), S_OK);
        EXPECT_EQ(item.get_Extension(&t.extension), S_OK);
        EXPECT_EQ(item.get_CarbonCopyFile(&t.carbonCopyFile), S_OK);
        EXPECT_EQ(item.get_TemplateFile(&t.templateFile), S_OK);
        return t;
    }
    static Checks checksOf(IService& item)
    {
        Checks c{};
        EXPECT_EQ(item.get_UseTemplateFile(&c.useTemplateFile), S_OK);
        EXPECT_EQ(item.get_CloseAtSaving(&c.closeAtSaving), S_OK);
        EXPECT_EQ(item.get_DeleteTemporaryFile(&c.deleteTemporaryFile), S_OK);
        EXPECT_EQ(item.get_CarbonCopy(&c.carbonCopy), S_OK);
        EXPECT_EQ(item.get_AlwaysAskTemplate(&c.alwaysAskTemplate), S_OK);
        return c;
    }
    static std::int32_t codePageOf(IService& item)
    {
        std::int32_t value = 0;
        EXPECT_EQ(item.get_CodePage(&value), S_OK);
        return value;
    }

    // Runs the dialog on `item`, `answer` driving it once shown; the dialog's result.
    int run(IService& item, const std::function<void(QWidget&)>& answer)
    {
        WindowAnswerer answerer("QDialog", answer);
        const int result = runMenuItemDialog(nullptr, item, catalogue_);
        EXPECT_TRUE(answerer.answered());
        return result;
    }

    ClassRegistration services_ = registerServiceClass();
    CMenuItemCatalogue catalogue_;
    ScriptedInteractions interactions_;
};

void expectTexts(const Texts& actual, const Texts& expected)
{
    EXPECT_EQ(actual.label, expected.label);
    EXPECT_EQ(actual.editorName, expected.editorName);
    EXPECT_EQ(actual.editorProgramFile, expected.editorProgramFile);
    EXPECT_EQ(actual.commandLine, expected.commandLine);
    EXPECT_EQ(actual.extension, expected.extension);
    EXPECT_EQ(actual.carbonCopyFile, expected.carbonCopyFile);
    EXPECT_EQ(actual.templateFile, expected.templateFile);
}

void expectChecks(const Checks& actual, const Checks& expected)
{
    EXPECT_EQ(actual.useTemplateFile, expected.useTemplateFile);
    EXPECT_EQ(actual.closeAtSaving, expected.closeAtSaving);
    EXPECT_EQ(actual.deleteTemporaryFile, expected.deleteTemporaryFile);
    EXPECT_EQ(actual.carbonCopy, expected.carbonCopy);
    EXPECT_EQ(actual.alwaysAskTemplate, expected.alwaysAskTemplate);
}

TEST_F(MenuItemDialogTest, ANewItemShowsTheDefaults)
{
    const auto item = newItem();
    EXPECT_EQ(run(*item,
                  [](QWidget& window) {
                      EXPECT_EQ(edit(window, id::Label).text(), QStringLiteral("&Edit with editor"));
                      EXPECT_EQ(edit(window, id::EditorName).text(), QStringLiteral("Notepad"));
                      EXPECT_EQ(edit(window, id::EditorProgramFile).text(), QStringLiteral("notepad.exe"));
                      EXPECT_EQ(edit(window, id::Extension).text(), QStringLiteral("txt"));
                      for (int empty : {id::CommandLine, id::TemplateFile, id::CarbonCopyFile})
                          EXPECT_TRUE(edit(window, empty).text().isEmpty()) << empty;
                      for (int box_ : {id::UseTemplateFile, id::CloseAtSaving, id::CarbonCopy, id::AlwaysAskTemplate})
                          EXPECT_FALSE(box(window, box_).isChecked()) << box_;
                      EXPECT_TRUE(box(window, id::DeleteTemporaryFile).isChecked());
                      QComboBox& combo = encodings(window);
                      ASSERT_EQ(combo.count(), 3);
                      EXPECT_EQ(combo.currentText(), QStringLiteral("Default(ANSI)"));
                      EXPECT_EQ(combo.itemData(1).toInt(), 1201);
                      EXPECT_EQ(combo.itemData(2).toInt(), 65001);
                      EXPECT_EQ(window.focusWidget(), &edit(window, id::Label));
                      click(window, IDCANCEL);
                  }),
              IDCANCEL);
}

TEST_F(MenuItemDialogTest, LoadsEveryPropertyAndStoresEveryControlWithCheckedBoxesAsOne)
{
    const auto item = newItem(QStringLiteral("Vim"));
    EXPECT_EQ(item->put_EditorName(QStringLiteral("gVim")), S_OK);
    EXPECT_EQ(item->put_EditorProgramFile(QStringLiteral("/usr/bin/gvim")), S_OK);
    EXPECT_EQ(item->put_CommandLine(QStringLiteral("-f")), S_OK);
    EXPECT_EQ(item->put_Extension(QStringLiteral("md")), S_OK);
    EXPECT_EQ(item->put_CarbonCopyFile(QStringLiteral("/tmp/copy.md")), S_OK);
    EXPECT_EQ(item->put_TemplateFile(QStringLiteral("/tmp/template.md")), S_OK);
    EXPECT_EQ(item->put_UseTemplateFile(VARIANT_TRUE), S_OK);
    EXPECT_EQ(item->put_CloseAtSaving(VARIANT_FALSE), S_OK);
    EXPECT_EQ(item->put_DeleteTemporaryFile(5), S_OK);
    EXPECT_EQ(item->put_CarbonCopy(VARIANT_FALSE), S_OK);
    EXPECT_EQ(item->put_AlwaysAskTemplate(VARIANT_TRUE), S_OK);
    EXPECT_EQ(item->put_CodePage(65001), S_OK);

    EXPECT_EQ(run(*item,
                  [](QWidget& window) {
                      expectTexts({edit(window, id::Label).text(), edit(window, id::EditorName).text(),
                                   edit(window, id::EditorProgramFile).text(), edit(window, id::CommandLine).text(),
                                   edit(window, id::Extension).text(), edit(window, id::CarbonCopyFile).text(),
                                   edit(window, id::TemplateFile).text()},
                                  {"Vim", "gVim", "/usr/bin/gvim", "-f", "md", "/tmp/copy.md", "/tmp/template.md"});
                      EXPECT_TRUE(box(window, id::UseTemplateFile).isChecked());
                      EXPECT_FALSE(box(window, id::CloseAtSaving).isChecked());
                      EXPECT_TRUE(box(window, id::DeleteTemporaryFile).isChecked());
                      EXPECT_FALSE(box(window, id::CarbonCopy).isChecked());
                      EXPECT_TRUE(box(window, id::AlwaysAskTemplate).isChecked());
                      EXPECT_EQ(encodings(window).currentText(), QStringLiteral("UTF-8"));

                      edit(window, id::Label).setText(QStringLiteral("Emacs"));
                      edit(window, id::EditorName).setText(QStringLiteral("GNU Emacs"));
                      edit(window, id::EditorProgramFile).setText(QStringLiteral("emacs"));
                      edit(window, id::CommandLine).setText(QStringLiteral("-nw"));
                      edit(window, id::Extension).setText(QStringLiteral(".org"));
                      edit(window, id::CarbonCopyFile).setText(QString());
                      edit(window, id::TemplateFile).setText(QStringLiteral("/t.org"));
                      click(window, id::CloseAtSaving);
                      click(window, id::CarbonCopy);
                      encodings(window).setCurrentIndex(1);
                      click(window, IDOK);
                  }),
              IDOK);
    expectTexts(textsOf(*item), {"Emacs", "GNU Emacs", "emacs", "-nw", ".org", "", "/t.org"});
    expectChecks(checksOf(*item), {1, 1, 1, 1, 1});
    EXPECT_EQ(codePageOf(*item), 1201);
}

TEST_F(MenuItemDialogTest, AnUnofferedCodePageShowsDefaultAndIsStoredAsOne)
{
    const auto item = newItem(QStringLiteral("Euc"));
    EXPECT_EQ(item->put_CodePage(51932), S_OK);
    EXPECT_EQ(run(*item,
                  [](QWidget& window) {
                      EXPECT_EQ(encodings(window).currentIndex(), 0);
                      click(window, IDOK);
                  }),
              IDOK);
    EXPECT_EQ(codePageOf(*item), 1);
}

TEST_F(MenuItemDialogTest, CancelAndEscapeChangeNothing)
{
    const auto item = newItem(QStringLiteral("Kept"));
    EXPECT_EQ(item->put_CodePage(1201), S_OK);
    const Texts before = textsOf(*item);
    const Checks checksBefore = checksOf(*item);
    for (const bool escape : {false, true}) {
        EXPECT_EQ(run(*item,
                      [escape](QWidget& window) {
                          for (int field : {id::Label, id::EditorName, id::EditorProgramFile, id::CommandLine,
                                            id::Extension, id::CarbonCopyFile, id::TemplateFile})
                              edit(window, field).setText(QStringLiteral("changed"));
                          for (int check : {id::UseTemplateFile, id::CloseAtSaving, id::DeleteTemporaryFile,
                                            id::CarbonCopy, id::AlwaysAskTemplate})
                              click(window, check);
                          encodings(window).setCurrentIndex(2);
                          if (escape)
                              qobject_cast<QDialog*>(&window)->reject();
                          else
                              click(window, IDCANCEL);
                      }),
                  IDCANCEL)
            << escape;
        expectTexts(textsOf(*item), before);
        expectChecks(checksOf(*item), checksBefore);
        EXPECT_EQ(codePageOf(*item), 1201);
    }
}

TEST_F(MenuItemDialogTest, TheNameOfAnotherItemIsRefusedWithTheNameSelectedItsOwnNamePasses)
{
    const auto other = newItem(QStringLiteral("Vim"));
    const auto edited = newItem(QStringLiteral("Nano"));
    catalogue_.AddItem(other);
    catalogue_.AddItem(edited);

    interactions_.expectMessageBox(IDOK);
    interactions_.expectMessageBox(IDOK);
    EXPECT_EQ(run(*edited,
                  [&](QWidget& window) {
                      edit(window, id::Label).setText(QStringLiteral("Vim"));
                      edit(window, id::EditorName).setText(QStringLiteral("changed"));
                      edit(window, id::Label).setFocus();
                      edit(window, id::EditorName).setFocus();
                      click(window, IDOK);
                      ASSERT_TRUE(window.isVisible()) << "the dialog stays open";
                      EXPECT_EQ(edit(window, id::Label).selectedText(), QStringLiteral("Vim"));
                      EXPECT_EQ(window.focusWidget(), &edit(window, id::Label));
                      EXPECT_EQ(textsOf(*edited).editorName, QStringLiteral("Notepad")) << "untouched";
                      edit(window, id::Label).setText(QStringLiteral("vim")); // the hive ignores letter case
                      click(window, IDOK);
                      ASSERT_TRUE(window.isVisible());
                      edit(window, id::Label).setText(QStringLiteral("NANO")); // its own, respelled
                      click(window, IDOK);
                  }),
              IDOK);
    ASSERT_EQ(interactions_.messageBoxes().size(), 2u);
    EXPECT_EQ(interactions_.messageBoxes()[1].text, QStringLiteral("vim already exists. Set the other name."));
    const auto& message = interactions_.messageBoxes().front();
    EXPECT_EQ(message.text, QStringLiteral("Vim already exists. Set the other name."));
    EXPECT_EQ(message.caption, QStringLiteral("Menu Item Name"));
    EXPECT_EQ(message.style, MB_OK);
    EXPECT_EQ(textsOf(*edited).label, QStringLiteral("NANO"));

    EXPECT_EQ(run(*other, [](QWidget& window) { click(window, IDOK); }), IDOK) << "its own name passes";
}

TEST_F(MenuItemDialogTest, AnEmptyOrUnstorableNameIsRefusedWithTheNameSelected)
{
    const struct {
        QString name;
        QString message;
    } cases[] = {
        {QString(), QStringLiteral("Enter a menu item name.")},
        {QStringLiteral("a/b"), QStringLiteral("a/b cannot be a menu item name.")},
        {QStringLiteral(".."), QStringLiteral(".. cannot be a menu item name.")},
        {QStringLiteral("x|y"), QStringLiteral("x|y cannot be a menu item name.")},
        {QString(256, QLatin1Char('n')), QString(256, QLatin1Char('n')) + QStringLiteral(" cannot be")},
    };
    const auto item = newItem(QStringLiteral("Before"));
    for (const auto& c : cases) {
        ScriptedInteractions interactions;
        interactions.expectMessageBox(IDOK);
        EXPECT_EQ(run(*item,
                      [&](QWidget& window) {
                          edit(window, id::Label).setText(c.name);
                          edit(window, id::EditorName).setText(QStringLiteral("changed"));
                          click(window, IDOK);
                          ASSERT_TRUE(window.isVisible()) << "the dialog stays open";
                          EXPECT_EQ(edit(window, id::Label).selectedText(), c.name);
                          EXPECT_EQ(window.focusWidget(), &edit(window, id::Label));
                          click(window, IDCANCEL);
                      }),
                  IDCANCEL);
        ASSERT_EQ(interactions.messageBoxes().size(), 1u) << c.name.toStdString();
        EXPECT_TRUE(interactions.messageBoxes().front().text.startsWith(c.message)) << c.name.toStdString();
        EXPECT_EQ(interactions.messageBoxes().front().caption, QStringLiteral("Menu Item Name"));
        expectTexts(textsOf(*item), {"Before", "Notepad", "notepad.exe", "", "txt", "", ""});
    }
}

TEST_F(MenuItemDialogTest, TheRefusalOfAnEmptyNameSpeaksJapaneseToo)
{
    home_.setEnvironment("LANGUAGE", "ja");
    const auto item = newItem(QStringLiteral("Before"));
    interactions_.expectMessageBox(IDOK);
    run(*item, [](QWidget& window) {
        edit(window, id::Label).clear();
        click(window, IDOK);
        click(window, IDCANCEL);
    });
    ASSERT_EQ(interactions_.messageBoxes().size(), 1u);
    EXPECT_EQ(interactions_.messageBoxes().front().text,
              QString::fromUtf16(resourceText(157, ResourceLanguage::Japanese).data()));
    EXPECT_EQ(interactions_.messageBoxes().front().caption, QStringLiteral("メニュー項目名"));
}

TEST_F(MenuItemDialogTest, CarbonCopyAndTemplateBoxesEnableTheirControlsAndKeepTheText)
{
    const auto item = newItem(QStringLiteral("Rules"));
    EXPECT_EQ(item->put_CarbonCopy(VARIANT_TRUE), S_OK);
    EXPECT_EQ(item->put_CarbonCopyFile(QStringLiteral("/tmp/copy.txt")), S_OK);
    EXPECT_EQ(run(*item,
                  [](QWidget& window) {
                      auto enabled = [&](std::initializer_list<int> ids, bool expected) {
                          for (int control : ids)
                              EXPECT_EQ(window.findChild<QWidget*>(QString::number(control))->isEnabled(), expected)
                                  << control;
                      };
                      const auto carbonCopy = {id::CarbonCopyFile, id::BrowseCarbonCopyFile};
                      const auto templates = {id::TemplateFile, id::BrowseTemplateFile, id::AlwaysAskTemplate};
                      enabled(carbonCopy, true);
                      enabled(templates, false);
                      click(window, id::UseTemplateFile);
                      enabled(templates, true);
                      click(window, id::CarbonCopy);
                      enabled(carbonCopy, false);
                      EXPECT_EQ(edit(window, id::CarbonCopyFile).text(), QStringLiteral("/tmp/copy.txt"));
                      click(window, id::UseTemplateFile);
                      enabled(templates, false);
                      enabled({id::CloseAtSaving, id::EditorProgramFile}, true);
                      click(window, IDOK);
                  }),
              IDOK);
    EXPECT_EQ(textsOf(*item).carbonCopyFile, QStringLiteral("/tmp/copy.txt"));
    EXPECT_EQ(checksOf(*item).carbonCopy, VARIANT_FALSE);
}

TEST_F(MenuItemDialogTest, EachBrowseButtonAsksWithItsRequestAndFillsItsField)
{
    const struct {
        int button;
        int field;
        QString title;
        std::vector<std::pair<QString, std::string>> filters;
        std::string defaultExtension;
        bool save;
    } cases[] = {
        {id::BrowseEditorProgram,
         id::EditorProgramFile,
         QStringLiteral("Editor"),
         {{QStringLiteral("Executable Files (*.exe)"), "*.exe"}, {QStringLiteral("All Files"), "*.*"}},
         "exe",
         false},
        {id::BrowseCarbonCopyFile,
         id::CarbonCopyFile,
         QStringLiteral("Carbon Copy File"),
         {{QStringLiteral("Carbon Copy File (*.md)"), "*.md"}, {QStringLiteral("All Files"), "*.*"}},
         "md",
         true},
        {id::BrowseTemplateFile,
         id::TemplateFile,
         QStringLiteral("Template File"),
         {{QStringLiteral("Template Files (*.md)"), "*.md"}, {QStringLiteral("All Files"), "*.*"}},
         "md",
         false},
    };
    const auto item = newItem(QStringLiteral("Browse"));
    EXPECT_EQ(item->put_CarbonCopy(VARIANT_TRUE), S_OK);
    EXPECT_EQ(item->put_UseTemplateFile(VARIANT_TRUE), S_OK);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        ScriptedInteractions interactions;
        interactions.expectFileDialog(std::string("/chosen/file.") + c.defaultExtension);
        interactions.expectFileDialog(std::nullopt);
        const std::string chosen = "/chosen/file." + c.defaultExtension;
        run(*item, [&](QWidget& window) {
            edit(window, id::Extension).setText(QStringLiteral("md"));
            edit(window, c.field).setText(QStringLiteral("start"));
            click(window, c.button);
            EXPECT_EQ(edit(window, c.field).text(), QString::fromStdString(chosen));
            EXPECT_EQ(edit(window, c.field).selectedText(), QString::fromStdString(chosen));
            EXPECT_EQ(window.focusWidget(), &edit(window, c.field));
            click(window, c.button); // cancelled: the field keeps the choice
            EXPECT_EQ(edit(window, c.field).text(), QString::fromStdString(chosen));
            click(window, IDCANCEL);
        });
        ASSERT_EQ(interactions.fileDialogs().size(), 2u);
        const FileDialogOptions& first = interactions.fileDialogs()[0].options;
        EXPECT_EQ(first.title, c.title);
        ASSERT_EQ(first.filters.size(), c.filters.size());
        for (std::size_t i = 0; i < c.filters.size(); ++i) {
            EXPECT_EQ(first.filters[i].description, c.filters[i].first);
            EXPECT_EQ(first.filters[i].pattern, c.filters[i].second);
        }
        EXPECT_EQ(first.defaultExtension, c.defaultExtension);
        EXPECT_EQ(first.save, c.save);
        EXPECT_EQ(first.path, "start");
        EXPECT_FALSE(first.extraControls.has_value());
        EXPECT_EQ(interactions.fileDialogs()[1].options.path, chosen);
    }
}

} // namespace
} // namespace quillbrook::testing
