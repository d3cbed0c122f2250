// D-Bus introspection generated from the type-info tables, as the bus export answers Introspect:
// an instance's typed interface (each method returning the HRESULT first, then its [out, retval];
// each property with its access), then org.fernhollow.Automation.Dispatch and .Unknown. Every
// member carries its DISPID and help string as annotations, as the type library did.
#pragma once

#include "automation/interface_info.h"

#include <QString>

namespace quillbrook::bus {

// "org.fernhollow.Quillbrook.IService" for the table of IService.
QString typedInterfaceName(const InterfaceInfo& info);

// The <interface> elements of an exported object whose canonical interface is `info`.
QString objectIntrospection(const InterfaceInfo& info);
// The <interface> element of the class factory object.
QString classFactoryIntrospection();

} // namespace quillbrook::bus
