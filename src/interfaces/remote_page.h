// The page interfaces of an object that another process serves on the bus (the browser bridge's
// page, a test page): element, document, text area, text input, form, and the window's connection
// point container and connection points. Once registered, a reference to such an object becomes a
// proxy (bus::RemoteObject) whose facets call the page objects' bus methods, so the service reads
// and writes a page in another process exactly as it does an in-process one.
#pragma once

#include "automation/interface_info.h"

#include <QString>

namespace quillbrook {

// The bus interface of a page interface: "org.fernhollow.Dom." and the interface's name.
QString pageBusInterface(const InterfaceInfo& info);

// Registers the proxies' facet creators with bus::registerRemoteInterface. Call at start-up,
// before the first reference is turned into a proxy; later calls do nothing.
void registerRemotePageInterfaces();

} // namespace quillbrook
