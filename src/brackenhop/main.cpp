// brackenhop: Quillbrook's companion program. "UnregServer" removes Quillbrook's context-menu
// entries, then runs the AppID step; "RegServer" runs the AppID step; without a switch it opens
// Quillbrook's menu items dialog.
#include "brackenhop/app_id_step.h"
#include "brackenhop/menu_ext_cleanup.h"
#include "brackenhop/menu_items_dialog.h"
#include "platform/program_info.h"
#include "program/exit_status.h"
#include "program/registration_switch.h"

#include <QCoreApplication>
#include <clocale>
#include <cstdio>

namespace {

constexpr char kUsage[] = "Usage: brackenhop [/UnregServer | /RegServer]\n"
                          "Quillbrook's companion program.\n"
                          "\n"
                          "  (no switch)   open Quillbrook's configuration dialog (the menu items), starting the\n"
                          "                server when it is not running\n"
                          "  /UnregServer  remove every context-menu entry Quillbrook made for this user\n"
                          "  /RegServer    the registration step of the companion program\n"
                          "  --help        show this text\n"
                          "  --version     show the version\n"
                          "\n"
                          "The switches may start with '-' and be written in any letter case.\n";

} // namespace

int main(int argc, char** argv)
{
    using namespace quillbrook;
    if (const auto answered = answerInformationRequest(argc, argv, "brackenhop", kUsage))
        return *answered;
    std::setlocale(LC_ALL, "");
    switch (findRegistrationSwitch(joinCommandLine(argc, argv))) {
    case RegistrationSwitch::UnregServer:
        removeMarkedMenuEntries();
        return reportExitStatus("brackenhop", updateAppIdRegistration(false));
    case RegistrationSwitch::RegServer: return reportExitStatus("brackenhop", updateAppIdRegistration(true));
    case RegistrationSwitch::None: break;
    }
    const QCoreApplication application(argc, argv);
    if (const HRESULT result = openMenuItemsDialog(QDBusConnection::sessionBus()); FAILED(result))
        std::fprintf(stderr, "brackenhop: Quillbrook cannot be reached: 0x%08X\n", static_cast<unsigned>(result));
    return 0;
}
