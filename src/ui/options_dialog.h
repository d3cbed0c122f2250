// The Options dialog (103): the user's global settings and the Open File menu item. What OK does
// beyond the controls (saving, moving the scripts folder, restarting the watcher) is handed in,
// so that a test can see the order; runOptionsDialog (dialogs.h) uses the real steps.
#pragma once

#include "interfaces/ifileopenservice.h"
#include "platform/modal_interactions.h"

#include <functional>
#include <string>

class QWidget;

namespace quillbrook {

struct OptionsDialogEffects {
    std::function<void()> saveSettings;
    std::function<void(const std::string& oldFolder, const std::string& newFolder, WindowId owner)> moveScriptsFolder;
    std::function<void()> restartWatcher;

    // GlobalSettings::Save, CMenuItemCatalogue::MoveScriptsFolder and ChangeWatcher::Start.
    static OptionsDialogEffects real();
};

// 1 when OK stored, saved and applied the settings, 2 when cancelled (nothing changed).
int runOptionsDialog(QWidget* owner, IFileOpenService& fileOpen, const OptionsDialogEffects& effects);

} // namespace quillbrook
