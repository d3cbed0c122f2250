// quillbrook: the automation server. Its start-up sequence begins with the per-user settings,
// which on a new account computes the defaults, creates the folders and stores every value.
#include "store/global_settings.h"

#include <clocale>

int main()
{
    std::setlocale(LC_ALL, "");
    return quillbrook::globalSettings().Load(std::string());
}
