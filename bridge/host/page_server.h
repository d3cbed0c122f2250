// A page's objects on the bus, as the browser bridge serves them: every object of the page that a
// caller reaches (element, document, window, connection point, form) is an object path below one
// root on the connection, answering org.fernhollow.Automation.Unknown.QueryInterface and the page
// interfaces' bus methods by calling the local object. Sinks advised on the window over the bus
// receive its events as Dispatch.Invoke by DISPID.
//
//   PageServer server(connection, QStringLiteral("/org/fernhollow/QuillbrookBridge/pages/1"));
//   if (!server.error().isEmpty()) ...               // the root could not be registered
//   bus::ObjectReference ref = server.referenceOf(element);
//
// Objects are served until the PageServer is destroyed. A peer that is handed one of them or calls
// one holds it until it releases it (org.fernhollow.Automation.Dispatch.Release) or leaves the
// bus, so that the page's owner can let a gone page go once nobody holds any of its objects.
#pragma once

#include "automation/bus_contract.h"
#include "bridge/host/pending_calls.h"

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>

namespace quillbrook::bridge {

class PageServer {
public:
    // Serves below `root`. Events sent to advised sinks are recorded in `deliveries`.
    PageServer(QDBusConnection connection, QString root,
               std::shared_ptr<PendingDeliveries> deliveries = std::make_shared<PendingDeliveries>());
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    // Empty while serving; otherwise why the root could not be registered.
    const QString& error() const;

    // Serves `object` (if it is not served yet) and gives its reference; the null reference for
    // null. One object has one path, whichever of its interfaces is given.
    bus::ObjectReference referenceOf(const std::shared_ptr<Dispatchable>& object);

    // Whether a peer holds any of the page's objects.
    bool isHeld() const;
    // Called, from a call's handling, whenever the last hold of the page's objects goes.
    void onReleased(std::function<void()> released);

private:
    class Objects;
    std::unique_ptr<Objects> objects_;
};

} // namespace quillbrook::bridge
