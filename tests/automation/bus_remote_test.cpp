// Objects of another process seen as local objects: references that come back as the object they
// name, proxies that answer QueryInterface by asking the remote object, and the remote Dispatch
// facet through which events and calls by DISPID reach the other process.
#include "automation/bus_values.h"
#include "automation/connection_point.h"
#include "automation/main_thread.h"
#include "support/bus/bus_fixture.h"

namespace quillbrook::testing {
namespace {

using BusRemote = BusFixture;

TEST_F(BusRemote, ReferencesToOwnObjectsComeBackAsThoseObjects)
{
    const auto object = std::make_shared<TestService>();
    const bus::ObjectReference reference = server->toReference(object, clientName());
    EXPECT_EQ(server->fromReference(reference), object);
    ASSERT_TRUE(server->ownServiceName());
    EXPECT_EQ(server->fromReference({QStringLiteral("org.fernhollow.Quillbrook"), reference.path}), object);
    EXPECT_EQ(server->fromReference(bus::ObjectReference{}), nullptr);
}

TEST_F(BusRemote, AnObjectArgumentArrivesAsTheServersOwnObject)
{
    const QString path = createService();
    const QString target = createService();
    const QDBusMessage reply =
        call(path, QStringLiteral("org.fernhollow.Quillbrook.ITestService"), QStringLiteral("CopyTo"),
             {QVariant::fromValue(bus::ObjectReference{serverName(), QDBusObjectPath(target)})});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().front().toInt(), S_OK);
    EXPECT_EQ(served(path)->copiedTo, served(target));

    // Inside a variant, through Invoke, likewise.
    served(path)->copiedTo = nullptr;
    const QVariant reference = QVariant::fromValue(bus::ObjectReference{serverName(), QDBusObjectPath(target)});
    call(path, QStringLiteral("org.fernhollow.Automation.Dispatch"), QStringLiteral("Invoke"),
         {17, QVariant::fromValue(ushort{1}), QVariant(QVariantList{reference})});
    EXPECT_EQ(served(path)->copiedTo, served(target));
}

TEST_F(BusRemote, AnObjectResultIsHeldForTheCallerAndResolvesBackToIt)
{
    const QString path = createService();
    const auto partner = std::make_shared<TestService>();
    served(path)->partner = partner;
    const QDBusMessage reply =
        call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
             {QStringLiteral("org.fernhollow.Quillbrook.ITestService"), QStringLiteral("Partner")});
    const auto reference = bus::referenceFrom(reply.arguments().front().value<QDBusVariant>().variant());
    ASSERT_TRUE(reference);
    EXPECT_EQ(reference->service, serverName());
    EXPECT_EQ(server->exportedCount(), 2u);
    EXPECT_EQ(server->fromReference(*reference), partner);

    // In the client, the reference is a proxy: one while it is held.
    const auto proxy = client->fromReference(*reference);
    ASSERT_NE(proxy, nullptr);
    EXPECT_NE(proxy, std::shared_ptr<Dispatchable>(partner));
    EXPECT_EQ(client->fromReference(*reference), proxy);
    // Passed back to the server, the proxy is the server's object again.
    EXPECT_EQ(client->toReference(proxy, serverName()), *reference);
}

TEST_F(BusRemote, QueryInterfaceOfAProxyAsksTheRemoteObject)
{
    const auto element = std::make_shared<TestElement>();
    element->value = QStringLiteral("first draft");
    const auto proxy = client->fromReference(server->toReference(element, clientName()));
    ASSERT_NE(proxy, nullptr);

    const auto remoteElement = queryInterface<ITestElement>(proxy);
    ASSERT_NE(remoteElement, nullptr);
    QString value;
    EXPECT_EQ(remoteElement->get_Value(&value), S_OK);
    EXPECT_EQ(value, QStringLiteral("first draft"));
    EXPECT_EQ(remoteElement->put_Value(QStringLiteral("second")), S_OK);
    EXPECT_EQ(element->value, QStringLiteral("second"));
    // A failing put comes back as its own HRESULT.
    EXPECT_EQ(bus::hresultText(remoteElement->put_Value(QStringLiteral("refused"))), bus::hresultText(E_INVALIDARG));

    std::shared_ptr<Dispatchable> answer;
    // Registered here, but the remote object says it does not answer it.
    EXPECT_EQ(proxy->QueryInterface(IID_ITestService, &answer), E_NOINTERFACE);
    EXPECT_EQ(answer, nullptr);
    // Not registered here: no proxy facet could be made, whatever the remote object says.
    EXPECT_EQ(proxy->QueryInterface(IID_IConnectionPoint, &answer), E_NOINTERFACE);
    std::shared_ptr<Dispatchable> unknown;
    ASSERT_EQ(remoteElement->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(unknown, proxy);
}

TEST_F(BusRemote, TheRemoteDispatchFacetCallsByDispidAndName)
{
    const QString path = createService();
    const auto proxy = client->fromReference({serverName(), QDBusObjectPath(path)});
    ASSERT_NE(proxy, nullptr);

    EXPECT_EQ(proxy->Invoke(1017, DispatchFlags::Method, {}, nullptr), S_OK);
    const Variant label = Variant::fromBstr(QStringLiteral("Mail"));
    EXPECT_EQ(proxy->invokeByName(u"label", DispatchFlags::PropertyPut, {&label, 1}, nullptr), S_OK);
    Variant result;
    EXPECT_EQ(proxy->invokeByName(u"Label", DispatchFlags::Method | DispatchFlags::PropertyGet, {}, &result), S_OK);
    EXPECT_EQ(result, label);
    const Variant echoed = Variant::fromI4(-12);
    EXPECT_EQ(proxy->invokeByName(u"Echo", DispatchFlags::Method, {&echoed, 1}, &result), S_OK);
    EXPECT_EQ(result, echoed);

    DISPID id = 0;
    EXPECT_EQ(proxy->GetIDsOfNames(u"nothing", id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(proxy->Invoke(999, DispatchFlags::Method, {}, &result), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(served(path)->calls, (std::vector<std::string>{"OnBeforeUnload", "put_Label Mail", "Echo VT_I4 -12"}));
}

TEST_F(BusRemote, AnObjectPassedToTheRemoteSideArrivesThereAsAProxy)
{
    const QString path = createService();
    const auto proxy = client->fromReference({serverName(), QDBusObjectPath(path)});
    const auto clientObject = std::make_shared<TestService>();
    const Variant argument = Variant::fromUnknown(clientObject);
    EXPECT_EQ(proxy->invokeByName(u"CopyTo", DispatchFlags::Method, {&argument, 1}, nullptr), S_OK);
    EXPECT_EQ(client->exportedCount(), 1u);

    // The server calls the client's object back through its own proxy.
    const auto copiedTo = served(path)->copiedTo;
    ASSERT_NE(copiedTo, nullptr);
    EXPECT_EQ(copiedTo->Invoke(7, DispatchFlags::Method, std::vector<Variant>{Variant::fromI4(1)}, nullptr), S_OK);
    EXPECT_EQ(clientObject->calls, (std::vector<std::string>{"ShowMenuDialog 1"}));
}

TEST_F(BusRemote, EventsReachARemoteSinkByDispid)
{
    // The window's connection point is in the client, the advised sink (a service) in the server.
    const QString path = createService();
    ConnectionPoint window(IID_IDispatch);
    std::int32_t cookie = 0;
    ASSERT_EQ(window.Advise(client->fromReference({serverName(), QDBusObjectPath(path)}), &cookie), S_OK);
    window.fire(1017);
    window.fire(1008);
    EXPECT_EQ(served(path)->calls, (std::vector<std::string>{"OnBeforeUnload"}));
}

TEST_F(BusRemote, CallsOfAnObjectThatIsGoneFailAsDisconnected)
{
    const QString path = createService();
    const auto proxy = client->fromReference({serverName(), QDBusObjectPath(path)});
    call(path, QStringLiteral("org.fernhollow.Automation.Dispatch"), QStringLiteral("Release"));
    ASSERT_EQ(server->exportedCount(), 0u);
    EXPECT_EQ(proxy->Invoke(1017, DispatchFlags::Method, {}, nullptr), RPC_E_DISCONNECTED);

    const auto elsewhere = client->fromReference({QStringLiteral(":1.9999"), QDBusObjectPath(path)});
    std::shared_ptr<Dispatchable> answer;
    EXPECT_EQ(elsewhere->Invoke(1017, DispatchFlags::Method, {}, nullptr), RPC_E_DISCONNECTED);
    EXPECT_EQ(elsewhere->QueryInterface(IID_ITestElement, &answer), E_NOINTERFACE);
}

} // namespace
} // namespace quillbrook::testing
