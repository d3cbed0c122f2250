// The server's class objects on the bus: both classes in the process's class registry, the class
// factory exported and the service name owned, until they are revoked. This is the step by which
// the original server registered its class objects with the broker for many clients.
#pragma once

#include "automation/bus_exporter.h"
#include "automation/class_factory.h"

#include <QDBusConnection>
#include <memory>
#include <vector>

namespace quillbrook {

class ClassObjects {
public:
    ClassObjects();
    ~ClassObjects();
    ClassObjects(const ClassObjects&) = delete;
    ClassObjects& operator=(const ClassObjects&) = delete;

    // S_OK once the factory is exported and the name owned; S_FALSE when another process already
    // owns the name (this one then has nothing to serve); E_FAIL when the bus cannot be reached or
    // the factory cannot be exported. Only S_OK leaves anything registered.
    [[nodiscard]] HRESULT registerAll(QDBusConnection connection);
    // Releases the name, then drops every exported object and class registration. S_OK.
    [[nodiscard]] HRESULT revoke();

private:
    std::vector<ClassRegistration> classes_;
    std::unique_ptr<bus::BusExporter> exporter_;
    bool nameOwned_ = false;
};

} // namespace quillbrook
