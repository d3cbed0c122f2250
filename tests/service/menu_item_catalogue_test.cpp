#include "store/menu_item_catalogue.h"

#include "service/service_class.h"
#include "store/menu_script.h"
#include "support/scripted_interactions.h"

#include "../store/menu_item_fixture.h"

#include <sqlite3.h>

#include <optional>
#include <vector>

namespace quillbrook::testing {
namespace {

namespace fs = std::filesystem;

// Menu items of real service objects, made through the class factory as in the server.
class CatalogueTest : public MenuItemTest {
protected:
    // An entry as another program, or an older version, leaves it.
    void writeEntry(const std::string& name, const std::optional<RegistryValue>& marker, const std::string& editor = {})
    {
        RegistryKey entry = key(menuExtEntryPath(name));
        if (marker) {
            EXPECT_EQ(entry.setValue(marker->name, marker->type, marker->data), ERROR_SUCCESS);
        }
        if (!editor.empty()) {
            EXPECT_EQ(entry.setValue("QuillbrookEditorName", REG_SZ, editor), ERROR_SUCCESS);
        }
    }

    static std::shared_ptr<IService> newItem(const QString& label)
    {
        std::shared_ptr<IService> item;
        EXPECT_EQ(CMenuItemCatalogue::newItem(&item), S_OK);
        if (item) {
            EXPECT_EQ(item->put_Label(label), S_OK);
        }
        return item;
    }

    static QString stringOf(HRESULT (IService::*get)(QString*), IService& item)
    {
        QString value;
        EXPECT_EQ((item.*get)(&value), S_OK);
        return value;
    }

    static std::vector<QString> labelsOf(const CMenuItemCatalogue& catalogue)
    {
        std::vector<QString> labels;
        for (const auto& item : catalogue.items())
            labels.push_back(stringOf(&IService::get_Label, *item));
        return labels;
    }

    static bool entryExists(const std::string& label) { return openItemKey(label).ok(); }
    static bool scriptExists(const std::string& label) { return fs::exists(MenuScriptPath(label)); }

    ClassRegistration services_ = registerServiceClass();
    CMenuItemCatalogue catalogue_;
};

TEST_F(CatalogueTest, LoadListsTheMarkedEntriesInTheHivesOrder)
{
    writeEntry("Zeta", RegistryValue{"Quillbrook", REG_SZ, ""});
    writeEntry("alpha", std::nullopt, "not ours");
    writeEntry("Beta", RegistryValue{"Quillbrook", REG_DWORD, std::string(4, '\0')}, "vim");
    writeEntry("Open File", std::nullopt);
    writeEntry("gamma", RegistryValue{"QUILLBROOK", REG_BINARY, "\x01\x02"});
    writeEntry("delta", RegistryValue{"Quillbrook", REG_NONE, ""});
    writeEntry("a|b", RegistryValue{"Quillbrook", REG_SZ, ""}); // not a label that can be stored

    CMenuItemCatalogue unregistered;
    services_.revoke();
    EXPECT_EQ(unregistered.Load(std::string()), S_OK);
    EXPECT_TRUE(unregistered.items().empty()) << "no object without the class";
    services_ = registerServiceClass();

    EXPECT_EQ(catalogue_.Load(std::string()), S_OK);
    const std::vector<QString> expected{"Beta", "delta", "gamma", "Zeta"};
    EXPECT_EQ(labelsOf(catalogue_), expected);
    EXPECT_EQ(stringOf(&IService::get_EditorName, *catalogue_.items().front()), QStringLiteral("vim"));
}

TEST_F(CatalogueTest, AddedAndCopiedItemsAreSavedOnlyWhenAdded)
{
    const auto first = newItem(QStringLiteral("First"));
    EXPECT_EQ(first->put_EditorName(QStringLiteral("vim")), S_OK);
    EXPECT_EQ(catalogue_.AddItem(first), S_OK);
    EXPECT_TRUE(entryExists("First") && scriptExists("First"));

    std::shared_ptr<IService> copy;
    ASSERT_EQ(CMenuItemCatalogue::copyItem(first, &copy), S_OK);
    EXPECT_EQ(stringOf(&IService::get_Label, *copy), QStringLiteral("Copy of First"));
    EXPECT_EQ(stringOf(&IService::get_EditorName, *copy), QStringLiteral("vim"));
    EXPECT_FALSE(entryExists("Copy of First") || scriptExists("Copy of First"));
    EXPECT_EQ(catalogue_.items().size(), 1u);

    catalogue_.AddItem(copy);
    EXPECT_TRUE(entryExists("Copy of First") && scriptExists("Copy of First"));
    EXPECT_EQ(labelsOf(catalogue_), (std::vector<QString>{"First", "Copy of First"}));
}

TEST_F(CatalogueTest, UpdateItemWritesTheNewEntryAndRemovesTheOldOne)
{
    const struct {
        const char* name;
        std::string oldLabel;
        std::string newLabel;
        std::size_t values; // a value of another program stays in a key that is kept
    } cases[] = {
        {"unchanged", "Same", "Same", 18},
        {"renamed", "Before", "After", 17},
        {"letter case only", "case", "CASE", 18},
    };
    for (const auto& c : cases) {
        const auto item = newItem(QString::fromStdString(c.oldLabel));
        catalogue_.AddItem(item);
        EXPECT_EQ(key(menuExtEntryPath(c.oldLabel)).setValue("Other", REG_SZ, "kept"), ERROR_SUCCESS);
        EXPECT_EQ(item->put_Label(QString::fromStdString(c.newLabel)), S_OK);
        EXPECT_EQ(item->put_EditorName(QStringLiteral("changed")), S_OK);
        EXPECT_EQ(catalogue_.UpdateItem(item, QString::fromStdString(c.oldLabel)), S_OK) << c.name;

        const auto entry = openItemKey(c.newLabel);
        ASSERT_TRUE(entry.ok()) << c.name;
        EXPECT_TRUE(entry.value().fullName().ends_with("\\" + c.newLabel)) << c.name << ": spelt as the label";
        EXPECT_EQ(valueCount(entry.value()), c.values) << c.name;
        EXPECT_EQ(entry.value().queryValue("QuillbrookEditorName").value().data, "changed") << c.name;
        EXPECT_EQ(readFile(MenuScriptPath(c.newLabel)), expectedScript(c.newLabel)) << c.name;
        EXPECT_EQ(scriptExists(c.oldLabel), c.oldLabel == c.newLabel) << c.name;
    }
    EXPECT_FALSE(entryExists("Before"));

    CMenuItemCatalogue reloaded;
    EXPECT_EQ(reloaded.Load(std::string()), S_OK);
    EXPECT_EQ(labelsOf(reloaded), (std::vector<QString>{"After", "CASE", "Same"}));
}

TEST_F(CatalogueTest, ARespellingThatFailsHalfWayLeavesTheEntryAsItWas)
{
    const auto item = newItem(QStringLiteral("case"));
    catalogue_.AddItem(item);
    const RegistryKey old = openItemKey("case").value();
    std::vector<std::string> names;
    for (auto value = old.enumValue(0); value.ok(); value = old.enumValue(static_cast<std::uint32_t>(names.size())))
        names.push_back(value.value().name);
    {
        // A new value in a key that has five already cannot be written: the save, which only
        // replaces the entry's values, passes; the respelling fails half-way through copying them.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(home_.hiveFile().c_str(), &raw), SQLITE_OK);
        const int rc = sqlite3_exec(raw,
                                    "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN "
                                    "NOT EXISTS (SELECT 1 FROM vals WHERE key = NEW.key AND fold = NEW.fold) "
                                    "AND (SELECT count(*) FROM vals WHERE key = NEW.key) >= 5 "
                                    "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                                    nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        ASSERT_EQ(rc, SQLITE_OK);
    }
    EXPECT_EQ(item->put_Label(QStringLiteral("CASE")), S_OK);
    EXPECT_EQ(item->put_EditorName(QStringLiteral("changed")), S_OK);
    EXPECT_EQ(catalogue_.UpdateItem(item, QStringLiteral("case")), HRESULT_FROM_WIN32(ERROR_CANTWRITE));

    const RegistryKey menuExt = key(kMenuExtKeyPath);
    EXPECT_EQ(menuExt.subKeyNames().value(), std::vector<std::string>{"case"}) << "spelt as before, and alone";
    const RegistryKey entry = openItemKey("case").value();
    for (std::uint32_t index = 0; index < names.size(); ++index)
        EXPECT_EQ(entry.enumValue(index).value().name, names[index]) << index;
    EXPECT_EQ(entry.enumValue(static_cast<std::uint32_t>(names.size())).error(), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(entry.queryValue("QuillbrookEditorName").value().data, "changed") << "the save stays";
}

TEST_F(CatalogueTest, UpdateItemKeepsTheOldEntryWhenTheNewLabelCannotBeStored)
{
    const auto item = newItem(QStringLiteral("Kept"));
    catalogue_.AddItem(item);
    EXPECT_EQ(item->put_Label(QStringLiteral("a/b")), S_OK);
    EXPECT_EQ(catalogue_.UpdateItem(item, QStringLiteral("Kept")), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_TRUE(entryExists("Kept") && scriptExists("Kept"));
}

TEST_F(CatalogueTest, RemoveItemDeletesThatItemsEntryOnlyEvenWithoutItsScript)
{
    for (const char16_t* label : {u"One", u"Two", u"Three"})
        catalogue_.AddItem(newItem(QString::fromUtf16(label)));
    fs::remove(MenuScriptPath("Two"));
    EXPECT_EQ(catalogue_.RemoveItem(catalogue_.items()[1]), S_OK);
    EXPECT_FALSE(entryExists("Two"));
    EXPECT_EQ(labelsOf(catalogue_), (std::vector<QString>{"One", "Three"}));

    EXPECT_EQ(catalogue_.RemoveItem(newItem(QStringLiteral("One"))), S_OK) << "not listed: nothing happens";
    for (const std::string label : {"One", "Three"})
        EXPECT_TRUE(entryExists(label) && scriptExists(label)) << label;
    EXPECT_EQ(catalogue_.items().size(), 2u);
}

TEST_F(CatalogueTest, FindByLabelLeavesOutTheEditedItemAndCountsLetterCase)
{
    const auto one = newItem(QStringLiteral("One"));
    catalogue_.AddItem(one);
    catalogue_.AddItem(newItem(QStringLiteral("Two")));
    writeEntry("Three", RegistryValue{"Quillbrook", REG_SZ, ""});

    EXPECT_FALSE(catalogue_.FindByLabel("One", one));
    EXPECT_TRUE(catalogue_.FindByLabel("Two", one));
    EXPECT_TRUE(catalogue_.FindByLabel("One", nullptr));
    EXPECT_FALSE(catalogue_.FindByLabel("one", nullptr));
    EXPECT_FALSE(catalogue_.FindByLabel("Three", nullptr)) << "the registry is not consulted";
}

TEST_F(CatalogueTest, DeleteEntryRemovesKeyAndScriptAndNothingForLabelsThatCannotBeStored)
{
    catalogue_.AddItem(newItem(QStringLiteral("Gone")));
    catalogue_.AddItem(newItem(QStringLiteral("Stays")));
    EXPECT_EQ(catalogue_.DeleteEntry(QStringLiteral("Gone")), S_OK);
    EXPECT_FALSE(entryExists("Gone") || scriptExists("Gone"));
    EXPECT_EQ(catalogue_.DeleteEntry(QStringLiteral("Gone")), S_OK);

    const fs::path outside = fs::path(scriptsFolder()).parent_path() / "victim.htm";
    std::ofstream(outside) << "not a script";
    for (const char16_t* label : {u"../victim", u"", u".."})
        EXPECT_EQ(catalogue_.DeleteEntry(QString::fromUtf16(label)), S_OK);
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(entryExists("Stays") && scriptExists("Stays"));
}

TEST_F(CatalogueTest, AfterADeclinedMoveTheResaveWritesTheScriptsIntoTheNewFolder)
{
    catalogue_.AddItem(newItem(QStringLiteral("One")));
    const std::string oldFolder = scriptsFolder();
    const std::string newFolder = (home_.root() / "new scripts").string();
    fs::create_directory(newFolder);
    globalSettings().ScriptsFolderPath = newFolder;

    ScriptedInteractions interactions;
    interactions.expectMessageBox(IDNO);
    CMenuItemCatalogue::MoveScriptsFolder(oldFolder, newFolder, 0);
    for (const auto& item : catalogue_.items())
        EXPECT_EQ(catalogue_.UpdateItem(item, stringOf(&IService::get_Label, *item)), S_OK);

    EXPECT_EQ(readFile(fs::path(oldFolder) / "One.htm"), expectedScript("One"));
    EXPECT_EQ(readFile(fs::path(newFolder) / "One.htm"), expectedScript("One"));
    EXPECT_EQ(openItemKey("One").value().queryValue("").value().data, newFolder + "/One.htm");
}

} // namespace
} // namespace quillbrook::testing
