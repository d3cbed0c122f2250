// RegServer and UnregServer in-process on a private hive: what is replaced, what is left alone,
// the files beside the keys, and where a failure stops.
#include "hive_dump.h"
#include "server/activation_file.h"
#include "server/registration.h"
#include "server/type_library.h"
#include "store/menu_item_store.h"
#include "support/programs/program_run.h"
#include "support/temporary_home.h"

#include "interfaces/iservice.h"

#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <fstream>

namespace quillbrook {
namespace {

using testing::createKey;
using testing::dumpTree;
using testing::keyExists;

const std::string kServiceKey = "CLSID\\" + CLSID_CService.toString();
const std::string kAppIdKey = "AppID\\" + kQuillbrookAppId.toString();
const std::string kLibraryKey = "TypeLib\\" + kQuillbrookAppId.toString();

class Registration : public ::testing::Test {
protected:
    RegistrationTarget target() const
    {
        return {(home_.root() / "bin dir" / "quillbrook").string(), (home_.root() / "data").string()};
    }

    testing::TemporaryHome home_;
};

TEST_F(Registration, ReplacesWhatAnEarlierRegistrationLeftInAClassKey)
{
    createKey(HiveRoot::ClassesRoot, kServiceKey + "\\InprocServer32", "stale.so");
    ASSERT_EQ(registerServer(target()), S_OK);
    EXPECT_FALSE(keyExists(HiveRoot::ClassesRoot, kServiceKey + "\\InprocServer32"));
    EXPECT_TRUE(keyExists(HiveRoot::ClassesRoot, kServiceKey + "\\LocalServer32"));
}

TEST_F(Registration, RegisteringTwiceGivesTheSameKeys)
{
    ASSERT_EQ(registerServer(target()), S_OK);
    const auto first = dumpTree(HiveRoot::ClassesRoot);
    ASSERT_EQ(registerServer(target()), S_OK);
    EXPECT_EQ(dumpTree(HiveRoot::ClassesRoot), first);
}

TEST_F(Registration, UnregistrationRemovesItsOwnKeysAndFilesAndNothingElse)
{
    createKey(HiveRoot::ClassesRoot, "AppID\\{11111111-2222-3333-4444-555555555555}", "Other");
    createKey(HiveRoot::ClassesRoot, "CLSID\\{11111111-2222-3333-4444-555555555555}\\LocalServer32", "other");
    createKey(HiveRoot::CurrentUser, std::string(kMenuExtKeyPath) + "\\Edit with Quillbrook", "script.htm");
    createKey(HiveRoot::CurrentUser, "Software\\Fernhollow\\Quillbrook", "");
    const auto classesBefore = dumpTree(HiveRoot::ClassesRoot);
    const auto userBefore = dumpTree(HiveRoot::CurrentUser);

    ASSERT_EQ(registerServer(target()), S_OK);
    ASSERT_EQ(unregisterServer(target()), S_OK);

    // The parents (AppID, CLSID, Interface, TypeLib) stay, empty where only Quillbrook used them.
    auto expected = classesBefore;
    expected.insert(expected.end(), {"Interface", "TypeLib"});
    EXPECT_EQ(dumpTree(HiveRoot::ClassesRoot), expected);
    EXPECT_EQ(dumpTree(HiveRoot::CurrentUser), userBefore);
    EXPECT_FALSE(std::filesystem::exists(activationFilePath(target().dataFolder)));
    EXPECT_FALSE(std::filesystem::exists(typeLibraryFile(target().dataFolder)));
}

TEST_F(Registration, UnregistrationWithoutTheTypeLibraryKeepsTheAppIdEntry)
{
    ASSERT_EQ(registerServer(target()), S_OK);
    ASSERT_EQ(RegistryKey::openRoot(HiveRoot::ClassesRoot).value().deleteTree(kLibraryKey), ERROR_SUCCESS);

    EXPECT_EQ(unregisterServer(target()), TYPE_E_REGISTRYACCESS);
    EXPECT_FALSE(keyExists(HiveRoot::ClassesRoot, kServiceKey));
    EXPECT_FALSE(keyExists(HiveRoot::ClassesRoot, "Quillbrook.Service"));
    EXPECT_TRUE(keyExists(HiveRoot::ClassesRoot, kAppIdKey));
}

TEST_F(Registration, TheTypeLibraryKeysNameItsDescriptionFileAndTheProgramFolder)
{
    ASSERT_EQ(registerServer(target()), S_OK);
    const auto classesRoot = RegistryKey::openRoot(HiveRoot::ClassesRoot).value();
    const auto file = classesRoot.openSubKey(kLibraryKey + "\\1.0\\0\\win32", KEY_READ).value().queryValue("");
    EXPECT_EQ(file.value().data, typeLibraryFile(target().dataFolder));
    const auto helpFolder = classesRoot.openSubKey(kLibraryKey + "\\1.0\\HELPDIR", KEY_READ).value().queryValue("");
    EXPECT_EQ(helpFolder.value().data, (home_.root() / "bin dir").string());

    const std::string description = testing::readWholeFile(file.value().data);
    EXPECT_NE(description.find("libid=\"" + kQuillbrookAppId.toString() + "\""), std::string::npos);
    EXPECT_NE(description.find("<class name=\"CService\""), std::string::npos);
    EXPECT_NE(description.find("<class name=\"CFileOpenService\""), std::string::npos);
}

TEST_F(Registration, AFailureStopsRegistrationAndLeavesTheStepsDone)
{
    // The data folder is a file, so the activation file cannot be written.
    std::ofstream(target().dataFolder) << "in the way";
    EXPECT_TRUE(FAILED(registerServer(target())));
    EXPECT_TRUE(keyExists(HiveRoot::ClassesRoot, kAppIdKey));
    EXPECT_TRUE(keyExists(HiveRoot::ClassesRoot, "CLSID\\" + CLSID_CService.toString()));
    EXPECT_FALSE(keyExists(HiveRoot::ClassesRoot, kLibraryKey));
}

struct ExecCase {
    const char* programPath;
    const char* execLine;

    friend void PrintTo(const ExecCase& c, std::ostream* out) { *out << c.programPath; }
};

class ActivationFileText : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ActivationFileText, NamesTheProgramWithItsEmbeddingSwitch)
{
    EXPECT_EQ(activationFileText(GetParam().programPath),
              std::string("[D-BUS Service]\nName=org.fernhollow.Quillbrook\nExec=") + GetParam().execLine + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ActivationFileText,
    ::testing::Values(ExecCase{"/usr/bin/quillbrook", R"("/usr/bin/quillbrook" -Embedding)"},
                      ExecCase{"/opt/my apps/quillbrook", R"("/opt/my apps/quillbrook" -Embedding)"},
                      ExecCase{R"(/opt/a"b\c$d`e/quillbrook)", R"("/opt/a\"b\\c\$d\`e/quillbrook" -Embedding)"}));

TEST(ActivationFilePath, LiesInTheUsersBusServicesFolder)
{
    EXPECT_EQ(activationFilePath("/home/u/.local/share"),
              "/home/u/.local/share/dbus-1/services/org.fernhollow.Quillbrook.service");
}

} // namespace
} // namespace quillbrook
