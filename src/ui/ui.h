// The ui room: the system's dialogs and their routines on Qt Widgets, and the Qt implementation of
// the modal interactions that the earlier rooms reach through the platform room's interface.
#pragma once

#include "ui/dialog_builder.h"
#include "ui/qt_modal_interactions.h"
