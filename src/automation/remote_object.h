// An object served by another process on the bus, seen here as a local automation object: it
// answers QueryInterface by asking the remote object (Unknown.QueryInterface) and hands out one
// facet per interface, made by the creator registered for that interface. The interfaces room
// registers the page interfaces' creators; the generic Dispatch facet is built in.
#pragma once

#include "automation/bus_contract.h"
#include "automation/facets.h"

#include <QDBusMessage>
#include <QVariantList>
#include <functional>

namespace quillbrook::bus {

class RemoteObject;

// Makes the facet of one interface on a remote object.
using RemoteFacetCreator = std::function<std::shared_ptr<Dispatchable>(const std::shared_ptr<RemoteObject>& object)>;

// Registers the facet creator for `iid`, whose bus interface is `busInterface` (for example
// "org.fernhollow.Dom.IHTMLElement"). Registration happens at start-up, before any proxy is made.
void registerRemoteInterface(const Guid& iid, const QString& busInterface, RemoteFacetCreator creator);

class RemoteObject final : public FacetedObject {
public:
    static std::shared_ptr<RemoteObject> create(ObjectMarshaller& marshaller, const ObjectReference& reference);

    RemoteObject(ObjectMarshaller& marshaller, ObjectReference reference);
    // Tells the remote process that this process no longer holds the object.
    ~RemoteObject() override;

    const ObjectReference& reference() const { return reference_; }
    ObjectMarshaller& marshaller() const { return marshaller_; }
    // A blocking call of `method` of `busInterface` on the remote object. A call that fails on the
    // bus (the process went away, no such method) gives an error message. On the main thread the
    // wait keeps serving incoming calls, as the original's calls between apartments did, so a
    // remote object may call back into this process while it answers.
    QDBusMessage call(const QString& busInterface, const QString& method, const QVariantList& arguments = {}) const;
    // The HRESULT of a reply whose first argument is one, or the failure of a reply that is an
    // error (RPC_E_DISCONNECTED when the peer is gone).
    [[nodiscard]] static HRESULT resultOf(const QDBusMessage& reply);

    // An object as a `(so)` argument of a call on this remote object (held for its process), and
    // a `(so)` of its replies as an object.
    QVariant toArgument(const std::shared_ptr<Dispatchable>& object) const;
    std::shared_ptr<Dispatchable> objectFrom(const QVariant& argument) const;

protected:
    Guid canonicalInterface() const override;
    std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override;

private:
    ObjectMarshaller& marshaller_;
    ObjectReference reference_;
    // Its own copy: the release at destruction must not depend on the marshaller still living.
    QDBusConnection connection_;
};

} // namespace quillbrook::bus
