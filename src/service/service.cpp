#include "service/service.h"

#include "store/global_settings.h"

namespace quillbrook {

CService::CService()
    : settings_(MenuItemSettings::withGlobalDefaults(globalSettings())),
      menuExtKey_("Software\\Microsoft\\Internet Explorer\\MenuExt", std::string())
{
}

CService::~CService() = default;

HRESULT CService::OnUnload()
{
    return S_OK;
}

// The working Open File command is the file open service; this one leaves the text box alone.
HRESULT CService::OpenFile(const std::shared_ptr<Dispatchable>&)
{
    return S_OK;
}

// The editing session, the menu item store and the dialogs arrive with their own rooms; until
// then these members say so.
HRESULT CService::ShowMenuDialog(std::int32_t)
{
    return E_NOTIMPL;
}

HRESULT CService::Register(const std::shared_ptr<Dispatchable>&)
{
    return E_NOTIMPL;
}

HRESULT CService::OnChangeNotification()
{
    return E_NOTIMPL;
}

HRESULT CService::LoadFromMenuExt(const QString&)
{
    return E_NOTIMPL;
}

HRESULT CService::SaveToMenuExt()
{
    return E_NOTIMPL;
}

HRESULT CService::OnBeforeUnload()
{
    return E_NOTIMPL;
}

} // namespace quillbrook
