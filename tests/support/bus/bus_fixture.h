// Two processes on one private bus, played by two connections of the test process: the server
// exports objects (and owns the class factory with the test class registered), the client calls
// them with raw messages or through its own exporter's proxies. Both run on the test's main
// thread; a call waits for its reply while the server side keeps answering.
#pragma once

#include "automation/blocking_call.h"
#include "automation/bus_exporter.h"
#include "automation/class_factory.h"
#include "support/bus/bus_test_objects.h"
#include "support/bus/private_bus.h"
#include "support/main_thread_loop.h"

#include <QDBusMessage>
#include <gtest/gtest.h>

namespace quillbrook::testing {

class BusFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.ok()) << bus.error();
        serverConnection = bus.connect(QStringLiteral("server"));
        clientConnection = bus.connect(QStringLiteral("client"));
        ASSERT_TRUE(serverConnection.isConnected() && clientConnection.isConnected());
        server = std::make_unique<bus::BusExporter>(serverConnection);
        client = std::make_unique<bus::BusExporter>(clientConnection);
        ASSERT_TRUE(server->registerClassFactory());
        registerTestRemoteInterfaces();
    }

    QString serverName() const { return serverConnection.baseService(); }
    QString clientName() const { return clientConnection.baseService(); }

    // A blocking call from `from` (the client unless said otherwise) to the server.
    QDBusMessage call(const QString& path, const QString& interface, const QString& member,
                      const QVariantList& arguments = {}, const QDBusConnection* from = nullptr)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(serverName(), path, interface, member);
        message.setArguments(arguments);
        return bus::callAndWait(from ? *from : clientConnection, message);
    }

    // CreateInstance on the server's class factory: (hresult, path).
    std::pair<HRESULT, QString> createInstance(const QString& classId, const QDBusConnection* from = nullptr)
    {
        const QDBusMessage reply =
            call(QStringLiteral("/org/fernhollow/Quillbrook"), QStringLiteral("org.fernhollow.Quillbrook.ClassFactory"),
                 QStringLiteral("CreateInstance"), {classId}, from);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
            return {E_UNEXPECTED, reply.errorMessage()};
        return {reply.arguments()[0].toInt(), reply.arguments()[1].value<QDBusObjectPath>().path()};
    }

    // A TestService made by the server's class factory for the client; its path on the bus.
    QString createService()
    {
        const auto [hr, path] = createInstance(QStringLiteral("Quillbrook.TestService"));
        EXPECT_EQ(hr, S_OK) << path.toStdString();
        return path;
    }

    // The local object the server exports at `path`.
    std::shared_ptr<TestService> served(const QString& path)
    {
        return std::dynamic_pointer_cast<TestService>(server->fromReference({serverName(), QDBusObjectPath(path)}));
    }

    QCoreApplication& application = testApplication();
    PrivateBus bus;
    QDBusConnection serverConnection{QString()};
    QDBusConnection clientConnection{QString()};
    ClassRegistration testClass = registerClass(testServiceClassInfo(), [] { return std::make_shared<TestService>(); });
    std::unique_ptr<bus::BusExporter> server;
    std::unique_ptr<bus::BusExporter> client;
};

} // namespace quillbrook::testing
