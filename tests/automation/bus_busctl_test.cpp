// systemd's busctl, a client no one here wrote, against the server side of the fixture: it must
// parse the generated introspection, create an instance, reach properties and call by DISPID.
#include "support/bus/bus_fixture.h"

#include <QProcess>
#include <QStandardPaths>

namespace quillbrook::testing {
namespace {

struct BusctlResult {
    int exitCode = -1;
    QString output;
    QString errors;
};

class BusBusctl : public BusFixture {
protected:
    void SetUp() override
    {
        program_ = QStandardPaths::findExecutable(QStringLiteral("busctl"));
        if (program_.isEmpty())
            GTEST_SKIP() << "busctl is not installed";
        BusFixture::SetUp();
    }

    // Runs busctl on the private bus while this thread keeps serving the server's objects.
    BusctlResult busctl(const QStringList& arguments)
    {
        QProcess process;
        process.start(program_,
                      QStringList{QStringLiteral("--address=") + bus.address(), QStringLiteral("--")} + arguments);
        EXPECT_TRUE(
            runEventLoopUntil([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(20)))
            << arguments.join(u' ').toStdString();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(process.readAllStandardError()).trimmed()};
    }

    QString program_;
};

TEST_F(BusBusctl, IntrospectsAnInstance)
{
    const QString path = createService();
    const BusctlResult result = busctl({QStringLiteral("introspect"), serverName(), path});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    for (const char* line : {".ShowMenuDialog", ".Label", ".Invoke", ".QueryInterface"})
        EXPECT_TRUE(result.output.contains(QString::fromLatin1(line))) << line << " in\n"
                                                                       << result.output.toStdString();
}

TEST_F(BusBusctl, CreatesAnInstanceHeldUntilItLeaves)
{
    const BusctlResult result =
        busctl({QStringLiteral("call"), serverName(), QStringLiteral("/org/fernhollow/Quillbrook"),
                QStringLiteral("org.fernhollow.Quillbrook.ClassFactory"), QStringLiteral("CreateInstance"),
                QStringLiteral("s"), QStringLiteral("Quillbrook.TestService")});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(result.output.startsWith(QStringLiteral("io 0 \"/org/fernhollow/Quillbrook/objects/")))
        << result.output.toStdString();
    EXPECT_TRUE(runEventLoopUntil([&] { return server->exportedCount() == 0; }));

    const BusctlResult unknown =
        busctl({QStringLiteral("call"), serverName(), QStringLiteral("/org/fernhollow/Quillbrook"),
                QStringLiteral("org.fernhollow.Quillbrook.ClassFactory"), QStringLiteral("CreateInstance"),
                QStringLiteral("s"), QStringLiteral("No.Such.Class")});
    EXPECT_EQ(unknown.output, QStringLiteral("io -2147221164 \"/\""));
}

TEST_F(BusBusctl, SetsAndGetsProperties)
{
    const QString path = createService();
    const QString typed = QStringLiteral("org.fernhollow.Quillbrook.ITestService");
    // A leading U+FEFF is a character like any other, both ways (busctl prints its bytes in octal).
    const std::pair<QString, QString> labels[] = {
        {QStringLiteral("From busctl"), QStringLiteral("s \"From busctl\"")},
        {QString(QChar(0xFEFF)) + QStringLiteral("Lead"), QStringLiteral("s \"\\357\\273\\277Lead\"")},
    };
    for (const auto& [label, printed] : labels) {
        const BusctlResult set = busctl({QStringLiteral("set-property"), serverName(), path, typed,
                                         QStringLiteral("Label"), QStringLiteral("s"), label});
        ASSERT_EQ(set.exitCode, 0) << set.errors.toStdString();
        EXPECT_EQ(served(path)->label, label);
        EXPECT_EQ(busctl({QStringLiteral("get-property"), serverName(), path, typed, QStringLiteral("Label")}).output,
                  printed);
    }
    EXPECT_EQ(busctl({QStringLiteral("get-property"), serverName(), path, typed, QStringLiteral("Active")}).output,
              QStringLiteral("n -1"));

    const BusctlResult refused = busctl({QStringLiteral("set-property"), serverName(), path, typed,
                                         QStringLiteral("CodePage"), QStringLiteral("i"), QStringLiteral("-1")});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("0x80070057"))) << refused.errors.toStdString();
}

// Each busctl is a process of its own that leaves the bus after its call.
TEST_F(BusBusctl, OneShotCallsShareAnObjectWithinTheLeaveGrace)
{
    server->setLeaveGrace(std::chrono::seconds(60));
    const BusctlResult created =
        busctl({QStringLiteral("call"), serverName(), QStringLiteral("/org/fernhollow/Quillbrook"),
                QStringLiteral("org.fernhollow.Quillbrook.ClassFactory"), QStringLiteral("CreateInstance"),
                QStringLiteral("s"), QStringLiteral("Quillbrook.TestService")});
    const QString path = created.output.section(u'"', 1, 1);
    ASSERT_TRUE(path.startsWith(QStringLiteral("/org/fernhollow/Quillbrook/objects/"))) << created.output.toStdString();
    const QString typed = QStringLiteral("org.fernhollow.Quillbrook.ITestService");
    const BusctlResult set = busctl({QStringLiteral("set-property"), serverName(), path, typed, QStringLiteral("Label"),
                                     QStringLiteral("s"), QStringLiteral("Kept")});
    ASSERT_EQ(set.exitCode, 0) << set.errors.toStdString();
    EXPECT_EQ(busctl({QStringLiteral("get-property"), serverName(), path, typed, QStringLiteral("Label")}).output,
              QStringLiteral("s \"Kept\""));
}

TEST_F(BusBusctl, InvokesByDispid)
{
    const QString path = createService();
    const BusctlResult result =
        busctl({QStringLiteral("call"), serverName(), path, QStringLiteral("org.fernhollow.Automation.Dispatch"),
                QStringLiteral("Invoke"), QStringLiteral("iqav"), QStringLiteral("7"), QStringLiteral("1"),
                QStringLiteral("1"), QStringLiteral("i"), QStringLiteral("42")});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output, QStringLiteral("iv 0 av 0"));
    EXPECT_EQ(served(path)->calls, (std::vector<std::string>{"ShowMenuDialog 42"}));
}

} // namespace
} // namespace quillbrook::testing
