// quillbrook-reg: queries and edits the hive from the command line.
#include "regtool/regtool.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return quillbrook::regtool::runRegTool(arguments, {std::cin, std::cout, std::cerr});
}
