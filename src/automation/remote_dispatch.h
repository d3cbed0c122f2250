// The canonical facet of a remote object: what QueryInterface answers for IID_IUnknown and
// IID_IDispatch, and what a reference to another process's object becomes. Its GetIDsOfNames and
// Invoke are forwarded over org.fernhollow.Automation.Dispatch, so a remote sink receives events
// by DISPID and a remote caller's names reach the remote object's own table.
#pragma once

#include "automation/remote_object.h"

namespace quillbrook::bus {

class RemoteDispatch final : public Facet<Dispatchable, RemoteObject> {
public:
    using Facet::Facet;

    // An empty table: the members are the remote object's, known only to it.
    const InterfaceInfo& typeInfo() const override;
    [[nodiscard]] HRESULT GetIDsOfNames(QStringView name, DISPID& id) const override;
    [[nodiscard]] HRESULT Invoke(DISPID id, DispatchFlags flags, std::span<const Variant> args,
                                 Variant* result) override;

    const RemoteObject& remote() const { return state(); }
};

// The reference of the remote object whose canonical facet is `identity`; null for a local object.
const ObjectReference* remoteReferenceOf(const Dispatchable& identity);

} // namespace quillbrook::bus
