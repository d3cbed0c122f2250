#include "service/menu_dialog_hook.h"

#include <utility>

namespace quillbrook {
namespace {

MenuDialogRunner& installedRunner()
{
    static MenuDialogRunner runner;
    return runner;
}

} // namespace

MenuDialogRunner setMenuDialogRunner(MenuDialogRunner runner)
{
    return std::exchange(installedRunner(), std::move(runner));
}

void runMenuDialog(std::int32_t windowHandle)
{
    // A copy, so that a runner that replaces itself stays alive while it runs.
    const MenuDialogRunner runner = installedRunner();
    if (runner)
        runner(windowHandle);
}

} // namespace quillbrook
