// The configuration dialogs, each run modally over an owner. The service object reaches the menu
// items dialog through the hook that the program plugs in at start-up.
#pragma once

#include "interfaces/ifileopenservice.h"
#include "interfaces/iservice.h"
#include "platform/modal_interactions.h"

#include <memory>

class QWidget;

namespace quillbrook {

class CMenuItemCatalogue;

// The menu items dialog (102) over the window `owner` (an X11 window id, 0 for the desktop).
void runMenuItemsDialog(WindowId owner);

// The menu item dialog (104) on `item`, checking names against `catalogue`: 1 when OK stored the
// controls' values in `item`, 2 when cancelled (`item` untouched).
int runMenuItemDialog(QWidget* owner, IService& item, CMenuItemCatalogue& catalogue);

// The Options dialog (103), with the Open File service whose registration it edits: 1 when OK
// saved and applied the settings, 2 when cancelled.
int runOptionsDialog(QWidget* owner, IFileOpenService& fileOpen);

// The About box (202).
void runAboutBox(QWidget* owner);

} // namespace quillbrook
