#include "ui/options_dialog.h"

#include "platform/charset.h"
#include "resources/format_text.h"
#include "service/change_watcher.h"
#include "service/temporary_file_name.h"
#include "store/global_settings.h"
#include "store/menu_item_catalogue.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_routines.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <iterator>
#include <vector>

namespace quillbrook {
namespace {

namespace control {
inline constexpr int ScriptsFolder = 209;
inline constexpr int BrowseScriptsFolder = 210;
inline constexpr int TempFolder = 211;
inline constexpr int BrowseTempFolder = 212;
inline constexpr int FileNameTemplate = 213;
inline constexpr int OpenFileRegistered = 214;
inline constexpr int Extensions = 215;
inline constexpr int ExtensionsLabel = 216;
inline constexpr int PlaceholderMenu = 217;
inline constexpr int BackupEnabled = 219;
inline constexpr int BackupFile = 220;
inline constexpr int BrowseBackupFile = 221;
inline constexpr int SpecifyCodePage = 224;
} // namespace control

// The separators of the placeholder menu follow these descriptions.
constexpr unsigned kSeparatorAfter[] = {string_id::PlaceholderFile, string_id::PlaceholderTextArea};

class OptionsDialog {
public:
    OptionsDialog(QWidget* owner, IFileOpenService& fileOpen, const OptionsDialogEffects& effects)
        : dialog_(*dialogTemplate(dialog_id::Options), messageLanguage(), owner), fileOpen_(fileOpen), effects_(effects)
    {
        dialog_.onInit([this] { init(); });
        dialog_.onCommand([this](int id, int code) { return command(id, code); });
    }

    int run() { return dialog_.exec(); }

private:
    void init()
    {
        CenterWindow(dialog_.dialog());
        loadControls();
        updateControls();
        dialog_.control(control::ScriptsFolder)->setFocus();
    }

    bool command(int id, int code)
    {
        if (code != notification::Clicked)
            return false;
        switch (id) {
        case IDOK: ok(); return true;
        case control::BrowseScriptsFolder:
            BrowseForFolder(dialog_, string_id::ScriptFilesFolderTitle, control::ScriptsFolder, true);
            return true;
        case control::BrowseTempFolder:
            BrowseForFolder(dialog_, string_id::TemporaryFilesFolderTitle, control::TempFolder, true);
            return true;
        case control::BrowseBackupFile: browseBackupFile(); return true;
        case control::PlaceholderMenu: showTagMenu(); return true;
        case control::OpenFileRegistered:
        case control::BackupEnabled: updateControls(); return true;
        default: return false;
        }
    }

    // In the order of the settings table, which is also the order of storing.
    void loadControls()
    {
        const GlobalSettings& settings = globalSettings();
        setText(control::ScriptsFolder, settings.ScriptsFolderPath);
        setText(control::TempFolder, settings.TempFolderPath);
        setText(control::FileNameTemplate, settings.TempFileNameTemplate);
        setText(control::Extensions, settings.FileOpenExtensions);
        setText(control::BackupFile, settings.LastDeletedFileBackup);
        setChecked(control::BackupEnabled, settings.BackupLastDeletedFile != 0);
        setChecked(control::SpecifyCodePage, settings.FileOpenSpecifyCodePage != 0);
        VARIANT_BOOL registered = 0;
        setChecked(control::OpenFileRegistered, SUCCEEDED(fileOpen_.get_Registered(&registered)) && registered != 0);
    }

    void storeControls()
    {
        GlobalSettings& settings = globalSettings();
        settings.ScriptsFolderPath = text(control::ScriptsFolder);
        settings.TempFolderPath = text(control::TempFolder);
        settings.TempFileNameTemplate = text(control::FileNameTemplate);
        settings.FileOpenExtensions = text(control::Extensions);
        settings.LastDeletedFileBackup = text(control::BackupFile);
        settings.BackupLastDeletedFile = checked(control::BackupEnabled) ? 1 : 0;
        settings.FileOpenSpecifyCodePage = checked(control::SpecifyCodePage) ? 1 : 0;
        // Registers or removes the menu item at once; the result is not reported.
        ignoreResult(fileOpen_.put_Registered(checked(control::OpenFileRegistered) ? 1 : 0));
    }

    void updateControls()
    {
        EnableControls(dialog_, {control::ExtensionsLabel, control::Extensions, control::SpecifyCodePage},
                       checked(control::OpenFileRegistered));
        // The browse button 221 stays enabled either way.
        EnableControls(dialog_, {control::BackupFile}, checked(control::BackupEnabled));
    }

    void browseBackupFile()
    {
        FileDialogRequest request;
        request.Save = true;
        request.Title = loadString(string_id::BackupFileTitle);
        request.Filter = loadString(string_id::BackupFileFilter);
        request.DefaultExtension = loadString(string_id::BackupFileExtension);
        request.Path = text(control::BackupFile);
        request.TargetControl = control::BackupFile;
        // A cancelled or failed dialog leaves the field as it was.
        ignoreResult(BrowseForFile(dialog_, request));
    }

    void showTagMenu()
    {
        const QString format = loadStringW(string_id::PlaceholderEntry);
        const QString percent = QStringLiteral("%");
        std::vector<PopupMenuItem> items;
        int commandId = 0;
        for (const FileNamePlaceholder& placeholder : FileNamePlaceholders) {
            const QString keyword = toWide(placeholder.keyword);
            const QString description = loadStringW(placeholder.descriptionId);
            PopupMenuItem entry;
            entry.id = ++commandId;
            entry.text = formatText(format, {description, percent, keyword, percent});
            items.push_back(entry);
            if (std::ranges::find(kSeparatorAfter, placeholder.descriptionId) != std::end(kSeparatorAfter)) {
                PopupMenuItem separator;
                separator.separator = true;
                items.push_back(separator);
            }
        }
        QWidget* button = dialog_.control(control::PlaceholderMenu);
        const QPoint corner = button->mapToGlobal(QPoint(0, button->height()));
        const int chosen = modalInteractions().popupMenu(windowId(), items, corner.x(), corner.y());
        if (chosen < 1 || chosen > static_cast<int>(FileNamePlaceholders.size()))
            return;
        auto* field = dialog_.control<QLineEdit>(control::FileNameTemplate);
        // Replaces the selection, or inserts at a bare caret, keeping the undo history.
        field->insert(percent + toWide(FileNamePlaceholders[static_cast<std::size_t>(chosen - 1)].keyword) + percent);
        field->setFocus();
    }

    // Each step reports nothing; the dialog closes with OK whatever happens.
    void ok()
    {
        const std::string oldScriptsFolder = globalSettings().ScriptsFolderPath;
        storeControls();
        const std::string newScriptsFolder = globalSettings().ScriptsFolderPath;
        effects_.saveSettings();
        effects_.moveScriptsFolder(oldScriptsFolder, newScriptsFolder, windowId());
        // On every OK, so that the watcher follows the temporary files folder now set.
        effects_.restartWatcher();
        dialog_.end(IDOK);
    }

    WindowId windowId() const { return static_cast<WindowId>(dialog_.dialog().winId()); }

    std::string text(int id) const { return toNarrow(dialog_.control<QLineEdit>(id)->text()); }
    void setText(int id, const std::string& value) { dialog_.control<QLineEdit>(id)->setText(toWide(value)); }
    bool checked(int id) const { return dialog_.control<QCheckBox>(id)->isChecked(); }
    void setChecked(int id, bool value) { dialog_.control<QCheckBox>(id)->setChecked(value); }

    BuiltDialog dialog_;
    IFileOpenService& fileOpen_;
    const OptionsDialogEffects& effects_;
};

} // namespace

OptionsDialogEffects OptionsDialogEffects::real()
{
    // The dialog's effects report nothing back, as the dialog never did: it closes either way.
    return {
        [] { ignoreResult(globalSettings().Save(std::string())); },
        &CMenuItemCatalogue::MoveScriptsFolder,
        [] { ignoreResult(changeWatcher().Start()); },
    };
}

int runOptionsDialog(QWidget* owner, IFileOpenService& fileOpen, const OptionsDialogEffects& effects)
{
    OptionsDialog dialog(owner, fileOpen, effects);
    return dialog.run();
}

int runOptionsDialog(QWidget* owner, IFileOpenService& fileOpen)
{
    const OptionsDialogEffects effects = OptionsDialogEffects::real();
    return runOptionsDialog(owner, fileOpen, effects);
}

} // namespace quillbrook
