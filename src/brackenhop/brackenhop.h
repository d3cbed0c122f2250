// The brackenhop room: Quillbrook's companion program. Without switches it opens Quillbrook's
// menu items dialog through the bus; with "UnregServer" (at uninstallation) it removes every
// context-menu entry Quillbrook created. It talks to Quillbrook only through bus activation of
// "Quillbrook.Service" and the registry layout of the context-menu entries.
#pragma once

#include "brackenhop/app_id_step.h"
#include "brackenhop/menu_ext_cleanup.h"
#include "brackenhop/menu_items_dialog.h"
