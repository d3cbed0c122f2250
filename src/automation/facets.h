// An automation object that answers several interfaces. The original platform gives such an object
// one identity with several vtables; here each interface is a facet, a Dispatchable of its own
// that holds the object's shared state, so the object lives as long as any facet is held.
//
// The state keeps its facets weakly (no ownership cycle) and hands out the same facet for an
// interface while that facet is held. IID_IUnknown and IID_IDispatch answer the canonical facet,
// so two references to one object compare equal after asking each for IID_IUnknown.
//
//   class Box final : public FacetedObject {
//       Guid canonicalInterface() const override { return IID_IThing; }
//       std::shared_ptr<Dispatchable> createFacet(const Guid& iid) override
//       {
//           if (iid == IID_IThing)
//               return std::make_shared<ThingFacet>(sharedSelf<Box>());  // ThingFacet: Facet<IThing, Box>
//           return nullptr;
//       }
//   };
//
// Facets are created only through queryFacet(), never directly. Like the objects it serves, a
// faceted object is used from one thread.
#pragma once

#include "automation/dispatchable.h"

#include <memory>
#include <utility>
#include <vector>

namespace quillbrook {

class FacetedObject : public std::enable_shared_from_this<FacetedObject> {
public:
    virtual ~FacetedObject() = default;
    FacetedObject(const FacetedObject&) = delete;
    FacetedObject& operator=(const FacetedObject&) = delete;

    // The facet for `iid`, with the results of Dispatchable::QueryInterface. The object must be
    // owned by a shared_ptr.
    [[nodiscard]] HRESULT queryFacet(const Guid& iid, std::shared_ptr<Dispatchable>* object);

    // The canonical facet: what IID_IUnknown answers, and how the object is handed to a caller.
    std::shared_ptr<Dispatchable> identity();

protected:
    FacetedObject() = default;

    // The interface whose facet is the canonical one.
    virtual Guid canonicalInterface() const = 0;
    // A new facet for `iid` that holds this object; null when the object does not answer `iid`.
    virtual std::shared_ptr<Dispatchable> createFacet(const Guid& iid) = 0;

    // This object as its own class, for handing to a new facet.
    template <class Self>
    std::shared_ptr<Self> sharedSelf()
    {
        return std::static_pointer_cast<Self>(shared_from_this());
    }

private:
    std::vector<std::pair<Guid, std::weak_ptr<Dispatchable>>> facets_;
};

// One facet: the C++ interface `Interface` on the shared `State` (a FacetedObject). QueryInterface
// on any facet asks the state, so every facet answers every interface of the object.
template <class Interface, class State>
class Facet : public Interface {
public:
    explicit Facet(std::shared_ptr<State> state) : state_(std::move(state)) {}

    [[nodiscard]] HRESULT QueryInterface(const Guid& iid, std::shared_ptr<Dispatchable>* object) final
    {
        return state_->queryFacet(iid, object);
    }

protected:
    State& state() const { return *state_; }

private:
    std::shared_ptr<State> state_;
};

} // namespace quillbrook
