// Blocking calls between two connections of the test process, the callee's served by a thread of
// its own as another process would be: every reply is seen, however fast it comes, the caller
// serves calls back into it while it waits, and a peer that never answers times out.

#include "automation/blocking_call.h"
#include "support/bus/private_bus.h"
#include "support/main_thread_loop.h"

#include <QDBusError>
#include <QDBusVirtualObject>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace quillbrook::testing {
namespace {

const QString kPath = QStringLiteral("/test/peer");
const QString kInterface = QStringLiteral("org.fernhollow.Test.Peer");

// Answers "Echo" with its argument, "CallBack" by calling "Echo" on the caller before it answers,
// and never answers "Ignore".
class Peer : public QDBusVirtualObject {
public:
    explicit Peer(QDBusConnection connection) : connection_(std::move(connection)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == u"Echo") {
            connection.send(message.createReply(message.arguments()));
        } else if (message.member() == u"CallBack") {
            const QDBusMessage back = bus::callAndWait(
                connection_,
                QDBusMessage::createMethodCall(message.service(), kPath, kInterface, QStringLiteral("Echo"))
                    << message.arguments().value(0));
            connection.send(message.createReply(back.arguments()));
        } else if (message.member() != u"Ignore") {
            return false;
        }
        return true;
    }

private:
    QDBusConnection connection_;
};

class BusBlockingCall : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus_.ok()) << bus_.error();
        ASSERT_TRUE(caller_.isConnected() && callee_.isConnected());
        calleeThread_.start();
        calleePeer_.moveToThread(&calleeThread_);
        ASSERT_TRUE(caller_.registerVirtualObject(kPath, &callerPeer_));
        ASSERT_TRUE(callee_.registerVirtualObject(kPath, &calleePeer_));
    }

    void TearDown() override
    {
        callee_.unregisterObject(kPath);
        calleeThread_.quit();
        calleeThread_.wait();
    }

    QDBusMessage callOnCallee(const QString& member, int argument, int timeout = 5000)
    {
        return bus::callAndWait(
            caller_, QDBusMessage::createMethodCall(callee_.baseService(), kPath, kInterface, member) << argument,
            timeout);
    }

    QCoreApplication& application_ = testApplication();
    PrivateBus bus_;
    QDBusConnection caller_ = bus_.connect(QStringLiteral("caller"));
    QDBusConnection callee_ = bus_.connect(QStringLiteral("callee"));
    Peer callerPeer_{caller_};
    Peer calleePeer_{callee_};
    QThread calleeThread_;
};

TEST_F(BusBlockingCall, EveryReplyIsSeenAndCallsBackAreServedMeanwhile)
{
    // Many quick replies: one that comes before the wait begins must end the wait as well.
    for (int i = 0; i < 2000; ++i) {
        const QDBusMessage reply = callOnCallee(QStringLiteral("Echo"), i);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << i << " " << reply.errorMessage().toStdString();
        ASSERT_EQ(reply.arguments().value(0).toInt(), i);
    }
    // The callee answers only after it has called the waiting caller.
    for (int i = 0; i < 200; ++i) {
        const QDBusMessage reply = callOnCallee(QStringLiteral("CallBack"), i);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << i << " " << reply.errorMessage().toStdString();
        ASSERT_EQ(reply.arguments().value(0).toInt(), i);
    }
}

TEST_F(BusBlockingCall, APeerThatNeverAnswersTimesOutWithAnError)
{
    const QDBusMessage reply = callOnCallee(QStringLiteral("Ignore"), 1, 200);
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(QDBusError(reply).type(), QDBusError::NoReply) << reply.errorName().toStdString();
}

TEST_F(BusBlockingCall, AWorkerThreadBlocksWhileTheMainThreadServes)
{
    std::atomic<int> answered{-1};
    std::thread worker([&] {
        const QDBusMessage reply = callOnCallee(QStringLiteral("Echo"), 7);
        answered = reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toInt() : 0;
    });
    const bool done = runEventLoopUntil([&] { return answered != -1; });
    worker.join();
    ASSERT_TRUE(done);
    EXPECT_EQ(answered, 7);
}

} // namespace
} // namespace quillbrook::testing
