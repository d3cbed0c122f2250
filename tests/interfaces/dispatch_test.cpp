#include "recording_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

using testing::RecordingFileOpenService;
using testing::RecordingService;

constexpr DispatchFlags kScriptCall = DispatchFlags::Method | DispatchFlags::PropertyGet;

Variant sampleOf(VarType type, const MemberInfo& member)
{
    switch (type) {
    case VT_BSTR: return Variant::fromBstr(QStringView(member.name).toString() + QStringLiteral(" value"));
    case VT_BOOL: return Variant::fromBool(5);
    case VT_I4: return Variant::fromI4(932);
    default: return Variant();
    }
}

// Every property put, then its get, through Invoke: each reaches its own C++ member and the value
// comes back unchanged.
void expectPropertiesRoundTrip(Dispatchable& object, const std::vector<std::string>& calls)
{
    for (const MemberInfo& member : object.typeInfo().members) {
        if (member.kind != MemberKind::PropertyPut)
            continue;
        const std::string name = QStringView(member.name).toString().toStdString();
        const Variant value = sampleOf(member.parameters()[0].type, member);
        const std::vector<Variant> args = {value};
        ASSERT_EQ(object.Invoke(member.id, DispatchFlags::PropertyPut, args, nullptr), S_OK) << name;
        EXPECT_EQ(calls.back(), "put_" + name + ' ' + describe(value));
        Variant result;
        ASSERT_EQ(object.Invoke(member.id, kScriptCall, {}, &result), S_OK) << name;
        EXPECT_EQ(calls.back(), "get_" + name);
        EXPECT_EQ(result, value) << name;
    }
}

TEST(IServiceDispatch, EveryPropertyRoundTripsThroughItsOwnMembers)
{
    auto service = std::make_shared<RecordingService>();
    expectPropertiesRoundTrip(*service, service->calls);
}

TEST(IServiceDispatch, MethodsReachTheirMembersByDispid)
{
    auto element = std::make_shared<RecordingService>();
    struct Case {
        DISPID id;
        std::vector<Variant> args;
        std::string expectedCall;
    };
    const std::vector<Case> cases = {
        {7, {Variant::fromI4(0x2a00001)}, "ShowMenuDialog 44040193"},
        {8, {Variant::fromDispatch(element)}, "Register (object)"},
        {8, {Variant::null()}, "Register (null)"},
        {11, {}, "OnChangeNotification"},
        {14, {Variant::fromBstr("&Edit with editor")}, "LoadFromMenuExt &Edit with editor"},
        {15, {}, "SaveToMenuExt"},
        {17, {Variant::fromUnknown(element)}, "CopyTo (object)"},
        {17, {Variant::fromDispatch(element)}, "CopyTo (object)"},
        {1008, {}, "OnUnload"},
        {1017, {}, "OnBeforeUnload"},
        {21, {Variant()}, "OpenFile (null)"},
    };
    for (const Case& c : cases) {
        auto service = std::make_shared<RecordingService>();
        EXPECT_EQ(service->Invoke(c.id, kScriptCall, c.args, nullptr), S_OK) << c.expectedCall;
        EXPECT_EQ(service->calls, std::vector<std::string>{c.expectedCall});
        if (!c.args.empty() && c.args[0].object()) {
            EXPECT_EQ(service->lastObject, element) << c.expectedCall << ": the very object arrives";
        }
    }
}

TEST(IServiceDispatch, ArgumentsAreCoercedToTheParameterTypes)
{
    struct Case {
        DISPID id;
        Variant argument;
        HRESULT expectedResult;
        std::string expectedCall; // empty: nothing is called
    };
    const std::vector<Case> cases = {
        {4, Variant::fromI4(5), S_OK, "put_CloseAtSaving VT_BOOL -1"},
        {4, Variant::fromBool(5), S_OK, "put_CloseAtSaving VT_BOOL 5"},
        {4, Variant::fromBstr("False"), S_OK, "put_CloseAtSaving VT_BOOL 0"},
        {4, Variant::fromBstr("maybe"), DISP_E_TYPEMISMATCH, ""},
        {1, Variant::fromBstr(QString()), S_OK, "put_CommandLine VT_BSTR (null)"},
        {1, Variant::fromBstr(""), S_OK, "put_CommandLine VT_BSTR \"\""},
        {1, Variant(), S_OK, "put_CommandLine VT_BSTR \"\""},
        {1, Variant::fromBool(VARIANT_TRUE), S_OK, "put_CommandLine VT_BSTR \"-1\""},
        {1, Variant::null(), DISP_E_TYPEMISMATCH, ""},
        {22, Variant::fromBstr("65001"), S_OK, "put_CodePage VT_I4 65001"},
        {22, Variant::fromR8(1201.5), S_OK, "put_CodePage VT_I4 1202"},
        {22, Variant::fromBstr("utf-8"), DISP_E_TYPEMISMATCH, ""},
        {22, Variant::fromR8(1e10), DISP_E_OVERFLOW, ""},
    };
    for (const Case& c : cases) {
        auto service = std::make_shared<RecordingService>();
        const std::vector<Variant> args = {c.argument};
        EXPECT_EQ(service->Invoke(c.id, DispatchFlags::PropertyPut, args, nullptr), c.expectedResult)
            << c.id << " with " << describe(c.argument);
        const auto expectedCalls =
            c.expectedCall.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.expectedCall};
        EXPECT_EQ(service->calls, expectedCalls) << c.id << " with " << describe(c.argument);
    }

    auto service = std::make_shared<RecordingService>();
    const std::vector<Variant> text = {Variant::fromBstr("text")};
    EXPECT_EQ(service->Invoke(8, DispatchFlags::Method, text, nullptr), DISP_E_TYPEMISMATCH) << "Register";
    EXPECT_TRUE(service->calls.empty());
}

TEST(IServiceDispatch, RejectsMissingMembersKindsAndArgumentCounts)
{
    struct Case {
        const char* name;
        DISPID id;
        DispatchFlags flags;
        std::size_t argumentCount;
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {"put on Active", 12, DispatchFlags::PropertyPut, 1, DISP_E_MEMBERNOTFOUND},
        {"get of Active", 12, kScriptCall, 0, S_OK},
        {"DISPID after the last", 23, kScriptCall, 0, DISP_E_MEMBERNOTFOUND},
        {"DISPID between 22 and 1008", 1000, kScriptCall, 0, DISP_E_MEMBERNOTFOUND},
        {"property as method only", 1, DispatchFlags::Method, 0, DISP_E_MEMBERNOTFOUND},
        {"get with an argument", 1, kScriptCall, 1, DISP_E_BADPARAMCOUNT},
        {"put without a value", 1, DispatchFlags::PropertyPut, 0, DISP_E_BADPARAMCOUNT},
        {"put with two values", 1, DispatchFlags::PropertyPut, 2, DISP_E_BADPARAMCOUNT},
        {"ShowMenuDialog without a window", 7, DispatchFlags::Method, 0, DISP_E_BADPARAMCOUNT},
        {"OnBeforeUnload with an argument", 1017, DispatchFlags::Method, 1, DISP_E_BADPARAMCOUNT},
    };
    for (const Case& c : cases) {
        auto service = std::make_shared<RecordingService>();
        const std::vector<Variant> args(c.argumentCount, Variant::fromI4(1));
        EXPECT_EQ(service->Invoke(c.id, c.flags, args, nullptr), c.expected) << c.name;
        EXPECT_EQ(service->calls.empty(), c.expected != S_OK) << c.name;
    }
}

TEST(IServiceDispatch, FindsNamesInAnyLetterCase)
{
    auto service = std::make_shared<RecordingService>();
    const std::vector<std::pair<std::u16string_view, DISPID>> known = {
        {u"commandline", 1}, {u"ONBEFOREUNLOAD", 1017}, {u"onUnload", 1008}, {u"codePage", 22}, {u"Active", 12},
    };
    for (const auto& [name, expectedId] : known) {
        DISPID id = -1;
        EXPECT_EQ(service->GetIDsOfNames(name, id), S_OK) << QStringView(name).toString().toStdString();
        EXPECT_EQ(id, expectedId) << QStringView(name).toString().toStdString();
    }
    for (std::u16string_view unknown : {u"", u"CommandLin", u"get_CommandLine", u"Registered"}) {
        DISPID id = 77;
        EXPECT_EQ(service->GetIDsOfNames(unknown, id), DISP_E_UNKNOWNNAME)
            << QStringView(unknown).toString().toStdString();
        EXPECT_EQ(id, 77);
    }
    EXPECT_EQ(service->invokeByName(u"onbeforeunload", DispatchFlags::Method, {}, nullptr), S_OK);
    EXPECT_EQ(service->calls, std::vector<std::string>{"OnBeforeUnload"});
}

TEST(IServiceDispatch, AsServiceFindsTheServiceBehindAnObject)
{
    const std::shared_ptr<Dispatchable> service = std::make_shared<RecordingService>();
    const std::shared_ptr<Dispatchable> other = std::make_shared<RecordingFileOpenService>();
    EXPECT_EQ(asService(service).get(), dynamic_cast<IService*>(service.get()));
    EXPECT_EQ(asService(other), nullptr);
    EXPECT_EQ(asService(nullptr), nullptr);
    EXPECT_EQ(asFileOpenService(other).get(), dynamic_cast<IFileOpenService*>(other.get()));
    EXPECT_EQ(asFileOpenService(service), nullptr);
}

TEST(IFileOpenServiceDispatch, PropertiesRoundTripAndOpenFileIsDispid4)
{
    auto fileOpen = std::make_shared<RecordingFileOpenService>();
    expectPropertiesRoundTrip(*fileOpen, fileOpen->calls);
    const std::vector<Variant> element = {Variant::fromDispatch(fileOpen)};
    EXPECT_EQ(fileOpen->Invoke(4, kScriptCall, element, nullptr), S_OK);
    EXPECT_EQ(fileOpen->calls.back(), "OpenFile (object)");
    fileOpen->lastObject.reset(); // it was handed itself: break the cycle
    DISPID id = 0;
    EXPECT_EQ(fileOpen->GetIDsOfNames(u"openingfile", id), S_OK);
    EXPECT_EQ(id, 3);
}

} // namespace
} // namespace quillbrook
