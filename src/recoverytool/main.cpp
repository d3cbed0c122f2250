#include "platform/program_info.h"
#include "recoverytool/recover_command.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    if (const auto answered =
            quillbrook::answerInformationRequest(argc, argv, "quillbrook-recover", quillbrook::kRecoverUsage))
        return *answered;
    std::setlocale(LC_ALL, "");
    return quillbrook::runRecoverCommand(std::vector<std::string>(argv + 1, argv + argc),
                                         quillbrook::RecoveryStore::forCurrentUser(), std::cout, std::cerr);
}
