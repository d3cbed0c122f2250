// quillbrook-reg: queries and edits the hive from the command line.
#include "platform/program_info.h"
#include "regtool/command_line.h"
#include "regtool/regtool.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    if (const auto answered =
            quillbrook::answerInformationRequest(argc, argv, "quillbrook-reg", quillbrook::regtool::usageText()))
        return *answered;
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return quillbrook::regtool::runRegTool(arguments, {std::cin, std::cout, std::cerr});
}
