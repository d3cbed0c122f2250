#include "service/service.h"

#include "platform/menu_ext_schema.h"
#include "service/menu_dialog_hook.h"
#include "store/global_settings.h"

namespace quillbrook {

CService::CService()
    : settings_(MenuItemSettings::withGlobalDefaults(globalSettings())), menuExtKey_(kMenuExtKeyPath, std::string())
{}

// The deleter goes first: its thread uses the session's fields until it has ended.
CService::~CService()
{
    deleter_.Stop();
}

// The working Open File command is the file open service; this one leaves the text box alone.
HRESULT CService::OpenFile(const std::shared_ptr<Dispatchable>&)
{
    return S_OK;
}

// The dialog lives in a later room, which the program plugs in at start-up.
HRESULT CService::ShowMenuDialog(std::int32_t WindowHandle)
{
    // Whatever the dialog does, the caller is told S_OK.
    runMenuDialog(WindowHandle);
    return S_OK;
}

HRESULT CService::LoadFromMenuExt(const QString& Label)
{
    return loadMenuItem(menuExtKey_, Label, settings_);
}

HRESULT CService::SaveToMenuExt()
{
    return saveMenuItem(menuExtKey_, settings_);
}

} // namespace quillbrook
