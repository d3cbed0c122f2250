// Open File with a private home and hive, the process-wide settings as a new process loads them,
// scripted dialogs whose encoding list the test works as a user would, and a test page.
#pragma once

#include "support/fresh_settings.h"
#include "fileopen/code_page_hook.h"
#include "fileopen/file_open_service.h"
#include "platform/hive.h"
#include "store/global_settings.h"
#include "support/page/test_page.h"
#include "support/scripted_interactions.h"
#include "support/temporary_home.h"

#include <QApplication>
#include <QComboBox>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quillbrook::testing {

// The encoding list is a real combo box, so the tests need an application; it shows no window.
inline QApplication& widgetsApplication()
{
    static int argc = 1;
    static char name[] = "fileopen_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    return application;
}

// Answers through `script`; where a file dialog carries the encoding list, the hook fills a real
// combo box, the picked encoding is selected and, when a file is chosen, the hook is told so.
class EncodingListUser final : public ModalInteractions {
public:
    explicit EncodingListUser(ScriptedInteractions& script) : script_(script) {}

    // The user selects `codePage` in the next list shown.
    void pick(std::int32_t codePage) { pick_ = codePage; }
    // The code pages of the list's items as the hook filled them, and the item it selected.
    std::vector<std::int32_t> shownCodePages;
    int shownSelection = -1;

    std::optional<std::string> fileDialog(WindowId owner, const FileDialogOptions& options) override
    {
        if (!options.extraControls)
            return script_.fileDialog(owner, options);
        const FileDialogExtraControls& extra = *options.extraControls;
        QWidget controls;
        QComboBox list(&controls);
        list.setObjectName(controlName(kEncodingListControl));
        extra.hook(FileDialogEvent::Initialized, controls, extra.customData);
        shownCodePages.clear();
        for (int i = 0; i < list.count(); ++i)
            shownCodePages.push_back(list.itemData(i).toInt());
        shownSelection = list.currentIndex();
        if (const auto picked = std::exchange(pick_, std::nullopt))
            list.setCurrentIndex(list.findData(*picked));
        std::optional<std::string> answer = script_.fileDialog(owner, options);
        if (answer)
            extra.hook(FileDialogEvent::FileOk, controls, extra.customData);
        return answer;
    }
    int messageBox(WindowId owner, const QString& text, const QString& caption, unsigned style) override
    {
        return script_.messageBox(owner, text, caption, style);
    }
    std::optional<std::string> folderDialog(WindowId owner, const QString& title, const std::string& start) override
    {
        return script_.folderDialog(owner, title, start);
    }
    int popupMenu(WindowId owner, const std::vector<PopupMenuItem>& items, int x, int y) override
    {
        return script_.popupMenu(owner, items, x, y);
    }
    WindowId foregroundWindow() override { return script_.foregroundWindow(); }

private:
    ScriptedInteractions& script_;
    std::optional<std::int32_t> pick_;
    ScopedModalInteractions installed_{*this};
};

class FileOpenTest : public ::testing::Test {
protected:
    FileOpenTest() : locale_("C.UTF-8")
    {
        widgetsApplication();
        for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            home_.setEnvironment(variable, std::nullopt);
        loadFreshGlobalSettings();
        script_.setForegroundWindow(0x2A);
        service_ = std::make_shared<CFileOpenService>();
    }

    std::string writeFile(const std::string& name, const std::string& bytes) const
    {
        const std::string path = (home_.root() / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // The value as the hive holds it; type REG_NONE when it is missing.
    static RegistryValue hiveValue(const std::string& keyPath, const std::string& name)
    {
        const auto key = RegistryKey::openRoot(HiveRoot::CurrentUser).value().openSubKey(keyPath, KEY_READ);
        const auto value = key.ok() ? key.value().queryValue(name) : Win32Result<RegistryValue>(key.error());
        return value.ok() ? value.value() : RegistryValue{};
    }
    static inline const std::string kSettingsKey = "Software\\Fernhollow\\Quillbrook";

    TemporaryHome home_;
    ScopedLocale locale_;
    ScriptedInteractions script_;
    EncodingListUser user_{script_};
    std::shared_ptr<TestPage> page_ = TestPage::create(QStringLiteral("Page"), QStringLiteral("http://example.test/"));
    std::shared_ptr<TestTextBox> box_ = page_->addTextArea(QStringLiteral("body"), nullptr, QStringLiteral("old"));
    std::shared_ptr<CFileOpenService> service_;
};

} // namespace quillbrook::testing
