#include "automation/connection_point.h"

#include <algorithm>

namespace quillbrook {

ConnectionPoint::ConnectionPoint(const Guid& eventsInterface) : eventsInterface_(eventsInterface) {}

HRESULT ConnectionPoint::Advise(const std::shared_ptr<Dispatchable>& pUnkSink, std::int32_t* pdwCookie)
{
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink)
        return E_POINTER;
    std::shared_ptr<Dispatchable> sink;
    if (FAILED(pUnkSink->QueryInterface(IID_IDispatch, &sink)) || !sink)
        return CONNECT_E_CANNOTCONNECT;

    // 0 means "not connected" to the clients, so the count skips it when it wraps.
    if (++lastCookie_ == 0)
        ++lastCookie_;
    const auto cookie = static_cast<std::int32_t>(lastCookie_);
    connections_.push_back({cookie, std::move(sink)});
    *pdwCookie = cookie;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(std::int32_t dwCookie)
{
    const auto found = std::find_if(connections_.begin(), connections_.end(),
                                    [&](const Connection& c) { return c.cookie == dwCookie; });
    if (found == connections_.end())
        return CONNECT_E_NOCONNECTION;
    // Released after the list is consistent again: its destructor may call back into this object.
    // A sink that unadvises itself inside its own Invoke lives on, since fire() still holds it.
    const std::shared_ptr<Dispatchable> released = std::move(found->sink);
    connections_.erase(found);
    return S_OK;
}

void ConnectionPoint::fire(DISPID id)
{
    // A sink may release the last reference to this connection point while it is called.
    const std::shared_ptr<Dispatchable> keepAlive = weak_from_this().lock();
    const std::vector<Connection> advised = connections_;
    for (const Connection& connection : advised) {
        if (isAdvised(connection.cookie))
            ignoreResult(connection.sink->Invoke(id, DispatchFlags::Method, {}, nullptr)); // the sink's own affair
    }
}

void ConnectionPoint::unadviseAll()
{
    // Sinks released while the list is being cleared may call back into Unadvise.
    std::vector<Connection> dropped;
    dropped.swap(connections_);
}

bool ConnectionPoint::isAdvised(std::int32_t cookie) const
{
    return std::any_of(connections_.begin(), connections_.end(),
                       [&](const Connection& c) { return c.cookie == cookie; });
}

} // namespace quillbrook
