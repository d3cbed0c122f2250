// The original platform's connection points, by which an event source (the browser window) calls
// the objects that asked for its events. A client finds the source's connection point for an
// events interface, advises it of its sink (an IDispatch) and gets a cookie; the source then calls
// the sink's Invoke with each event's DISPID until the client unadvises that cookie.
//
// The interface ids and results are the original ones. The original interfaces are not dispatch
// interfaces; their tables here (DISPIDs chosen by this system) let the bus reach them by name.
#pragma once

#include "automation/dispatchable.h"
#include "automation/interface_info.h"

#include <cstdint>
#include <memory>

namespace quillbrook {

inline constexpr Guid IID_IConnectionPointContainer = *Guid::parse("{B196B284-BAB4-101A-B69C-00AA00341D07}");
inline constexpr Guid IID_IConnectionPoint = *Guid::parse("{B196B286-BAB4-101A-B69C-00AA00341D07}");

// No connection point for that interface; no connection with that cookie.
inline constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200u);
// The sink does not answer the interface the connection point calls.
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202u);

class IConnectionPointContainer : public Dispatchable {
public:
    // The connection point (an IConnectionPoint) for the events interface `riid`; null and
    // CONNECT_E_NOCONNECTION when the object is no source of it.
    [[nodiscard]] virtual HRESULT FindConnectionPoint(const Guid& riid, std::shared_ptr<Dispatchable>* ppCP) = 0;

    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

class IConnectionPoint : public Dispatchable {
public:
    // The cookie is the original DWORD, carried as a long; a connection's cookie is never 0.
    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<Dispatchable>& pUnkSink, std::int32_t* pdwCookie) = 0;
    [[nodiscard]] virtual HRESULT Unadvise(std::int32_t dwCookie) = 0;

    const InterfaceInfo& typeInfo() const override;
    static const InterfaceInfo& interfaceInfo();
};

} // namespace quillbrook
