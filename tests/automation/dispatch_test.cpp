#include "automation/introspection.h"
#include "automation/member_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

// A small object with one member of each shape the table builder supports.
class Probe : public Dispatchable {
public:
    std::vector<std::string> calls;
    double ratio = 0.0;

    HRESULT Join(const QString& First, std::int32_t Count, QString* joined)
    {
        calls.push_back("Join");
        *joined = First + u'|' + QString::number(Count);
        return S_OK;
    }
    HRESULT Echo(const Variant& Value, Variant* echoed)
    {
        calls.push_back("Echo");
        *echoed = Value;
        return S_OK;
    }
    HRESULT get_Ratio(double* value)
    {
        calls.push_back("get_Ratio");
        *value = ratio;
        return S_OK;
    }
    HRESULT put_Ratio(double value)
    {
        calls.push_back("put_Ratio");
        ratio = value;
        return S_OK;
    }
    HRESULT get_Self(std::shared_ptr<Dispatchable>* value)
    {
        *value = shared_from_this();
        return S_OK;
    }
    HRESULT Fail()
    {
        calls.push_back("Fail");
        return E_INVALIDARG;
    }

    const InterfaceInfo& typeInfo() const override;
};

constexpr auto kProbeMembers =
    memberTable(method<&Probe::Join>(u"Join", 1, {{u"First"}, {u"Count"}}, u"joins <&\">"),
                method<&Probe::Echo>(u"Echo", 2, {{u"Value"}}, u"echo"),
                property<&Probe::get_Ratio, &Probe::put_Ratio>(u"Ratio", 3, u"ratio"),
                propertyGet<&Probe::get_Self>(u"Self", 4, u"self"), method<&Probe::Fail>(u"Fail", 5, {}, u"fails"));

constexpr InterfaceInfo kIProbe{u"IProbe", *Guid::parse("{11111111-2222-3333-4444-555555555555}"), u"probe", true,
                                kProbeMembers};

const InterfaceInfo& Probe::typeInfo() const
{
    return kIProbe;
}

constexpr DispatchFlags kScriptCall = DispatchFlags::Method | DispatchFlags::PropertyGet;

TEST(Dispatch, PassesArgumentsInNaturalOrderCoercedAndReturnsTheRetval)
{
    auto probe = std::make_shared<Probe>();
    const std::vector<Variant> args = {Variant::fromBstr("ab"), Variant::fromBstr("3")};
    Variant result;
    ASSERT_EQ(probe->Invoke(1, kScriptCall, args, &result), S_OK);
    EXPECT_EQ(result, Variant::fromBstr("ab|3"));

    const std::vector<Variant> nullArg = {Variant::null()};
    ASSERT_EQ(probe->Invoke(2, DispatchFlags::Method, nullArg, &result), S_OK);
    EXPECT_EQ(result, Variant::null()) << "a VARIANT parameter takes the value unchanged";

    ASSERT_EQ(probe->Invoke(4, DispatchFlags::PropertyGet, {}, &result), S_OK);
    EXPECT_EQ(result, Variant::fromDispatch(probe));
}

TEST(Dispatch, ReachesAMemberOnlyWithFlagsThatAllowItsKind)
{
    struct Case {
        const char* name;
        DISPID id;
        DispatchFlags flags;
        std::vector<Variant> args;
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {"a method's own failure passes through", 5, DispatchFlags::Method, {}, E_INVALIDARG},
        {"method as script call", 5, kScriptCall, {}, E_INVALIDARG},
        {"method as property get", 5, DispatchFlags::PropertyGet, {}, DISP_E_MEMBERNOTFOUND},
        {"get as method only", 3, DispatchFlags::Method, {}, DISP_E_MEMBERNOTFOUND},
        {"put", 3, DispatchFlags::PropertyPut, {Variant::fromI4(2)}, S_OK},
        {"put by reference", 3, DispatchFlags::PropertyPutRef, {Variant::fromI4(2)}, DISP_E_MEMBERNOTFOUND},
        {"too few arguments", 1, DispatchFlags::Method, {Variant::fromBstr("a")}, DISP_E_BADPARAMCOUNT},
        {"overflowing argument", 1, DispatchFlags::Method, {Variant(), Variant::fromR8(1e12)}, DISP_E_OVERFLOW},
    };
    for (const Case& c : cases) {
        auto probe = std::make_shared<Probe>();
        Variant result = Variant::fromI4(99);
        EXPECT_EQ(probe->Invoke(c.id, c.flags, c.args, &result), c.expected) << c.name;
        EXPECT_EQ(probe->calls.empty(), c.expected != S_OK && c.expected != E_INVALIDARG) << c.name;
        if (c.expected != S_OK || c.flags == DispatchFlags::PropertyPut) {
            EXPECT_EQ(result, Variant()) << c.name << ": the result is emptied";
        }
    }
}

TEST(Dispatch, FindsNamesCaseInsensitively)
{
    auto probe = std::make_shared<Probe>();
    DISPID id = -1;
    EXPECT_EQ(probe->GetIDsOfNames(u"rATIO", id), S_OK);
    EXPECT_EQ(id, 3);
    EXPECT_EQ(probe->GetIDsOfNames(u"Ratios", id), DISP_E_UNKNOWNNAME);

    Variant result = Variant::fromI4(1);
    EXPECT_EQ(probe->invokeByName(u"nothing", kScriptCall, {}, &result), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(result, Variant());
    const std::vector<Variant> value = {Variant::fromR8(0.5)};
    EXPECT_EQ(probe->invokeByName(u"RATIO", DispatchFlags::PropertyPut, value, nullptr), S_OK);
    EXPECT_EQ(probe->ratio, 0.5);
}

TEST(TypeInfoIntrospection, ListsMembersWithDispidsKindsParametersAndHelp)
{
    EXPECT_EQ(
        introspectionXml(kIProbe).toStdString(),
        "<interface name=\"IProbe\" iid=\"{11111111-2222-3333-4444-555555555555}\" dual=\"true\" help=\"probe\">\n"
        "  <member name=\"Join\" dispid=\"1\" kind=\"method\" type=\"BSTR\" help=\"joins &lt;&amp;&quot;&gt;\">\n"
        "    <param name=\"First\" type=\"BSTR\"/>\n"
        "    <param name=\"Count\" type=\"long\"/>\n"
        "  </member>\n"
        "  <member name=\"Echo\" dispid=\"2\" kind=\"method\" type=\"VARIANT\" help=\"echo\">\n"
        "    <param name=\"Value\" type=\"VARIANT\"/>\n"
        "  </member>\n"
        "  <member name=\"Ratio\" dispid=\"3\" kind=\"propget\" type=\"double\" help=\"ratio\"/>\n"
        "  <member name=\"Ratio\" dispid=\"3\" kind=\"propput\" help=\"ratio\">\n"
        "    <param name=\"\" type=\"double\"/>\n"
        "  </member>\n"
        "  <member name=\"Self\" dispid=\"4\" kind=\"propget\" type=\"IDispatch*\" help=\"self\"/>\n"
        "  <member name=\"Fail\" dispid=\"5\" kind=\"method\" help=\"fails\"/>\n"
        "</interface>\n");
}

} // namespace
} // namespace quillbrook
