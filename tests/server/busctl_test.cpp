// busctl, a client no one here wrote, drives the server through the bus contract: the bus starts
// the server from its activation file when busctl creates a service, and busctl sets a service's
// properties, saves it as a menu item and reads it back, by name and by DISPID.
#include "automation/bus_activation.h"
#include "hive_dump.h"
#include "interfaces/iservice.h"
#include "store/menu_item_store.h"
#include "support/programs/server_on_bus.h"

#include <gtest/gtest.h>

namespace quillbrook::testing {
namespace {

class BusctlClient : public ServerOnBus {
protected:
    // busctl's output; fails the test when busctl fails.
    std::string busctl(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"busctl", "--user"});
        const auto run = runProgram(arguments, root());
        EXPECT_EQ(run.status, 0) << arguments[2] << ": " << run.err;
        return run.out;
    }

    std::string call(const std::string& path, const std::string& interface, const std::string& method,
                     std::vector<std::string> arguments = {})
    {
        arguments.insert(arguments.begin(), {"call", "org.fernhollow.Quillbrook", path, interface, method});
        return busctl(arguments);
    }

    static std::string dispid(const char16_t* member)
    {
        return std::to_string(IService::interfaceInfo().findByName(QStringView(member))->id);
    }
};

constexpr char kService[] = "org.fernhollow.Quillbrook.IService";
constexpr char kDispatch[] = "org.fernhollow.Automation.Dispatch";

TEST_F(BusctlClient, CreatesAServiceSetsItUpSavesItAndReadsItBack)
{
    registerQuillbrook();
    // The bus starts the server from its activation file.
    const std::string created = call("/org/fernhollow/Quillbrook", "org.fernhollow.Quillbrook.ClassFactory",
                                     "CreateInstance", {"s", "Quillbrook.Service"});
    EXPECT_EQ(created.rfind("io 0 \"/", 0), 0u) << created;
    EXPECT_TRUE(serverPid());

    // An object lives while the client that created it is on the bus, and busctl leaves after each
    // call: the object that busctl works on is held by a client that stays.
    QDBusConnection holder = connectClient(QStringLiteral("holder"));
    const auto held = bus::activate(holder, QStringLiteral("Quillbrook.Service"));
    ASSERT_EQ(held.result, S_OK);
    const std::string path = held.object.path.path().toStdString();

    const std::string object[] = {"org.fernhollow.Quillbrook", path, kService};
    busctl({"set-property", object[0], object[1], object[2], "Label", "s", "Edit with Test"});
    busctl({"set-property", object[0], object[1], object[2], "EditorName", "s", "Test Editor"});
    busctl({"set-property", object[0], object[1], object[2], "EditorProgramFile", "s", "/usr/bin/true"});
    EXPECT_EQ(call(path, kService, "SaveToMenuExt"), "i 0\n");

    EXPECT_EQ(busctl({"get-property", object[0], object[1], object[2], "Label"}), "s \"Edit with Test\"\n");
    EXPECT_EQ(call(path, kDispatch, "Invoke", {"iqav", dispid(u"Label"), "2", "0"}), "iv 0 s \"Edit with Test\"\n");
    EXPECT_EQ(call(path, kDispatch, "Invoke", {"iqav", dispid(u"EditorName"), "4", "1", "s", "Other Editor"})
                  .rfind("iv 0 ", 0),
              0u);
    EXPECT_EQ(busctl({"get-property", object[0], object[1], object[2], "EditorName"}), "s \"Other Editor\"\n");

    const std::string item = std::string(kMenuExtKeyPath) + "\\Edit with Test";
    EXPECT_TRUE(keyExists(HiveRoot::CurrentUser, item));
    const auto values = dumpTree(HiveRoot::CurrentUser, item);
    EXPECT_NE(std::find_if(values.begin(), values.end(),
                           [&](const std::string& line) { return line.rfind(item + "|Quillbrook|", 0) == 0; }),
              values.end());
}

} // namespace
} // namespace quillbrook::testing
