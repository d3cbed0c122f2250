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

struct ExpectedMember {
    std::u16string_view name;
    DISPID id;
    MemberKind kind;
    std::vector<ParamInfo> params;
    VarType result;
    std::u16string_view help;
};

// The members as the type library states them, in vtable order.
void expectMembers(const InterfaceInfo& info, const std::vector<ExpectedMember>& expected)
{
    ASSERT_EQ(info.members.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const MemberInfo& actual = info.members[i];
        const ExpectedMember& want = expected[i];
        const std::string where = "entry " + std::to_string(i) + " (" + QStringView(want.name).toString().toStdString()
                                  + ' ' + typeLibraryName(want.kind).toStdString() + ")";
        EXPECT_TRUE(actual.name == want.name) << where << ": " << QStringView(actual.name).toString().toStdString();
        EXPECT_EQ(actual.id, want.id) << where;
        EXPECT_EQ(actual.kind, want.kind) << where;
        EXPECT_EQ(actual.resultType, want.result) << where;
        EXPECT_TRUE(actual.help == want.help) << where << ": " << QStringView(actual.help).toString().toStdString();
        ASSERT_EQ(actual.parameters().size(), want.params.size()) << where;
        for (std::size_t p = 0; p < want.params.size(); ++p) {
            EXPECT_TRUE(actual.parameters()[p].name == want.params[p].name) << where << " parameter " << p;
            EXPECT_EQ(actual.parameters()[p].type, want.params[p].type) << where << " parameter " << p;
        }
    }
}

TEST(IServiceTypeInfo, MembersAsTheTypeLibraryStatesThem)
{
    const InterfaceInfo& info = IService::interfaceInfo();
    EXPECT_TRUE(info.name == u"IService");
    EXPECT_TRUE(info.help == u"IService インターフェイス");
    EXPECT_TRUE(info.dual);
    EXPECT_EQ(info.iid, IID_IService);
    expectMembers(
        info,
        {
            {u"CommandLine", 1, Get, {}, VT_BSTR, u"エディタのプログラム引数"},
            {u"CommandLine", 1, Put, {{u"", VT_BSTR}}, VT_VOID, u"エディタのプログラム引数"},
            {u"Extension", 2, Get, {}, VT_BSTR, u"作業ファイルの拡張子"},
            {u"Extension", 2, Put, {{u"", VT_BSTR}}, VT_VOID, u"作業ファイルの拡張子"},
            {u"DeleteTemporaryFile", 3, Get, {}, VT_BOOL, u"作業ファイルを削除するか"},
            {u"DeleteTemporaryFile", 3, Put, {{u"", VT_BOOL}}, VT_VOID, u"作業ファイルを削除するか"},
            {u"CloseAtSaving", 4, Get, {}, VT_BOOL, u"保存時にエディタを終了するか"},
            {u"CloseAtSaving", 4, Put, {{u"", VT_BOOL}}, VT_VOID, u"保存時にエディタを終了するか"},
            {u"CarbonCopy", 5, Get, {}, VT_BOOL, u"作業ファイルの複製を作るか"},
            {u"CarbonCopy", 5, Put, {{u"", VT_BOOL}}, VT_VOID, u"作業ファイルの複製を作るか"},
            {u"CarbonCopyFile", 6, Get, {}, VT_BSTR, u"複製の作成先"},
            {u"CarbonCopyFile", 6, Put, {{u"", VT_BSTR}}, VT_VOID, u"複製の作成先"},
            {u"ShowMenuDialog", 7, Call, {{u"WindowHandle", VT_I4}}, VT_VOID, u"メニューダイアログの表示"},
            {u"Register", 8, Call, {{u"TextAreaElement", VT_DISPATCH}}, VT_VOID, u"メソッドRegister"},
            {u"EditorName", 9, Get, {}, VT_BSTR, u"エディタの名前"},
            {u"EditorName", 9, Put, {{u"", VT_BSTR}}, VT_VOID, u"エディタの名前"},
            {u"EditorProgramFile", 10, Get, {}, VT_BSTR, u"エディタのプログラムファイル"},
            {u"EditorProgramFile", 10, Put, {{u"", VT_BSTR}}, VT_VOID, u"エディタのプログラムファイル"},
            {u"OnChangeNotification", 11, Call, {}, VT_VOID, u"作業ファイル更新可能性の通知"},
            {u"Active", 12, Get, {}, VT_BOOL, u"アクティブか"},
            {u"Unicode", 13, Get, {}, VT_BOOL, u"Unicodeか"},
            {u"Unicode", 13, Put, {{u"", VT_BOOL}}, VT_VOID, u"Unicodeか"},
            {u"LoadFromMenuExt", 14, Call, {{u"Label", VT_BSTR}}, VT_VOID, u"MenuExtレジストリーキーからの読み込み"},
            {u"SaveToMenuExt", 15, Call, {}, VT_VOID, u"MenuExtレジストリキーへの保存"},
            {u"Label", 16, Get, {}, VT_BSTR, u"メニューラベル"},
            {u"Label", 16, Put, {{u"", VT_BSTR}}, VT_VOID, u"メニューラベル"},
            {u"CopyTo", 17, Call, {{u"pUnkService", VT_UNKNOWN}}, VT_VOID, u"メソッドCopyTo"},
            {u"OnUnload", 1008, Call, {}, VT_VOID, u"OnUnloadイベントハンドラ"},
            {u"OnBeforeUnload", 1017, Call, {}, VT_VOID, u"OnBeforeUnloadイベントハンドラ"},
            {u"TemplateFile", 18, Get, {}, VT_BSTR, u"テンプレートファイルパス"},
            {u"TemplateFile", 18, Put, {{u"", VT_BSTR}}, VT_VOID, u"テンプレートファイルパス"},
            {u"AlwaysAskTemplate", 19, Get, {}, VT_BOOL, u"常にテンプレートファイルを選択するか"},
            {u"AlwaysAskTemplate", 19, Put, {{u"", VT_BOOL}}, VT_VOID, u"常にテンプレートファイルを選択するか"},
            {u"UseTemplateFile", 20, Get, {}, VT_BOOL, u"テンプレートファイルを使用するか"},
            {u"UseTemplateFile", 20, Put, {{u"", VT_BOOL}}, VT_VOID, u"テンプレートファイルを使用するか"},
            {u"OpenFile", 21, Call, {{u"TextAreaElement", VT_DISPATCH}}, VT_VOID, u"ファイルを開いてTEXTAREAに挿入"},
            {u"CodePage", 22, Get, {}, VT_I4, u"コードページ"},
            {u"CodePage", 22, Put, {{u"", VT_I4}}, VT_VOID, u"コードページ"},
        });
}

TEST(IFileOpenServiceTypeInfo, MembersAsTheTypeLibraryStatesThem)
{
    const InterfaceInfo& info = IFileOpenService::interfaceInfo();
    EXPECT_TRUE(info.name == u"IFileOpenService");
    EXPECT_TRUE(info.help == u"IFileOpenService インターフェイス");
    EXPECT_TRUE(info.dual);
    EXPECT_EQ(info.iid, IID_IFileOpenService);
    expectMembers(info, {
                            {u"Registered", 1, Get, {}, VT_BOOL, u"プロパティRegistered"},
                            {u"Registered", 1, Put, {{u"", VT_BOOL}}, VT_VOID, u"プロパティRegistered"},
                            {u"Extensions", 2, Get, {}, VT_BSTR, u"プロパティExtensions"},
                            {u"Extensions", 2, Put, {{u"", VT_BSTR}}, VT_VOID, u"プロパティExtensions"},
                            {u"OpeningFile", 3, Get, {}, VT_BSTR, u"プロパティOpeningFile"},
                            {u"OpeningFile", 3, Put, {{u"", VT_BSTR}}, VT_VOID, u"プロパティOpeningFile"},
                            {u"OpenFile", 4, Call, {{u"TextAreaElement", VT_DISPATCH}}, VT_VOID, u"メソッドOpenFile"},
                        });
}

TEST(TypeInfoClasses, IdsProgIdsAndEventInterfaces)
{
    struct ExpectedClass {
        const ClassInfo& info;
        std::u16string_view name, help, progId, versionedProgId, friendlyName;
        const InterfaceInfo& defaultInterface;
        std::u16string_view eventsName, eventsHelp;
    };
    const ExpectedClass classes[] = {
        {serviceClassInfo(), u"CService", u"Service Class", u"Quillbrook.Service", u"Quillbrook.Service.1",
         u"CService Object", IService::interfaceInfo(), u"_IServiceEvents", u"_IServiceEvents インターフェイス"},
        {fileOpenServiceClassInfo(), u"CFileOpenService", u"FileOpenService Class", u"Quillbrook.FileOpenService",
         u"Quillbrook.FileOpenService.1", u"CFileOpenService Object", IFileOpenService::interfaceInfo(),
         u"_IFileOpenServiceEvents", u"_IFileOpenServiceEvents インターフェイス"},
    };
    for (const ExpectedClass& c : classes) {
        const std::string name = QStringView(c.name).toString().toStdString();
        EXPECT_TRUE(c.info.name == c.name) << name;
        EXPECT_TRUE(c.info.help == c.help) << name;
        EXPECT_TRUE(c.info.progId == c.progId) << name;
        EXPECT_TRUE(c.info.versionedProgId == c.versionedProgId) << name;
        EXPECT_TRUE(c.info.friendlyName == c.friendlyName) << name;
        EXPECT_EQ(c.info.defaultInterface, &c.defaultInterface) << name;
        ASSERT_NE(c.info.eventsInterface, nullptr) << name;
        EXPECT_TRUE(c.info.eventsInterface->name == c.eventsName) << name;
        EXPECT_TRUE(c.info.eventsInterface->help == c.eventsHelp) << name;
        EXPECT_FALSE(c.info.eventsInterface->dual) << name << ": events are a dispinterface";
        EXPECT_TRUE(c.info.eventsInterface->members.empty()) << name;
    }
    const Guid ids[] = {CLSID_CService,         IID_IService,         DIID__IServiceEvents,
                        CLSID_CFileOpenService, IID_IFileOpenService, DIID__IFileOpenServiceEvents};
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        EXPECT_FALSE(ids[i].isNull()) << i;
        for (std::size_t j = i + 1; j < std::size(ids); ++j)
            EXPECT_NE(ids[i], ids[j]) << i << " and " << j;
    }
    EXPECT_EQ(serviceClassInfo().clsid, CLSID_CService);
    EXPECT_EQ(serviceClassInfo().eventsInterface->iid, DIID__IServiceEvents);
    EXPECT_EQ(fileOpenServiceClassInfo().clsid, CLSID_CFileOpenService);
    EXPECT_EQ(fileOpenServiceClassInfo().eventsInterface->iid, DIID__IFileOpenServiceEvents);
}

} // namespace
} // namespace quillbrook
