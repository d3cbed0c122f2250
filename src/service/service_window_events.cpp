// CService and its page's window: connecting to the window's unload events, and what the service
// does when they arrive.
#include "service/service.h"

#include "automation/connection_interfaces.h"
#include "interfaces/htmlwindowevents.h"

namespace quillbrook {

HRESULT CService::findWindowEventsConnectionPoint(std::shared_ptr<IConnectionPoint>& point) const
{
    if (!document_)
        return E_POINTER;
    std::shared_ptr<Dispatchable> window;
    if (const HRESULT hr = document_->get_parentWindow(&window); FAILED(hr))
        return hr;
    if (!window)
        return E_POINTER;
    const auto container = queryInterface<IConnectionPointContainer>(window);
    if (!container)
        return E_NOINTERFACE;
    std::shared_ptr<Dispatchable> pointObject;
    if (const HRESULT hr = container->FindConnectionPoint(DIID_HTMLWindowEvents, &pointObject); FAILED(hr))
        return hr;
    // The object may be a proxy of a point in the page's process: ask it, as for every interface.
    point = queryInterface<IConnectionPoint>(pointObject);
    return point ? S_OK : E_NOINTERFACE;
}

HRESULT CService::ConnectWindowEvents()
{
    if (windowEventsCookie_ != 0)
        return S_OK;
    std::shared_ptr<IConnectionPoint> point;
    HRESULT hr = findWindowEventsConnectionPoint(point);
    if (SUCCEEDED(hr))
        hr = point->Advise(weak_from_this().lock(), &windowEventsCookie_);
    if (FAILED(hr)) {
        ignoreResult(DisconnectWindowEvents()); // the failure to connect is the one reported
        return hr;
    }
    return S_OK;
}

HRESULT CService::DisconnectWindowEvents()
{
    if (windowEventsCookie_ == 0)
        return S_OK;
    std::shared_ptr<IConnectionPoint> point;
    if (const HRESULT hr = findWindowEventsConnectionPoint(point); FAILED(hr))
        return hr;
    if (const HRESULT hr = point->Unadvise(windowEventsCookie_); FAILED(hr))
        return hr;
    windowEventsCookie_ = 0;
    return S_OK;
}

// The page is going away: stop following it and ask the editor to close. The temporary file is
// left to the deleter, which acts on the editor's end.
HRESULT CService::OnBeforeUnload()
{
    // A page that is going away may not answer: the session ends as it goes all the same.
    ignoreResult(DisconnectWindowEvents());
    ignoreResult(CloseEditor());
    letGoOfPageLater();
    return S_OK;
}

HRESULT CService::OnUnload()
{
    return S_OK;
}

} // namespace quillbrook
