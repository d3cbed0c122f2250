#include "file_open_fixture.h"

#include "fileopen/file_open_service_class.h"
#include "platform/path_exists.h"
#include "platform/program_search.h"

#include <tuple>

namespace quillbrook::testing {
namespace {

const std::string kMenuExt = "Software\\Microsoft\\Internet Explorer\\MenuExt";

class RegisteredTest : public FileOpenTest {
protected:
    VARIANT_BOOL registered()
    {
        VARIANT_BOOL value = -1;
        EXPECT_EQ(service_->get_Registered(&value), S_OK);
        return value;
    }
    // The sub-keys of the menu key, or nullopt when it does not exist.
    static std::optional<std::vector<std::string>> entries()
    {
        const auto key = RegistryKey::openRoot(HiveRoot::CurrentUser).value().openSubKey(kMenuExt, KEY_READ);
        if (!key.ok())
            return std::nullopt;
        std::vector<std::string> names;
        for (std::uint32_t i = 0; key.value().enumSubKey(i).ok(); ++i)
            names.push_back(key.value().enumSubKey(i).value());
        return names;
    }
};

TEST_F(RegisteredTest, OnTwiceLeavesOneEntryWithItsThreeValues)
{
    const std::string script = CFileOpenService::scriptPath();
    EXPECT_EQ(script, ownProgramFolder() + "/OpenFile.htm");
    EXPECT_TRUE(PathExists(script)) << "the build puts the script beside the programs";
    for (const char* label : {"&Open", "ファイルを開く(&O)"}) {
        SCOPED_TRACE(label);
        globalSettings().FileOpenMenuItem = label;
        EXPECT_EQ(service_->put_Registered(-1), S_OK);
        EXPECT_EQ(service_->put_Registered(1), S_OK);
        EXPECT_EQ(registered(), 1);
        EXPECT_EQ(entries(), std::vector<std::string>{label});
        const auto key =
            RegistryKey::openRoot(HiveRoot::CurrentUser).value().openSubKey(kMenuExt + "\\" + label, KEY_READ);
        std::vector<std::tuple<std::string, RegistryType, std::string>> values;
        for (std::uint32_t i = 0; key.value().enumValue(i).ok(); ++i) {
            const RegistryValue value = key.value().enumValue(i).value();
            values.emplace_back(value.name, value.type, value.data);
        }
        EXPECT_EQ(values, (decltype(values){{"", REG_SZ, script},
                                            {"contexts", REG_DWORD, std::string("\4\0\0\0", 4)},
                                            {"flags", REG_DWORD, std::string(4, '\0')}}));
        EXPECT_EQ(service_->put_Registered(0), S_OK);
        EXPECT_EQ(registered(), 0);
        EXPECT_EQ(entries(), std::vector<std::string>{});
    }
}

TEST_F(RegisteredTest, OffWithoutAnEntryChangesNothing)
{
    EXPECT_EQ(entries(), std::nullopt);
    EXPECT_EQ(registered(), 0);
    EXPECT_EQ(entries(), std::vector<std::string>{}) << "reading creates the menu key";
    RegistryKey::openRoot(HiveRoot::CurrentUser).value().createSubKey(kMenuExt + "\\Edit", KEY_ALL_ACCESS).value();
    EXPECT_EQ(service_->put_Registered(0), S_OK);
    EXPECT_EQ(entries(), std::vector<std::string>{"Edit"});
    EXPECT_EQ(registered(), 0);
}

TEST_F(RegisteredTest, PropertiesStartFromTheSettingsAndDoNotWriteThem)
{
    QString value;
    EXPECT_EQ(service_->get_Extensions(&value), S_OK);
    EXPECT_EQ(value, QStringLiteral("txt; html; css; sql; xml;"));
    EXPECT_EQ(service_->get_OpeningFile(&value), S_OK);
    EXPECT_EQ(value, QString::fromStdString(home_.root().string() + "/home/Documents"));
    EXPECT_EQ(service_->put_Extensions(QStringLiteral("md")), S_OK);
    EXPECT_EQ(service_->put_OpeningFile(QString()), S_OK);
    EXPECT_EQ(service_->get_OpeningFile(&value), S_OK);
    EXPECT_TRUE(value.isNull());
    EXPECT_EQ(std::make_shared<CFileOpenService>()->get_Extensions(&value), S_OK);
    EXPECT_EQ(value, QStringLiteral("txt; html; css; sql; xml;"));
}

TEST_F(RegisteredTest, TheClassIsCreatableByItsProgIds)
{
    const ClassRegistration registration = registerFileOpenServiceClass();
    for (const char16_t* progId : {u"Quillbrook.FileOpenService", u"quillbrook.fileopenservice.1"}) {
        SCOPED_TRACE(QString::fromUtf16(progId).toStdString());
        std::shared_ptr<Dispatchable> object;
        EXPECT_EQ(createInstance(QStringView(progId), IID_IFileOpenService, &object), S_OK);
        EXPECT_NE(std::dynamic_pointer_cast<CFileOpenService>(object), nullptr);
    }
}

} // namespace
} // namespace quillbrook::testing
