// HTMLWindowEvents: the dispatch interface by which the browser's window calls the sinks advised
// on its connection point. The system receives two of its events, each by the browser's DISPID:
// IService gives OnUnload and OnBeforeUnload these DISPIDs, so the events reach them through the
// service's ordinary dispatch. The table lists those two; the browser's other window events are
// never advised for and are left out.
#pragma once

#include "automation/interface_info.h"

namespace quillbrook {

inline constexpr Guid DIID_HTMLWindowEvents = *Guid::parse("{96A0A4E0-D062-11CF-94B6-00AA0060275C}");

inline constexpr DISPID DISPID_HTMLWINDOWEVENTS_ONUNLOAD = 1008;
inline constexpr DISPID DISPID_HTMLWINDOWEVENTS_ONBEFOREUNLOAD = 1017;

const InterfaceInfo& htmlWindowEventsInfo();

} // namespace quillbrook
