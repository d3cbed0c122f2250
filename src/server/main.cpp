// quillbrook: the automation server. "RegServer" and "UnregServer" register and unregister it;
// any other command line (the bus and clients start it with its embedding switch) runs it as the
// server until it is ended from outside.
#include "server/exit_status.h"
#include "server/registration.h"
#include "server/registration_switch.h"
#include "server/server_run.h"

#include <clocale>

int main(int argc, char** argv)
{
    using namespace quillbrook;
    std::setlocale(LC_ALL, "");
    HRESULT result = S_OK;
    switch (findRegistrationSwitch(joinCommandLine(argc, argv))) {
    case RegistrationSwitch::RegServer:
        result = registerServer(RegistrationTarget::forThisProgram());
        break;
    case RegistrationSwitch::UnregServer:
        result = unregisterServer(RegistrationTarget::forThisProgram());
        break;
    case RegistrationSwitch::None:
        result = runServer(argc, argv);
        break;
    }
    return reportExitStatus("quillbrook", result);
}
