#include "automation/facets.h"

#include <algorithm>

namespace quillbrook {

HRESULT FacetedObject::queryFacet(const Guid& iid, std::shared_ptr<Dispatchable>* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const Guid wanted = iid == IID_IUnknown || iid == IID_IDispatch ? canonicalInterface() : iid;

    // Dropped facets leave expired entries behind; they go before the cache is searched.
    std::erase_if(facets_, [](const auto& entry) { return entry.second.expired(); });
    const auto cached =
        std::find_if(facets_.begin(), facets_.end(), [&](const auto& entry) { return entry.first == wanted; });
    if (cached != facets_.end()) {
        *object = cached->second.lock();
        return S_OK;
    }
    std::shared_ptr<Dispatchable> facet = createFacet(wanted);
    if (!facet)
        return E_NOINTERFACE;
    facets_.emplace_back(wanted, facet);
    *object = std::move(facet);
    return S_OK;
}

std::shared_ptr<Dispatchable> FacetedObject::identity()
{
    std::shared_ptr<Dispatchable> canonical;
    // Every faceted object answers IUnknown; a failure leaves `canonical` null, which callers see.
    ignoreResult(queryFacet(IID_IUnknown, &canonical));
    return canonical;
}

} // namespace quillbrook
