#include "automation/introspection.h"
#include "interfaces/interfaces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

constexpr MemberKind Get = MemberKind::PropertyGet;
constexpr MemberKind Put = MemberKind::PropertyPut;
constexpr MemberKind Call = MemberKind::Method;

struct Row {
    std::u16string_view name;
    DISPID id;
    MemberKind kind;
    VarType type; // the result of a get or method, the value of a put
};

struct ExpectedInterface {
    const InterfaceInfo& info;
    std::u16string_view name;
    const char* iid;
    bool dual;
    std::vector<Row> members;
};

TEST(PageTypeInfo, InterfacesAsTheBrowserNamesThem)
{
    const ExpectedInterface interfaces[] = {
        {IHTMLElement::interfaceInfo(),
         u"IHTMLElement",
         "{3050F1FF-98B5-11CF-BB82-00AA00BDCE0B}",
         true,
         {{u"document", 1, Get, VT_DISPATCH}}},
        {IHTMLDocument2::interfaceInfo(),
         u"IHTMLDocument2",
         "{332C4425-26CB-11D0-B483-00C04FD90119}",
         true,
         {{u"title", 1, Get, VT_BSTR}, {u"URL", 2, Get, VT_BSTR}, {u"parentWindow", 3, Get, VT_DISPATCH}}},
        {IHTMLTextAreaElement::interfaceInfo(),
         u"IHTMLTextAreaElement",
         "{3050F2AA-98B5-11CF-BB82-00AA00BDCE0B}",
         true,
         {{u"value", 1, Get, VT_BSTR},
          {u"value", 1, Put, VT_BSTR},
          {u"name", 2, Get, VT_BSTR},
          {u"form", 3, Get, VT_DISPATCH}}},
        {IHTMLInputTextElement::interfaceInfo(),
         u"IHTMLInputTextElement",
         "{3050F2A6-98B5-11CF-BB82-00AA00BDCE0B}",
         true,
         {{u"value", 1, Get, VT_BSTR},
          {u"value", 1, Put, VT_BSTR},
          {u"name", 2, Get, VT_BSTR},
          {u"form", 3, Get, VT_DISPATCH}}},
        {IHTMLFormElement::interfaceInfo(),
         u"IHTMLFormElement",
         "{3050F1F7-98B5-11CF-BB82-00AA00BDCE0B}",
         true,
         {{u"name", 1, Get, VT_BSTR}}},
        {htmlWindowEventsInfo(),
         u"HTMLWindowEvents",
         "{96A0A4E0-D062-11CF-94B6-00AA0060275C}",
         false,
         {{u"onunload", 1008, Call, VT_VOID}, {u"onbeforeunload", 1017, Call, VT_VOID}}},
    };
    for (const ExpectedInterface& want : interfaces) {
        const std::string where = QStringView(want.name).toString().toStdString();
        EXPECT_TRUE(want.info.name == want.name) << where;
        EXPECT_EQ(want.info.iid.toString(), want.iid) << where;
        EXPECT_EQ(want.info.dual, want.dual) << where;
        ASSERT_EQ(want.info.members.size(), want.members.size()) << where;
        for (std::size_t i = 0; i < want.members.size(); ++i) {
            const MemberInfo& actual = want.info.members[i];
            const Row& row = want.members[i];
            const std::string member = where + '.' + QStringView(row.name).toString().toStdString() + ' '
                                       + typeLibraryName(row.kind).toStdString();
            EXPECT_TRUE(actual.name == row.name) << member;
            EXPECT_EQ(actual.id, row.id) << member;
            EXPECT_EQ(actual.kind, row.kind) << member;
            EXPECT_FALSE(actual.help.empty()) << member;
            const VarType type = row.kind == Put ? actual.parameters()[0].type : actual.resultType;
            EXPECT_EQ(type, row.type) << member;
            if (row.kind == Get) {
                EXPECT_TRUE(actual.parameters().empty()) << member;
            }
        }
    }
}

TEST(PageTypeInfo, WindowEventDispidsAreTheServiceHandlers)
{
    const MemberInfo* onUnload = IService::interfaceInfo().findByName(u"OnUnload");
    const MemberInfo* onBeforeUnload = IService::interfaceInfo().findByName(u"OnBeforeUnload");
    ASSERT_TRUE(onUnload && onBeforeUnload);
    EXPECT_EQ(htmlWindowEventsInfo().findByName(u"onunload")->id, onUnload->id);
    EXPECT_EQ(htmlWindowEventsInfo().findByName(u"onbeforeunload")->id, onBeforeUnload->id);
    EXPECT_EQ(DISPID_HTMLWINDOWEVENTS_ONUNLOAD, 1008);
    EXPECT_EQ(DISPID_HTMLWINDOWEVENTS_ONBEFOREUNLOAD, 1017);
}

} // namespace
} // namespace quillbrook
