#include "service/service.h"

#include "store/global_settings.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillbrook {
namespace {

// The process-wide defaults a fresh object takes, set for each test.
class ServiceTest : public ::testing::Test {
protected:
    ServiceTest()
    {
        GlobalSettings& settings = globalSettings();
        settings.DefaultLabel = "&Edit with editor";
        settings.DefaultEditorName = "Notepad";
        settings.DefaultEditorProgramFile = "notepad.exe";
        settings.DefaultExtension = "txt";
    }
};

QString stringOf(HRESULT (CService::*get)(QString*), CService& service)
{
    QString value = QStringLiteral("unset");
    EXPECT_EQ((service.*get)(&value), S_OK);
    return value;
}

VARIANT_BOOL boolOf(HRESULT (CService::*get)(VARIANT_BOOL*), CService& service)
{
    VARIANT_BOOL value = 99;
    EXPECT_EQ((service.*get)(&value), S_OK);
    return value;
}

TEST_F(ServiceTest, FreshObjectDefaults)
{
    CService service;
    EXPECT_EQ(stringOf(&CService::get_Label, service), QStringLiteral("&Edit with editor"));
    EXPECT_EQ(stringOf(&CService::get_EditorName, service), QStringLiteral("Notepad"));
    EXPECT_EQ(stringOf(&CService::get_EditorProgramFile, service), QStringLiteral("notepad.exe"));
    EXPECT_EQ(stringOf(&CService::get_Extension, service), QStringLiteral("txt"));
    for (auto get : {&CService::get_CommandLine, &CService::get_CarbonCopyFile, &CService::get_TemplateFile}) {
        const QString value = stringOf(get, service);
        EXPECT_TRUE(value.isEmpty());
        EXPECT_FALSE(value.isNull());
    }
    EXPECT_EQ(boolOf(&CService::get_DeleteTemporaryFile, service), 1); // 1, not -1
    for (auto get : {&CService::get_CloseAtSaving, &CService::get_CarbonCopy, &CService::get_Active,
                     &CService::get_Unicode, &CService::get_AlwaysAskTemplate, &CService::get_UseTemplateFile})
        EXPECT_EQ(boolOf(get, service), 0);
    std::int32_t codePage = 0;
    EXPECT_EQ(service.get_CodePage(&codePage), S_OK);
    EXPECT_EQ(codePage, 1);
}

TEST_F(ServiceTest, GlobalDefaultsAreTakenAtConstruction)
{
    globalSettings().DefaultLabel = "エディタで編集する(&E)";
    CService service;
    globalSettings().DefaultLabel = "Changed later";
    EXPECT_EQ(stringOf(&CService::get_Label, service), QString::fromUtf8("エディタで編集する(&E)"));
}

TEST_F(ServiceTest, StringPutsCopyUpToTheFirstNul)
{
    CService service;
    struct Case {
        const char* name;
        QString put;
        QString expected;
    };
    const Case cases[] = {
        {"plain", QStringLiteral("gedit"), QStringLiteral("gedit")},
        {"cut at NUL", QString::fromUtf16(u"ab\0cd", 5), QStringLiteral("ab")},
        {"empty", QString(QLatin1String("")), QString(QLatin1String(""))},
        {"leading NUL", QString::fromUtf16(u"\0x", 2), QString(QLatin1String(""))},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(service.put_EditorName(c.put), S_OK) << c.name;
        const QString stored = stringOf(&CService::get_EditorName, service);
        EXPECT_EQ(stored, c.expected) << c.name;
        EXPECT_FALSE(stored.isNull()) << c.name;
    }
    EXPECT_EQ(service.put_EditorName(QString()), S_OK);
    EXPECT_TRUE(stringOf(&CService::get_EditorName, service).isNull());
}

TEST_F(ServiceTest, NumbersAreStoredUnchanged)
{
    CService service;
    EXPECT_EQ(service.put_CloseAtSaving(5), S_OK);
    EXPECT_EQ(boolOf(&CService::get_CloseAtSaving, service), 5);
    EXPECT_EQ(service.put_DeleteTemporaryFile(-1), S_OK);
    EXPECT_EQ(boolOf(&CService::get_DeleteTemporaryFile, service), -1);
    EXPECT_EQ(service.put_CodePage(932), S_OK);
    std::int32_t codePage = 0;
    EXPECT_EQ(service.get_CodePage(&codePage), S_OK);
    EXPECT_EQ(codePage, 932);
    EXPECT_EQ(service.get_CodePage(nullptr), E_POINTER);
}

// Records the order of the puts that reach it, then stores as usual.
class RecordingService : public CService {
public:
    std::vector<std::string> puts;

    HRESULT put_Label(const QString& v) override { return record("Label", CService::put_Label(v)); }
    HRESULT put_EditorName(const QString& v) override { return record("EditorName", CService::put_EditorName(v)); }
    HRESULT put_EditorProgramFile(const QString& v) override
    {
        return record("EditorProgramFile", CService::put_EditorProgramFile(v));
    }
    HRESULT put_CommandLine(const QString& v) override { return record("CommandLine", CService::put_CommandLine(v)); }
    HRESULT put_CarbonCopyFile(const QString& v) override
    {
        return record("CarbonCopyFile", CService::put_CarbonCopyFile(v));
    }
    HRESULT put_Extension(const QString& v) override { return record("Extension", CService::put_Extension(v)); }
    HRESULT put_TemplateFile(const QString& v) override
    {
        return record("TemplateFile", CService::put_TemplateFile(v));
    }
    HRESULT put_CloseAtSaving(VARIANT_BOOL v) override
    {
        return record("CloseAtSaving", CService::put_CloseAtSaving(v));
    }
    HRESULT put_DeleteTemporaryFile(VARIANT_BOOL v) override
    {
        return record("DeleteTemporaryFile", CService::put_DeleteTemporaryFile(v));
    }
    HRESULT put_CarbonCopy(VARIANT_BOOL v) override { return record("CarbonCopy", CService::put_CarbonCopy(v)); }
    HRESULT put_AlwaysAskTemplate(VARIANT_BOOL v) override
    {
        return record("AlwaysAskTemplate", CService::put_AlwaysAskTemplate(v));
    }
    HRESULT put_Unicode(VARIANT_BOOL v) override { return record("Unicode", CService::put_Unicode(v)); }
    HRESULT put_UseTemplateFile(VARIANT_BOOL v) override
    {
        return record("UseTemplateFile", CService::put_UseTemplateFile(v));
    }
    HRESULT put_CodePage(std::int32_t v) override { return record("CodePage", CService::put_CodePage(v)); }

private:
    // Fails every put, since CopyTo must not care what the puts return.
    HRESULT record(const char* name, HRESULT)
    {
        puts.emplace_back(name);
        return E_FAIL;
    }
};

TEST_F(ServiceTest, CopyToPutsFourteenSettingsInOrder)
{
    auto source = std::make_shared<CService>();
    EXPECT_EQ(source->put_Label(QStringLiteral("Edit with gedit")), S_OK);
    EXPECT_EQ(source->put_EditorName(QStringLiteral("gedit")), S_OK);
    EXPECT_EQ(source->put_EditorProgramFile(QStringLiteral("/usr/bin/gedit")), S_OK);
    EXPECT_EQ(source->put_CommandLine(QStringLiteral("--wait \"%filepath%\"")), S_OK);
    EXPECT_EQ(source->put_CarbonCopyFile(QString()), S_OK);
    EXPECT_EQ(source->put_Extension(QStringLiteral("md")), S_OK);
    EXPECT_EQ(source->put_TemplateFile(QStringLiteral("/tmp/template.md")), S_OK);
    EXPECT_EQ(source->put_CloseAtSaving(5), S_OK);
    EXPECT_EQ(source->put_DeleteTemporaryFile(0), S_OK);
    EXPECT_EQ(source->put_CarbonCopy(-1), S_OK);
    EXPECT_EQ(source->put_AlwaysAskTemplate(2), S_OK);
    EXPECT_EQ(source->put_Unicode(3), S_OK);
    EXPECT_EQ(source->put_UseTemplateFile(4), S_OK);
    EXPECT_EQ(source->put_CodePage(65001), S_OK);

    auto target = std::make_shared<RecordingService>();
    EXPECT_EQ(source->CopyTo(target), S_OK);
    const std::vector<std::string> expectedOrder = {
        "Label",           "EditorName",    "EditorProgramFile",   "CommandLine", "CarbonCopyFile",    "Extension",
        "TemplateFile",    "CloseAtSaving", "DeleteTemporaryFile", "CarbonCopy",  "AlwaysAskTemplate", "Unicode",
        "UseTemplateFile", "CodePage"};
    EXPECT_EQ(target->puts, expectedOrder);

    EXPECT_EQ(stringOf(&CService::get_Label, *target), QStringLiteral("Edit with gedit"));
    EXPECT_EQ(stringOf(&CService::get_CommandLine, *target), QStringLiteral("--wait \"%filepath%\""));
    EXPECT_TRUE(stringOf(&CService::get_CarbonCopyFile, *target).isNull());
    EXPECT_EQ(stringOf(&CService::get_TemplateFile, *target), QStringLiteral("/tmp/template.md"));
    EXPECT_EQ(boolOf(&CService::get_CloseAtSaving, *target), 5);
    EXPECT_EQ(boolOf(&CService::get_DeleteTemporaryFile, *target), 0);
    EXPECT_EQ(boolOf(&CService::get_AlwaysAskTemplate, *target), 2);
    EXPECT_EQ(boolOf(&CService::get_Unicode, *target), 3);
    EXPECT_EQ(boolOf(&CService::get_UseTemplateFile, *target), 4);
    EXPECT_EQ(boolOf(&CService::get_Active, *target), 0);
    std::int32_t codePage = 0;
    EXPECT_EQ(target->get_CodePage(&codePage), S_OK);
    EXPECT_EQ(codePage, 65001);
}

TEST_F(ServiceTest, CopyToItselfChangesNothing)
{
    auto service = std::make_shared<CService>();
    EXPECT_EQ(service->put_CommandLine(QStringLiteral("\"%filepath%\"")), S_OK);
    EXPECT_EQ(service->put_CarbonCopyFile(QString()), S_OK);
    EXPECT_EQ(service->put_CloseAtSaving(7), S_OK);
    EXPECT_EQ(service->CopyTo(service), S_OK);
    EXPECT_EQ(stringOf(&CService::get_CommandLine, *service), QStringLiteral("\"%filepath%\""));
    EXPECT_TRUE(stringOf(&CService::get_CarbonCopyFile, *service).isNull());
    EXPECT_EQ(stringOf(&CService::get_Label, *service), QStringLiteral("&Edit with editor"));
    EXPECT_EQ(boolOf(&CService::get_CloseAtSaving, *service), 7);
}

// An automation object that is not a service.
class OtherObject : public Dispatchable {
public:
    const InterfaceInfo& typeInfo() const override { return kInfo; }

private:
    static constexpr InterfaceInfo kInfo{u"IOther", Guid{}, u"", true, {}};
};

TEST_F(ServiceTest, CopyToWithoutAServiceTarget)
{
    CService service;
    EXPECT_EQ(service.CopyTo(nullptr), E_POINTER);
    EXPECT_EQ(service.CopyTo(std::make_shared<OtherObject>()), E_NOINTERFACE);
}

TEST_F(ServiceTest, ScriptsReachTheMembersThroughDispatch)
{
    auto service = std::make_shared<CService>();
    Dispatchable& dispatch = *service;
    DISPID id = 0;
    ASSERT_EQ(dispatch.GetIDsOfNames(u"closeatsaving", id), S_OK);
    const Variant five = Variant::fromBool(5);
    EXPECT_EQ(dispatch.Invoke(id, DispatchFlags::PropertyPut, {&five, 1}, nullptr), S_OK);
    Variant result;
    EXPECT_EQ(dispatch.Invoke(id, DispatchFlags::Method | DispatchFlags::PropertyGet, {}, &result), S_OK);
    EXPECT_EQ(result, Variant::fromBool(5));

    // The window's unload events arrive by DISPID.
    EXPECT_EQ(dispatch.Invoke(1008, DispatchFlags::Method, {}, nullptr), S_OK);
    const Variant target = Variant::fromUnknown(std::make_shared<CService>());
    EXPECT_EQ(dispatch.invokeByName(u"CopyTo", DispatchFlags::Method, {&target, 1}, nullptr), S_OK);
    EXPECT_EQ(asService(target.object())->get_CloseAtSaving(nullptr), E_POINTER);
    VARIANT_BOOL copied = 0;
    EXPECT_EQ(asService(target.object())->get_CloseAtSaving(&copied), S_OK);
    EXPECT_EQ(copied, 5);
}

TEST_F(ServiceTest, OnUnloadAndOpenFileChangeNothing)
{
    CService service;
    EXPECT_EQ(service.put_CommandLine(QStringLiteral("x")), S_OK);
    EXPECT_EQ(service.OnUnload(), S_OK);
    EXPECT_EQ(service.OpenFile(nullptr), S_OK);
    EXPECT_EQ(stringOf(&CService::get_CommandLine, service), QStringLiteral("x"));
    EXPECT_EQ(boolOf(&CService::get_Active, service), 0);
}

TEST_F(ServiceTest, EveryLiveObjectHoldsTheModule)
{
    const long before = ModuleLock::count();
    {
        CService first;
        auto second = std::make_shared<CService>();
        EXPECT_EQ(ModuleLock::count(), before + 2);
    }
    EXPECT_EQ(ModuleLock::count(), before);
}

} // namespace
} // namespace quillbrook
