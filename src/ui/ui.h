// The ui room: the system's dialogs and their routines on Qt Widgets, and the Qt implementation of
// the modal interactions that the earlier rooms reach through the platform room's interface.
#pragma once

#include "ui/about_box.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_routines.h"
#include "ui/dialogs.h"
#include "ui/help.h"
#include "ui/hyperlink.h"
#include "ui/menu_item_dialog.h"
#include "ui/menu_items_dialog.h"
#include "ui/options_dialog.h"
#include "ui/qt_modal_interactions.h"
