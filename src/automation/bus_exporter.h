// Serves this process's automation objects on the bus: each exported object gets its own path
// and answers its type library's interface (methods returning the HRESULT first, properties as
// D-Bus properties), org.fernhollow.Automation.Dispatch (GetIDsOfNames, Invoke, Release) and
// introspection generated from its type information. An object is held for every peer it was
// handed to until that peer releases it or leaves the bus. Used on the connection's thread (the
// main thread), where the objects live and the calls arrive.
#pragma once

#include "automation/bus_contract.h"

#include <QDBusConnection>
#include <chrono>
#include <memory>

namespace quillbrook::bus {

class BusExporter final : public ObjectMarshaller {
public:
    explicit BusExporter(QDBusConnection connection);
    ~BusExporter() override;
    BusExporter(const BusExporter&) = delete;
    BusExporter& operator=(const BusExporter&) = delete;

    // Registers the class factory object (kClassFactoryPath, kClassFactoryInterface) that creates
    // instances of the classes in the process's class registry (automation/class_factory.h).
    bool registerClassFactory();
    // Owns kServiceName; false when another process owns it.
    bool ownServiceName();
    void releaseServiceName();

    // Number of objects currently exported.
    std::size_t exportedCount() const;

    // Off (zero) by default. When set, a peer that leaves the bus drops its holds only after
    // `grace`, and a peer that calls an exported object holds it as if it had been handed to it:
    // so that clients that make one call per process (busctl, gdbus) can work on one object
    // across calls, each call's process taking the object over before the last one's grace ends.
    void setLeaveGrace(std::chrono::milliseconds grace);

    ObjectReference toReference(const std::shared_ptr<Dispatchable>& object, const QString& peer) override;
    std::shared_ptr<Dispatchable> fromReference(const ObjectReference& reference) override;
    QDBusConnection connection() const override;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quillbrook::bus
