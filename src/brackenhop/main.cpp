// brackenhop: Quillbrook's companion program. "UnregServer" removes Quillbrook's context-menu
// entries, then runs the AppID step; "RegServer" runs the AppID step; without a switch it opens
// Quillbrook's menu items dialog.
#include "brackenhop/app_id_step.h"
#include "brackenhop/menu_ext_cleanup.h"
#include "brackenhop/menu_items_dialog.h"
#include "server/exit_status.h"
#include "server/registration_switch.h"

#include <QCoreApplication>
#include <clocale>
#include <cstdio>

int main(int argc, char** argv)
{
    using namespace quillbrook;
    std::setlocale(LC_ALL, "");
    switch (findRegistrationSwitch(joinCommandLine(argc, argv))) {
    case RegistrationSwitch::UnregServer:
        removeMarkedMenuEntries();
        return reportExitStatus("brackenhop", updateAppIdRegistration(false));
    case RegistrationSwitch::RegServer:
        return reportExitStatus("brackenhop", updateAppIdRegistration(true));
    case RegistrationSwitch::None:
        break;
    }
    const QCoreApplication application(argc, argv);
    if (const HRESULT result = openMenuItemsDialog(QDBusConnection::sessionBus()); FAILED(result))
        std::fprintf(stderr, "brackenhop: Quillbrook cannot be reached: 0x%08X\n", static_cast<unsigned>(result));
    return 0;
}
