// Opening Quillbrook's menu items dialog from outside: a CService activated on the bus (which
// starts Quillbrook when it is not running), ShowMenuDialog with the desktop as owner, release.
#pragma once

#include "platform/win32_error.h"

#include <QDBusConnection>

namespace quillbrook {

// Returns when the user has closed the dialog. The activation's failure when the object cannot
// be created (nothing is shown then); otherwise S_OK, whatever ShowMenuDialog answered. Needs a
// QCoreApplication.
[[nodiscard]] HRESULT openMenuItemsDialog(QDBusConnection connection);

} // namespace quillbrook
