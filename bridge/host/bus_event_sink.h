// A sink that a page's window holds for an object advised over the bus: each window event that
// reaches it by DISPID goes on to the remote sink as Dispatch.Invoke(dispid, 1, []). When the window
// drops it (unadvised, refused, page closed) the remote sink is released.
#pragma once

#include "automation/bus_contract.h"
#include "bridge/host/pending_calls.h"

#include <QDBusConnection>
#include <memory>

namespace quillbrook::bridge {

class BusEventSink final : public Dispatchable {
public:
    // The calls to the remote sink are added to `deliveries`.
    BusEventSink(QDBusConnection connection, bus::ObjectReference sink, std::shared_ptr<PendingDeliveries> deliveries);
    ~BusEventSink() override;
    BusEventSink(const BusEventSink&) = delete;
    BusEventSink& operator=(const BusEventSink&) = delete;

    [[nodiscard]] HRESULT onunload();
    [[nodiscard]] HRESULT onbeforeunload();

    const InterfaceInfo& typeInfo() const override;

private:
    // Sent without waiting, as a page goes on unloading whatever its sinks do; the events still
    // arrive in the order they were fired.
    [[nodiscard]] HRESULT forward(DISPID id);

    QDBusConnection connection_;
    bus::ObjectReference sink_;
    std::shared_ptr<PendingDeliveries> deliveries_;
};

} // namespace quillbrook::bridge
