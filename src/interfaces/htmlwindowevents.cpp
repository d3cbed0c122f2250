#include "interfaces/htmlwindowevents.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

constexpr auto kWindowEventMembers =
    memberTable(event(u"onunload", DISPID_HTMLWINDOWEVENTS_ONUNLOAD, u"The page is being unloaded"),
                event(u"onbeforeunload", DISPID_HTMLWINDOWEVENTS_ONBEFOREUNLOAD, u"The page is about to be unloaded"));

constexpr InterfaceInfo kHTMLWindowEvents{u"HTMLWindowEvents", DIID_HTMLWindowEvents, u"The events of a window", false,
                                          kWindowEventMembers};

} // namespace

const InterfaceInfo& htmlWindowEventsInfo()
{
    return kHTMLWindowEvents;
}

} // namespace quillbrook
