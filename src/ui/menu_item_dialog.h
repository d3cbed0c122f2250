// The menu item dialog (104): edits one menu item through its IService properties. Opened with
// runMenuItemDialog (ui/dialogs.h); its controls' ids are in menu_item_control.
#pragma once

#include "resources/menu_item_controls.h"
