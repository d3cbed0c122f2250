// Creating objects through the class factory, and how long the server keeps them exported: one
// path per object, held for each peer it was handed to until that peer releases it or leaves.
#include "automation/bus_values.h"
#include "support/bus/bus_fixture.h"

namespace quillbrook::testing {
namespace {

using BusLifetime = BusFixture;

TEST_F(BusLifetime, CreateInstanceTakesProgIdsAndBracedClassIds)
{
    const struct {
        const char* classId;
        HRESULT hr;
    } cases[] = {
        {"Quillbrook.TestService", S_OK},
        {"Quillbrook.TestService.1", S_OK},
        {"quillbrook.testservice", S_OK},
        {"{6C0E1B52-8F3A-4D7E-9B21-5A4C3D2E1F02}", S_OK},
        {"{6c0e1b52-8f3a-4d7e-9b21-5a4c3d2e1f02}", S_OK},
        {"Quillbrook.Unknown", REGDB_E_CLASSNOTREG},
        {"{6C0E1B52-8F3A-4D7E-9B21-5A4C3D2E1FFF}", REGDB_E_CLASSNOTREG},
        {"{not a class id}", REGDB_E_CLASSNOTREG},
        {"", REGDB_E_CLASSNOTREG},
    };
    for (const auto& c : cases) {
        const auto [hr, path] = createInstance(QString::fromLatin1(c.classId));
        EXPECT_EQ(bus::hresultText(hr), bus::hresultText(c.hr)) << c.classId;
        if (SUCCEEDED(c.hr))
            EXPECT_NE(served(path), nullptr) << c.classId << " at " << path.toStdString();
        else
            EXPECT_EQ(path, QStringLiteral("/")) << c.classId;
    }
    EXPECT_EQ(server->exportedCount(), 5u);
}

TEST_F(BusLifetime, AnObjectKeepsItsPathWhileExported)
{
    const auto object = std::make_shared<TestService>();
    const bus::ObjectReference first = server->toReference(object, clientName());
    const bus::ObjectReference second = server->toReference(object, clientName());
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.service, serverName());
    EXPECT_TRUE(first.path.path().startsWith(QStringLiteral("/org/fernhollow/Quillbrook/objects/")));
    EXPECT_NE(server->toReference(std::make_shared<TestService>(), clientName()), first);
    EXPECT_EQ(server->toReference(nullptr, clientName()), bus::ObjectReference{});
}

TEST_F(BusLifetime, ReleaseDropsTheCallersHoldOnly)
{
    const QString path = createService();
    const std::weak_ptr<TestService> object = served(path);
    // The server hands the same object to a second peer.
    QDBusConnection other = bus.connect(QStringLiteral("other"));
    server->toReference(object.lock(), other.baseService());

    const QString dispatch = QStringLiteral("org.fernhollow.Automation.Dispatch");
    ASSERT_EQ(call(path, dispatch, QStringLiteral("Release")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(server->exportedCount(), 1u);
    // A second Release by the same peer holds nothing any more.
    call(path, dispatch, QStringLiteral("Release"));
    EXPECT_EQ(server->exportedCount(), 1u);

    ASSERT_EQ(call(path, dispatch, QStringLiteral("Release"), {}, &other).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(server->exportedCount(), 0u);
    EXPECT_TRUE(object.expired());
    EXPECT_EQ(
        call(path, dispatch, QStringLiteral("Invoke"), {7, QVariant::fromValue(ushort{1}), QVariant(QVariantList{1})})
            .errorName(),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
}

TEST_F(BusLifetime, APeerLeavingTheBusReleasesWhatItHeld)
{
    const std::weak_ptr<TestService> kept = served(createService());
    std::weak_ptr<TestService> dropped;
    {
        QDBusConnection leaver = bus.connect(QStringLiteral("leaver"));
        const auto [hr, path] = createInstance(QStringLiteral("Quillbrook.TestService"), &leaver);
        ASSERT_EQ(hr, S_OK);
        dropped = served(path);
    }
    ASSERT_EQ(server->exportedCount(), 2u);
    bus.disconnect(QStringLiteral("leaver"));
    EXPECT_TRUE(runEventLoopUntil([&] { return server->exportedCount() == 1; }));
    EXPECT_TRUE(dropped.expired());
    EXPECT_FALSE(kept.expired());
}

TEST_F(BusLifetime, APeerThatLeftBeforeItsHoldBeganHoldsNothing)
{
    const auto object = std::make_shared<TestService>();
    QString gone;
    {
        QDBusConnection leaver = bus.connect(QStringLiteral("leaver"));
        gone = leaver.baseService();
    }
    bus.disconnect(QStringLiteral("leaver"));
    // The departure may already be over when the hold begins; it is still noticed.
    server->toReference(object, gone);
    EXPECT_TRUE(runEventLoopUntil([&] { return server->exportedCount() == 0; }));
}

TEST_F(BusLifetime, ADroppedProxyReleasesTheRemoteObject)
{
    auto object = std::make_shared<TestService>();
    const std::weak_ptr<TestService> watched = object;
    const bus::ObjectReference reference = server->toReference(object, clientName());
    object.reset();

    std::shared_ptr<Dispatchable> proxy = client->fromReference(reference);
    ASSERT_NE(proxy, nullptr);
    proxy.reset();
    EXPECT_TRUE(runEventLoopUntil([&] { return server->exportedCount() == 0; }));
    EXPECT_TRUE(watched.expired());
}

TEST_F(BusLifetime, WithALeaveGraceADepartedPeersHoldEndsLater)
{
    server->setLeaveGrace(std::chrono::milliseconds(20));
    std::weak_ptr<TestService> object;
    {
        QDBusConnection leaver = bus.connect(QStringLiteral("leaver"));
        object = served(createInstance(QStringLiteral("Quillbrook.TestService"), &leaver).second);
    }
    ASSERT_FALSE(object.expired());
    bus.disconnect(QStringLiteral("leaver"));
    EXPECT_TRUE(runEventLoopUntil([&] { return server->exportedCount() == 0; }));
    EXPECT_TRUE(object.expired());
}

TEST_F(BusLifetime, WithALeaveGraceACallerHoldsWhatItCalls)
{
    server->setLeaveGrace(std::chrono::seconds(60));
    const QString path = createService();
    QDBusConnection other = bus.connect(QStringLiteral("other"));
    const QString dispatch = QStringLiteral("org.fernhollow.Automation.Dispatch");
    const QDBusMessage reply = call(path, dispatch, QStringLiteral("Invoke"),
                                    {7, QVariant::fromValue(ushort{1}), QVariant(QVariantList{5})}, &other);
    ASSERT_EQ(reply.signature(), QStringLiteral("iv")) << reply.errorMessage().toStdString();

    call(path, dispatch, QStringLiteral("Release"));
    EXPECT_EQ(server->exportedCount(), 1u);
    call(path, dispatch, QStringLiteral("Release"), {}, &other);
    EXPECT_EQ(server->exportedCount(), 0u);
}

TEST_F(BusLifetime, TheExporterOwnsTheServiceNameOnlyOnce)
{
    EXPECT_TRUE(server->ownServiceName());
    EXPECT_TRUE(server->ownServiceName());
    EXPECT_FALSE(client->ownServiceName());
    server->releaseServiceName();
    EXPECT_TRUE(client->ownServiceName());
}

} // namespace
} // namespace quillbrook::testing
