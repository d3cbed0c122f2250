#include "automation/connection_interfaces.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

constexpr auto kContainerMembers = memberTable(method<&IConnectionPointContainer::FindConnectionPoint>(
    u"FindConnectionPoint", 1, {{u"riid"}}, u"The connection point for an events interface"));

constexpr InterfaceInfo kIConnectionPointContainer{u"IConnectionPointContainer", IID_IConnectionPointContainer,
                                                   u"A source of events", true, kContainerMembers};

constexpr auto kPointMembers = memberTable(
    method<&IConnectionPoint::Advise>(u"Advise", 1, {{u"pUnkSink", VT_UNKNOWN}}, u"Connects a sink to the events"),
    method<&IConnectionPoint::Unadvise>(u"Unadvise", 2, {{u"dwCookie"}}, u"Disconnects the sink of a cookie"));

constexpr InterfaceInfo kIConnectionPoint{u"IConnectionPoint", IID_IConnectionPoint,
                                          u"The connections to one events interface", true, kPointMembers};

} // namespace

const InterfaceInfo& IConnectionPointContainer::typeInfo() const
{
    return kIConnectionPointContainer;
}

const InterfaceInfo& IConnectionPointContainer::interfaceInfo()
{
    return kIConnectionPointContainer;
}

const InterfaceInfo& IConnectionPoint::typeInfo() const
{
    return kIConnectionPoint;
}

const InterfaceInfo& IConnectionPoint::interfaceInfo()
{
    return kIConnectionPoint;
}

} // namespace quillbrook
