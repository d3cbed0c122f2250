#include "bridge/host/bus_event_sink.h"

#include "automation/member_table.h"
#include "interfaces/htmlwindowevents.h"

#include <QDBusMessage>

namespace quillbrook::bridge {

namespace {

constexpr auto kSinkMembers =
    memberTable(method<&BusEventSink::onunload>(u"onunload", DISPID_HTMLWINDOWEVENTS_ONUNLOAD, {}, u"Passes unload on"),
                method<&BusEventSink::onbeforeunload>(u"onbeforeunload", DISPID_HTMLWINDOWEVENTS_ONBEFOREUNLOAD, {},
                                                      u"Passes beforeunload on"));

constexpr InterfaceInfo kSinkInfo{u"HTMLWindowEvents", DIID_HTMLWindowEvents, u"A window events sink on the bus", false,
                                  kSinkMembers};

} // namespace

BusEventSink::BusEventSink(QDBusConnection connection, bus::ObjectReference sink,
                           std::shared_ptr<PendingDeliveries> deliveries)
    : connection_(std::move(connection)), sink_(std::move(sink)), deliveries_(std::move(deliveries))
{}

BusEventSink::~BusEventSink()
{
    QDBusMessage release = QDBusMessage::createMethodCall(
        sink_.service, sink_.path.path(), QLatin1String(bus::kDispatchInterface), QStringLiteral("Release"));
    release.setAutoStartService(false);
    deliveries_->add(connection_.asyncCall(release));
}

HRESULT BusEventSink::onunload()
{
    return forward(DISPID_HTMLWINDOWEVENTS_ONUNLOAD);
}

HRESULT BusEventSink::onbeforeunload()
{
    return forward(DISPID_HTMLWINDOWEVENTS_ONBEFOREUNLOAD);
}

const InterfaceInfo& BusEventSink::typeInfo() const
{
    return kSinkInfo;
}

HRESULT BusEventSink::forward(DISPID id)
{
    QDBusMessage invoke = QDBusMessage::createMethodCall(
        sink_.service, sink_.path.path(), QLatin1String(bus::kDispatchInterface), QStringLiteral("Invoke"));
    invoke.setArguments(
        {static_cast<int>(id), QVariant::fromValue(static_cast<ushort>(DispatchFlags::Method)), QVariantList()});
    invoke.setAutoStartService(false);
    const QDBusPendingCall call = connection_.asyncCall(invoke);
    if (call.isFinished() && call.isError())
        return E_FAIL;
    deliveries_->add(call);
    return S_OK;
}

} // namespace quillbrook::bridge
