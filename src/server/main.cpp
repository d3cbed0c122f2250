// quillbrook: the automation server. "RegServer" and "UnregServer" register and unregister it;
// any other command line (the bus and clients start it with its embedding switch) runs it as the
// server until it is ended from outside.
#include "platform/program_info.h"
#include "program/exit_status.h"
#include "program/registration_switch.h"
#include "server/registration.h"
#include "server/server_run.h"

#include <clocale>

namespace {

constexpr char kUsage[] = "Usage: quillbrook [/RegServer | /UnregServer]\n"
                          "Quillbrook's automation server on the D-Bus session bus (org.fernhollow.Quillbrook).\n"
                          "\n"
                          "  /RegServer    register the server for this user: its classes in the hive and a D-Bus\n"
                          "                activation file in $XDG_DATA_HOME/dbus-1/services\n"
                          "  /UnregServer  remove that registration (menu items and settings stay)\n"
                          "  --help        show this text\n"
                          "  --version     show the version\n"
                          "\n"
                          "The switches may start with '-' and be written in any letter case. Without one the program\n"
                          "runs as the server until the session ends; the bus starts it so when a client asks for it.\n"
                          "The exit status is the low byte of the result (an HRESULT, also printed when it failed).\n";

} // namespace

int main(int argc, char** argv)
{
    using namespace quillbrook;
    if (const auto answered = answerInformationRequest(argc, argv, "quillbrook", kUsage))
        return *answered;
    std::setlocale(LC_ALL, "");
    HRESULT result = S_OK;
    switch (findRegistrationSwitch(joinCommandLine(argc, argv))) {
    case RegistrationSwitch::RegServer: result = registerServer(RegistrationTarget::forThisProgram()); break;
    case RegistrationSwitch::UnregServer: result = unregisterServer(RegistrationTarget::forThisProgram()); break;
    case RegistrationSwitch::None: result = runServer(argc, argv); break;
    }
    return reportExitStatus("quillbrook", result);
}
