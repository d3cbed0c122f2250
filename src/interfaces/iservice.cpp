#include "interfaces/iservice.h"

#include "automation/member_table.h"

namespace quillbrook {

namespace {

using S = IService;

constexpr auto kServiceMembers = memberTable(
    property<&S::get_CommandLine, &S::put_CommandLine>(u"CommandLine", 1, u"エディタのプログラム引数"),
    property<&S::get_Extension, &S::put_Extension>(u"Extension", 2, u"作業ファイルの拡張子"),
    property<&S::get_DeleteTemporaryFile, &S::put_DeleteTemporaryFile>(u"DeleteTemporaryFile", 3,
                                                                       u"作業ファイルを削除するか"),
    property<&S::get_CloseAtSaving, &S::put_CloseAtSaving>(u"CloseAtSaving", 4, u"保存時にエディタを終了するか"),
    property<&S::get_CarbonCopy, &S::put_CarbonCopy>(u"CarbonCopy", 5, u"作業ファイルの複製を作るか"),
    property<&S::get_CarbonCopyFile, &S::put_CarbonCopyFile>(u"CarbonCopyFile", 6, u"複製の作成先"),
    method<&S::ShowMenuDialog>(u"ShowMenuDialog", 7, {{u"WindowHandle"}}, u"メニューダイアログの表示"),
    method<&S::Register>(u"Register", 8, {{u"TextAreaElement"}}, u"メソッドRegister"),
    property<&S::get_EditorName, &S::put_EditorName>(u"EditorName", 9, u"エディタの名前"),
    property<&S::get_EditorProgramFile, &S::put_EditorProgramFile>(u"EditorProgramFile", 10,
                                                                   u"エディタのプログラムファイル"),
    method<&S::OnChangeNotification>(u"OnChangeNotification", 11, {}, u"作業ファイル更新可能性の通知"),
    propertyGet<&S::get_Active>(u"Active", 12, u"アクティブか"),
    property<&S::get_Unicode, &S::put_Unicode>(u"Unicode", 13, u"Unicodeか"),
    method<&S::LoadFromMenuExt>(u"LoadFromMenuExt", 14, {{u"Label"}}, u"MenuExtレジストリーキーからの読み込み"),
    method<&S::SaveToMenuExt>(u"SaveToMenuExt", 15, {}, u"MenuExtレジストリキーへの保存"),
    property<&S::get_Label, &S::put_Label>(u"Label", 16, u"メニューラベル"),
    method<&S::CopyTo>(u"CopyTo", 17, {{u"pUnkService", VT_UNKNOWN}}, u"メソッドCopyTo"),
    // The browser window's onunload and onbeforeunload DISPIDs: the window's events reach these.
    method<&S::OnUnload>(u"OnUnload", 1008, {}, u"OnUnloadイベントハンドラ"),
    method<&S::OnBeforeUnload>(u"OnBeforeUnload", 1017, {}, u"OnBeforeUnloadイベントハンドラ"),
    property<&S::get_TemplateFile, &S::put_TemplateFile>(u"TemplateFile", 18, u"テンプレートファイルパス"),
    property<&S::get_AlwaysAskTemplate, &S::put_AlwaysAskTemplate>(u"AlwaysAskTemplate", 19,
                                                                   u"常にテンプレートファイルを選択するか"),
    property<&S::get_UseTemplateFile, &S::put_UseTemplateFile>(u"UseTemplateFile", 20,
                                                               u"テンプレートファイルを使用するか"),
    method<&S::OpenFile>(u"OpenFile", 21, {{u"TextAreaElement"}}, u"ファイルを開いてTEXTAREAに挿入"),
    property<&S::get_CodePage, &S::put_CodePage>(u"CodePage", 22, u"コードページ"));

constexpr InterfaceInfo kIService{u"IService", IID_IService, u"IService インターフェイス", true, kServiceMembers};

constexpr InterfaceInfo kIServiceEvents{
    u"_IServiceEvents", DIID__IServiceEvents, u"_IServiceEvents インターフェイス", false, {}};

constexpr ClassInfo kCService{
    u"CService",        CLSID_CService, u"Service Class", u"Quillbrook.Service", u"Quillbrook.Service.1",
    u"CService Object", &kIService,     &kIServiceEvents};

} // namespace

const InterfaceInfo& IService::typeInfo() const
{
    return kIService;
}

const InterfaceInfo& IService::interfaceInfo()
{
    return kIService;
}

const ClassInfo& serviceClassInfo()
{
    return kCService;
}

std::shared_ptr<IService> asService(const std::shared_ptr<Dispatchable>& object)
{
    return std::dynamic_pointer_cast<IService>(object);
}

} // namespace quillbrook
