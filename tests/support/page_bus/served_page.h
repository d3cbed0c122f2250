// A TestPage on the bus, served by the browser bridge's page server as it serves a real page:
// every object of the page that a caller reaches (element, document, window, connection point,
// form) is an object path on the connection, answering org.fernhollow.Automation.Unknown.QueryInterface and the page
// interfaces' bus methods by calling the page's own objects. Sinks advised on the window over the bus receive its
// events as Dispatch.Invoke by DISPID.
//
//   ServedPage served(pageConnection, page);
//   bus::ObjectReference ref = served.referenceOf(box->element());
//   auto element = exporter.fromReference(ref);   // on another connection
//
// The page's knobs (failures, goAway) and its records of writes work as they do in process.
// Objects are served, and held, until the ServedPage is destroyed.
#pragma once

#include "automation/bus_contract.h"
#include "bridge/host/page_server.h"
#include "support/page/test_page.h"

#include <QDBusConnection>
#include <memory>

namespace quillbrook::testing {

class ServedPage {
public:
    ServedPage(QDBusConnection connection, std::shared_ptr<TestPage> page);
    ~ServedPage();
    ServedPage(const ServedPage&) = delete;
    ServedPage& operator=(const ServedPage&) = delete;

    // Serves `object` (if it is not served yet) and gives its reference; the null reference for
    // null. One object has one path, whichever of its interfaces is given.
    bus::ObjectReference referenceOf(const std::shared_ptr<Dispatchable>& object);

private:
    std::shared_ptr<TestPage> page_;
    bridge::PageServer server_;
};

} // namespace quillbrook::testing
