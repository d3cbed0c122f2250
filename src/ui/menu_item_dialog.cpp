#include "ui/menu_item_dialog.h"

#include "platform/charset.h"
#include "resources/format_text.h"
#include "resources/string_table.h"
#include "service/code_page_choices.h"
#include "store/menu_item_catalogue.h"
#include "store/menu_item_setting_table.h"
#include "store/menu_label.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_routines.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

namespace quillbrook {
namespace {

namespace id = menu_item_control;

// The controls held narrow text: what the process charset cannot hold arrives as '?'.
QString throughControls(const QString& text)
{
    return toWide(toNarrow(text));
}

class MenuItemDialog {
public:
    MenuItemDialog(QWidget* owner, IService& item, CMenuItemCatalogue& catalogue)
        : built_(*dialogTemplate(dialog_id::MenuItem), messageLanguage(), owner), item_(item), catalogue_(catalogue)
    {
        built_.onInit([this] { initialize(); });
        built_.onCommand([this](int command, int code) { return handle(command, code); });
    }

    int exec() { return built_.exec(); }

private:
    QLineEdit& edit(int control) const { return *built_.control<QLineEdit>(control); }
    QCheckBox& box(int control) const { return *built_.control<QCheckBox>(control); }
    QComboBox& list(int control) const { return *built_.control<QComboBox>(control); }

    void initialize()
    {
        CenterWindow(built_.dialog());
        loadControls();
        updateControls();
        edit(id::Label).setFocus();
    }

    bool handle(int command, int code)
    {
        if (code != notification::Clicked)
            return false;
        switch (command) {
        case IDOK: accept(); return true;
        case id::CarbonCopy:
        case id::UseTemplateFile: updateControls(); return true;
        case id::BrowseEditorProgram:
            browse(string_id::EditorTitle, loadString(string_id::EditorFilter), loadString(string_id::EditorExtension),
                   false, id::EditorProgramFile);
            return true;
        case id::BrowseCarbonCopyFile:
            browseWithExtension(string_id::CarbonCopyTitle, string_id::CarbonCopyFilter, true, id::CarbonCopyFile);
            return true;
        case id::BrowseTemplateFile:
            browseWithExtension(string_id::TemplateTitle, string_id::TemplateFilter, false, id::TemplateFile);
            return true;
        default: return false;
        }
    }

    // In the table's dialog order; the code page comes last.
    void loadControls()
    {
        forEachMenuItemSetting(&MenuItemSetting::dialogOrder, [this](const MenuItemSetting& row) {
            std::visit(Overloaded{
                           [&](const TextSetting& text) { loadText(row.control, text.get); },
                           [&](const FlagSetting& flag) { loadCheck(row.control, flag.get); },
                           [&](const NumberSetting& number) { loadEncodings(row.control, number.get); },
                       },
                       row.access);
        });
    }

    void storeControls()
    {
        forEachMenuItemSetting(&MenuItemSetting::dialogOrder, [this](const MenuItemSetting& row) {
            std::visit(Overloaded{
                           [&](const TextSetting& text) { storeText(row.control, text.put); },
                           [&](const FlagSetting& flag) { storeCheck(row.control, flag.put); },
                           [&](const NumberSetting& number) { storeEncodings(row.control, number.put); },
                       },
                       row.access);
        });
    }

    void loadText(int control, HRESULT (IService::*get)(QString*))
    {
        QString value;
        (item_.*get)(&value);
        edit(control).setText(throughControls(value));
    }

    void loadCheck(int control, HRESULT (IService::*get)(VARIANT_BOOL*))
    {
        VARIANT_BOOL value = VARIANT_FALSE;
        (item_.*get)(&value);
        box(control).setChecked(value != VARIANT_FALSE);
    }

    void loadEncodings(int control, HRESULT (IService::*get)(std::int32_t*))
    {
        std::int32_t codePage = 0;
        (item_.*get)(&codePage);
        const EncodingList choices = fillEncodingList(codePage);
        QComboBox& combo = list(control);
        combo.clear();
        for (const EncodingListItem& row : choices.items)
            combo.addItem(row.text, row.codePage);
        combo.setCurrentIndex(choices.selectedIndex);
    }

    void storeText(int control, HRESULT (IService::*put)(const QString&))
    {
        (item_.*put)(throughControls(edit(control).text()));
    }

    // A checked box is stored as 1, not as VARIANT_TRUE.
    void storeCheck(int control, HRESULT (IService::*put)(VARIANT_BOOL))
    {
        (item_.*put)(box(control).isChecked() ? VARIANT_BOOL{1} : VARIANT_FALSE);
    }

    void storeEncodings(int control, HRESULT (IService::*put)(std::int32_t))
    {
        const QComboBox& combo = list(control);
        if (combo.currentIndex() < 0)
            return;
        std::vector<EncodingListItem> rows;
        for (int row = 0; row < combo.count(); ++row)
            rows.push_back({combo.itemText(row), combo.itemData(row).toInt()});
        (item_.*put)(readEncodingChoice(rows, combo.currentIndex(), 0));
    }

    void updateControls()
    {
        EnableControls(built_, {id::CarbonCopyFile, id::BrowseCarbonCopyFile}, box(id::CarbonCopy).isChecked());
        EnableControls(built_, {id::TemplateFile, id::BrowseTemplateFile, id::AlwaysAskTemplate},
                       box(id::UseTemplateFile).isChecked());
    }

    void browse(unsigned titleId, std::string filter, std::string extension, bool save, int field)
    {
        FileDialogRequest request;
        request.Title = loadString(titleId);
        request.Filter = std::move(filter);
        request.DefaultExtension = std::move(extension);
        request.Save = save;
        request.TargetControl = field;
        request.Path = toNarrow(edit(field).text());
        // A cancelled or failed dialog leaves the field as it was.
        ignoreResult(BrowseForFile(built_, request));
    }

    // The filter's "%s" and the default extension are the extension field's text.
    void browseWithExtension(unsigned titleId, unsigned filterId, bool save, int field)
    {
        const std::string extension = toNarrow(edit(id::Extension).text());
        browse(titleId, formatText(loadString(filterId), {extension, extension}), extension, save, field);
    }

    // Empty names and names that cannot be a registry key and a script file are refused here, or
    // the item would address the context-menu key itself or a place outside the scripts folder.
    void accept()
    {
        const QString name = throughControls(edit(id::Label).text());
        if (name.isEmpty())
            return refuseName(loadStringW(string_id::NameEmpty));
        if (!isStorableLabel(name))
            return refuseName(formatText(loadStringW(string_id::NameNotStorable), {name}));
        if (nameTaken(name))
            return refuseName(formatText(loadStringW(string_id::NameTaken), {name}));
        storeControls();
        built_.end(IDOK);
    }

    // Another item's name, in any letter case: the hive's key names ignore case, so two such
    // items would share one entry.
    bool nameTaken(const QString& name) const
    {
        // The catalogue skips the edited object by identity; the reference is not owned here.
        const std::shared_ptr<IService> self(std::shared_ptr<void>(), &item_);
        if (catalogue_.FindByLabel(toNarrow(name), self))
            return true;
        const Dispatchable* selfIdentity = identityOf(self);
        return std::any_of(catalogue_.items().begin(), catalogue_.items().end(), [&](const auto& listed) {
            QString label;
            return identityOf(listed) != selfIdentity && SUCCEEDED(listed->get_Label(&label))
                   && label.compare(name, Qt::CaseInsensitive) == 0;
        });
    }

    void refuseName(const QString& message)
    {
        modalInteractions().messageBox(static_cast<WindowId>(built_.dialog().winId()),
                                       message.left(static_cast<qsizetype>(buffer_size::Message - 1)),
                                       loadStringW(string_id::NameCaption), MB_OK);
        SelectAllAndFocus(built_, id::Label);
    }

    BuiltDialog built_;
    IService& item_;
    CMenuItemCatalogue& catalogue_;
};

} // namespace

int runMenuItemDialog(QWidget* owner, IService& item, CMenuItemCatalogue& catalogue)
{
    MenuItemDialog dialog(owner, item, catalogue);
    return dialog.exec();
}

} // namespace quillbrook
