// CMenuItemCatalogue: the menu items that Quillbrook created among the browser's context-menu
// entries, each held as a live service object loaded from its entry. The menu items dialog builds
// one when it opens and makes every change of items through it; the registry and the scripts
// folder hold the state, the catalogue only the objects of one dialog's lifetime.
//
// This room comes before the service room: the objects are made through the class factory
// (CLSID_CService must be registered) and used only through IService.
#pragma once

#include "interfaces/iservice.h"
#include "platform/modal_interactions.h"
#include "store/registry_store.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace quillbrook {

class CMenuItemCatalogue : public CRegistryStore {
public:
    CMenuItemCatalogue();
    ~CMenuItemCatalogue() override;

    // Lists, in the hive's enumeration order, every entry whose key carries the "Quillbrook"
    // marker (any type, any data) and whose object loads. Entries that cannot be opened, created
    // or loaded are skipped. Returns 0, or the failure of opening the context-menu key.
    [[nodiscard]] HRESULT Load(const std::string& item) override;
    // Nothing to save: every change is stored when it is made. Returns 0.
    [[nodiscard]] HRESULT Save(const std::string& item) override;

    // Saves the item (whatever that returns) and appends it. Returns 0.
    // AddItem, RemoveItem and DeleteEntry give 0 whatever happens, so their result is no failure.
    HRESULT AddItem(std::shared_ptr<IService> item);
    // Saves the item under its current label, then removes the entry of `oldLabel` when the label
    // changed. The old entry stays while no entry of the new label could be written. A change of
    // letter case only keeps the entry, which the hive's case-blind names share, and respells it,
    // whole or not at all. Returns 0, the failure of reading the item's label, or
    // HRESULT_FROM_WIN32 of the failure that left the entry in its old spelling.
    [[nodiscard]] HRESULT UpdateItem(std::shared_ptr<IService> item, const QString& oldLabel);
    // Deletes the entry of the listed object with the item's identity and stops listing it. An
    // item that is not listed changes nothing. Returns 0.
    HRESULT RemoveItem(std::shared_ptr<IService> item);
    // Whether a listed object other than `except` (may be null) has the label, letter case
    // counting. Only the list is consulted, never the registry; an unreadable label matches none.
    bool FindByLabel(const std::string& label, std::shared_ptr<IService> except) const;
    // Deletes the entry's key and its script file; failures (nothing there) are not reported, and
    // a label that cannot be stored touches nothing. Returns 0.
    HRESULT DeleteEntry(const QString& label);

    // After the scripts folder was changed: asks the user, then moves the old folder to the new
    // path when nothing is there, or its entries into the folder that is. Does nothing when the
    // paths are equal or the old folder does not exist; refuses, with a message that says why,
    // when both name the same folder or the new one lies inside the old one.
    static void MoveScriptsFolder(const std::string& oldFolder, const std::string& newFolder, WindowId owner);

    // A new service object with its construction values; not saved, not listed.
    [[nodiscard]] static HRESULT newItem(std::shared_ptr<IService>* item);
    // A new service object with the settings of `source` and the label "Copy of " (in the
    // message language) followed by the source's; not saved, not listed.
    [[nodiscard]] static HRESULT copyItem(const std::shared_ptr<IService>& source, std::shared_ptr<IService>* copy);

    // The listed objects, in list order.
    const std::vector<std::shared_ptr<IService>>& items() const { return items_; }

private:
    // Called after the item was saved under `newLabel`; the failure of respelling the entry.
    [[nodiscard]] Win32Error retireOldEntry(const QString& oldLabel, const QString& newLabel);

    std::vector<std::shared_ptr<IService>> items_;
};

// The object behind any of its references, for comparing identities: null for a null reference
// and for an object that answers no IUnknown.
const Dispatchable* identityOf(const std::shared_ptr<IService>& object);

} // namespace quillbrook
