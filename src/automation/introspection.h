// Introspection text generated from the type-info tables, as the bus export publishes it: the
// interface, then each member in vtable order with its DISPID, kind, parameters (name and type)
// and help string. Types are written with their type-library names ("BSTR", "long", ...).
//
//   <interface name="IThing" iid="{...}" dual="true" help="...">
//     <member name="Name" dispid="1" kind="propget" type="BSTR" help="..."/>
//     <member name="Name" dispid="1" kind="propput" help="..."><param name="" type="BSTR"/></member>
//   </interface>
#pragma once

#include "automation/interface_info.h"

#include <QString>

namespace quillbrook {

// "BSTR", "long", "VARIANT_BOOL", "IDispatch*", ...
QString typeLibraryName(VarType type);
// "method", "propget" or "propput".
QString typeLibraryName(MemberKind kind);

QString introspectionXml(const InterfaceInfo& info);
// The class with its ids and ProgIDs, its default interface in full and its events interface.
QString introspectionXml(const ClassInfo& info);

} // namespace quillbrook
