// The connection point of an event source, written once for every source: the test page's window
// now, the browser bridge's window later. It keeps the advised sinks and delivers an event to
// each of them through the sink's own Invoke, as the original browser does.
#pragma once

#include "automation/connection_interfaces.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace quillbrook {

class ConnectionPoint : public IConnectionPoint {
public:
    // The connection point for the events interface `eventsInterface`.
    explicit ConnectionPoint(const Guid& eventsInterface);

    // E_POINTER for a null sink or cookie pointer; CONNECT_E_CANNOTCONNECT when the sink does not
    // answer IID_IDispatch. The sink is held until it is unadvised. Cookies count up from 1.
    [[nodiscard]] HRESULT Advise(const std::shared_ptr<Dispatchable>& pUnkSink, std::int32_t* pdwCookie) override;
    // CONNECT_E_NOCONNECTION for a cookie that is not advised (any more).
    [[nodiscard]] HRESULT Unadvise(std::int32_t dwCookie) override;

    const Guid& eventsInterface() const { return eventsInterface_; }
    std::size_t sinkCount() const { return connections_.size(); }

    // Calls Invoke(id, DispatchFlags::Method, no arguments, no result) on each sink in the order
    // they were advised; what the sinks return is not examined. A sink may unadvise itself or
    // others during the delivery: a sink unadvised before its turn is not called, a sink advised
    // during the delivery gets the next event.
    void fire(DISPID id);

    // Drops every sink, as a source does when it closes.
    void unadviseAll();

private:
    struct Connection {
        std::int32_t cookie = 0;
        std::shared_ptr<Dispatchable> sink;
    };

    bool isAdvised(std::int32_t cookie) const;

    Guid eventsInterface_;
    std::vector<Connection> connections_;
    std::uint32_t lastCookie_ = 0;
};

} // namespace quillbrook
