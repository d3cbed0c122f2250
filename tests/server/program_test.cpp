// The real quillbrook program without a bus: registration compared with the registry tool's
// export, unregistration, switch spellings, and exit statuses with the HRESULT on stderr.
#include "hive_dump.h"
#include "server/registration.h"
#include "support/programs/program_run.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace quillbrook {
namespace {

// Everything RegServer writes, as `quillbrook-reg export HKCR` shows it.
constexpr char kRegisteredClasses[] = R"(Windows Registry Editor Version 5.00

[HKEY_CLASSES_ROOT]

[HKEY_CLASSES_ROOT\AppID]

[HKEY_CLASSES_ROOT\AppID\quillbrook]
"AppID"="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"

[HKEY_CLASSES_ROOT\AppID\{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}]
@="Quillbrook"

[HKEY_CLASSES_ROOT\CLSID]

[HKEY_CLASSES_ROOT\CLSID\{4B8A2BC4-7F10-40F1-97A2-A076F7464018}]
@="CService Object"
"AppID"="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"

[HKEY_CLASSES_ROOT\CLSID\{4B8A2BC4-7F10-40F1-97A2-A076F7464018}\LocalServer32]
@="\"<PROGRAM>\""
"ThreadingModel"="apartment"

[HKEY_CLASSES_ROOT\CLSID\{4B8A2BC4-7F10-40F1-97A2-A076F7464018}\ProgID]
@="Quillbrook.Service.1"

[HKEY_CLASSES_ROOT\CLSID\{4B8A2BC4-7F10-40F1-97A2-A076F7464018}\Programmable]

[HKEY_CLASSES_ROOT\CLSID\{4B8A2BC4-7F10-40F1-97A2-A076F7464018}\TypeLib]
@="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"

[HKEY_CLASSES_ROOT\CLSID\{4B8A2BC4-7F10-40F1-97A2-A076F7464018}\VersionIndependentProgID]
@="Quillbrook.Service"

[HKEY_CLASSES_ROOT\CLSID\{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}]
@="CFileOpenService Object"
"AppID"="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"

[HKEY_CLASSES_ROOT\CLSID\{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}\LocalServer32]
@="\"<PROGRAM>\""
"ThreadingModel"="apartment"

[HKEY_CLASSES_ROOT\CLSID\{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}\ProgID]
@="Quillbrook.FileOpenService.1"

[HKEY_CLASSES_ROOT\CLSID\{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}\Programmable]

[HKEY_CLASSES_ROOT\CLSID\{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}\TypeLib]
@="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"

[HKEY_CLASSES_ROOT\CLSID\{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}\VersionIndependentProgID]
@="Quillbrook.FileOpenService"

[HKEY_CLASSES_ROOT\Interface]

[HKEY_CLASSES_ROOT\Interface\{3360FC3F-980A-4F02-92CE-FCC697E72876}]
@="_IFileOpenServiceEvents"

[HKEY_CLASSES_ROOT\Interface\{3360FC3F-980A-4F02-92CE-FCC697E72876}\TypeLib]
@="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"
"Version"="1.0"

[HKEY_CLASSES_ROOT\Interface\{4ACB01EB-11CB-444A-87AF-619C1C15CB9D}]
@="_IServiceEvents"

[HKEY_CLASSES_ROOT\Interface\{4ACB01EB-11CB-444A-87AF-619C1C15CB9D}\TypeLib]
@="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"
"Version"="1.0"

[HKEY_CLASSES_ROOT\Interface\{5A523859-3DE9-41FE-9FF9-ACDEE0DE63A7}]
@="IService"

[HKEY_CLASSES_ROOT\Interface\{5A523859-3DE9-41FE-9FF9-ACDEE0DE63A7}\TypeLib]
@="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"
"Version"="1.0"

[HKEY_CLASSES_ROOT\Interface\{856D28A2-654D-4515-B032-B694076F5405}]
@="IFileOpenService"

[HKEY_CLASSES_ROOT\Interface\{856D28A2-654D-4515-B032-B694076F5405}\TypeLib]
@="{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}"
"Version"="1.0"

[HKEY_CLASSES_ROOT\Quillbrook.FileOpenService]
@="CFileOpenService Object"

[HKEY_CLASSES_ROOT\Quillbrook.FileOpenService\CLSID]
@="{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}"

[HKEY_CLASSES_ROOT\Quillbrook.FileOpenService\CurVer]
@="Quillbrook.FileOpenService.1"

[HKEY_CLASSES_ROOT\Quillbrook.FileOpenService.1]
@="CFileOpenService Object"

[HKEY_CLASSES_ROOT\Quillbrook.FileOpenService.1\CLSID]
@="{DCADEC2B-B750-4B3D-B0EA-7CC63AE06B4F}"

[HKEY_CLASSES_ROOT\Quillbrook.Service]
@="CService Object"

[HKEY_CLASSES_ROOT\Quillbrook.Service\CLSID]
@="{4B8A2BC4-7F10-40F1-97A2-A076F7464018}"

[HKEY_CLASSES_ROOT\Quillbrook.Service\CurVer]
@="Quillbrook.Service.1"

[HKEY_CLASSES_ROOT\Quillbrook.Service.1]
@="CService Object"

[HKEY_CLASSES_ROOT\Quillbrook.Service.1\CLSID]
@="{4B8A2BC4-7F10-40F1-97A2-A076F7464018}"

[HKEY_CLASSES_ROOT\TypeLib]

[HKEY_CLASSES_ROOT\TypeLib\{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}]

[HKEY_CLASSES_ROOT\TypeLib\{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}\1.0]
@="Quillbrook 1.0 Type Library"

[HKEY_CLASSES_ROOT\TypeLib\{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}\1.0\0]

[HKEY_CLASSES_ROOT\TypeLib\{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}\1.0\0\win32]
@="<TYPELIB>"

[HKEY_CLASSES_ROOT\TypeLib\{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}\1.0\FLAGS]
@="0"

[HKEY_CLASSES_ROOT\TypeLib\{08EBAA1C-4F5F-4E5B-BF64-04DE19EE4F81}\1.0\HELPDIR]
@="<FOLDER>"

)";

// What UnregServer leaves of it: the parents.
constexpr char kUnregisteredClasses[] = R"(Windows Registry Editor Version 5.00

[HKEY_CLASSES_ROOT]

[HKEY_CLASSES_ROOT\AppID]

[HKEY_CLASSES_ROOT\CLSID]

[HKEY_CLASSES_ROOT\Interface]

[HKEY_CLASSES_ROOT\TypeLib]

)";

std::string replaced(std::string text, const std::map<std::string, std::string>& values)
{
    for (const auto& [token, value] : values) {
        for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
            text.replace(at, token.size(), value);
    }
    return text;
}

class QuillbrookProgram : public ::testing::Test {
protected:
    QuillbrookProgram()
    {
        // No bus at all: a run as server cannot register its class objects.
        home_.setEnvironment("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home_.root() / "no-bus").string());
        home_.setEnvironment("QT_QPA_PLATFORM", "offscreen");
    }

    testing::ProgramRun quillbrook(const std::string& argument)
    {
        return testing::runProgram({program_, argument}, home_.root());
    }

    std::string exportedClasses()
    {
        const auto file = home_.root() / "classes.reg";
        const auto run =
            testing::runProgram({QUILLBROOK_REG_PROGRAM, "export", "HKCR", file.string(), "/y"}, home_.root());
        EXPECT_EQ(run.status, 0) << run.err;
        return testing::readWholeFile(file);
    }

    testing::TemporaryHome home_;
    const std::string program_ = std::filesystem::canonical(QUILLBROOK_PROGRAM).string();
};

TEST_F(QuillbrookProgram, RegServerWritesExactlyTheRegistrationData)
{
    const auto run = quillbrook("/RegServer");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(exportedClasses(), replaced(kRegisteredClasses,
                                          {{"<PROGRAM>", program_},
                                           {"<FOLDER>", std::filesystem::path(program_).parent_path().string()},
                                           {"<TYPELIB>", (home_.root() / "data/quillbrook/Quillbrook.tlb").string()}}));
    EXPECT_TRUE(std::filesystem::exists(home_.root() / "data/dbus-1/services/org.fernhollow.Quillbrook.service"));
}

TEST_F(QuillbrookProgram, UnregServerRemovesItAllButTheParentsAndFailsWhenRepeated)
{
    ASSERT_EQ(quillbrook("-regserver").status, 0);
    const auto first = quillbrook("-UNREGSERVER");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(exportedClasses(), kUnregisteredClasses);
    EXPECT_FALSE(std::filesystem::exists(home_.root() / "data/dbus-1/services/org.fernhollow.Quillbrook.service"));

    const auto again = quillbrook("/unregserver");
    EXPECT_EQ(again.status, 0x1C);
    EXPECT_EQ(again.err, "quillbrook: 0x8002801C\n");
}

TEST_F(QuillbrookProgram, WithoutASwitchItLoadsTheSettingsAndFailsWithoutABus)
{
    const auto run = quillbrook("/RegServerX");
    EXPECT_EQ(run.status, 5);
    EXPECT_NE(run.err.find("quillbrook: 0x80004005\n"), std::string::npos) << run.err;
    EXPECT_TRUE(testing::keyExists(HiveRoot::CurrentUser, "Software\\Fernhollow\\Quillbrook"));
    EXPECT_FALSE(testing::keyExists(HiveRoot::ClassesRoot, "Quillbrook.Service"));
}

} // namespace
} // namespace quillbrook
