// The controls of every dialog template, in tab order, with their English and Japanese texts and
// English rectangles in dialog units.
#include "resources/dialog_templates_data.h"

namespace quillbrook::resources {
namespace {

using K = ControlKind;
namespace s = control_style;

constexpr unsigned kEdit = s::TabStop | s::HorizontalScroll;
constexpr unsigned kTab = s::TabStop;
constexpr unsigned kCombo = s::TabStop | s::VerticalScroll;
constexpr int kNone = kNoControlId;

// One control to a row, wrapped by hand: the formatter would give each field of a long row a line.
// clang-format off
constexpr ControlTemplate kMenuItems[] = {
    {kNone, K::Static, s::None, u"&Items of context menu on a text editing box:",
     u"TEXTAREAで右クリックしたときに追加される編集メニュー(&L):", {7, 7, 176, 8}},
    {kNone, K::Static, s::None, u"* They will be enabled from a new Iternet Explorer window.",
     u"※ 新しく開いたInternet Explorerのウィンドウから有効になります。", {7, 18, 207, 8}},
    {201, K::ReportListView, s::TabStop | s::Border, {}, {}, {7, 30, 227, 113}},
    {202, K::Button, kTab, u"&Add...", u"追加(&A)", {238, 30, 50, 14}},
    {203, K::Button, kTab, u"&Delete...", u"削除(&D)", {238, 47, 50, 14}},
    {204, K::Button, kTab, u"&Property...", u"プロパティ(&P)", {238, 64, 50, 14}},
    {206, K::Button, kTab, u"&Copy...", u"複製を追加(&C)", {238, 82, 50, 14}},
    {205, K::Button, kTab, u"&Options...", u"オプション(&O)...", {238, 110, 50, 14}},
    {2, K::Button, kTab, u"Close", u"閉じる", {238, 127, 50, 16}},
};

constexpr ControlTemplate kOptions[] = {
    {kNone, K::Static, s::None, u"&Scripts folder:", u"スクリプトフォルダ(&S):", {7, 7, 63, 8}},
    {209, K::Edit, kEdit, {}, {}, {7, 18, 146, 14}},
    {210, K::Button, kTab, u"...", u"...", {157, 18, 19, 14}},
    {kNone, K::Static, s::None, u"Temporary &files folder:", u"一時ファイルフォルダ(&F):",
     {7, 35, 82, 8}},
    {211, K::Edit, kEdit, {}, {}, {7, 46, 146, 14}},
    {212, K::Button, kTab, u"...", u"...", {157, 46, 19, 14}},
    {kNone, K::Static, s::None, u"&Temporary file name template:",
     u"一時ファイルテンプレート(&T):", {7, 63, 136, 8}},
    {213, K::Edit, kEdit, {}, {}, {7, 74, 138, 14}},
    {217, K::Button, kTab, u"Tag..", u"タグ...", {149, 74, 27, 14}},
    {214, K::AutoCheckBox, kTab, u"Enable \"&Open File...\" menu item.",
     u"「ファイルを開く(&O)」機能を使用する", {7, 91, 118, 10}},
    {218, K::Static, s::None, u"* It will be enabled from a new IE window.",
     u"※ 新しく開いたウィンドウから有効になります", {7, 103, 169, 8}},
    {216, K::Static, s::None, u"&Extensions for filter of the dialog(split with ';'):",
     u"ダイアログで表示する拡張子( ; 区切り):", {10, 113, 166, 8}},
    {215, K::Edit, kEdit, {}, {}, {10, 124, 166, 14}},
    {224, K::AutoCheckBox, kTab, u"Specify en&coding of the file.", u"文字コードを選択する(&C)",
     {10, 142, 118, 10}},
    {219, K::AutoCheckBox, kTab, u"&Backup the latest temporary file:",
     u"最後に削除された一時ファイルをバックアップする(&B):", {7, 155, 169, 10}},
    {220, K::Edit, kEdit, {}, {}, {10, 168, 143, 14}},
    {221, K::Button, kTab, u"...", u"...", {158, 168, 18, 14}},
    {1, K::DefaultButton, kTab, u"OK", u"OK", {72, 187, 50, 16}},
    {2, K::Button, kTab, u"Cancel", u"キャンセル", {126, 187, 50, 16}},
};

constexpr ControlTemplate kMenuItem[] = {
    {kNone, K::GroupBox, s::None, u"Basic", u"基本的な設定", {7, 7, 185, 159}},
    {kNone, K::Static, s::None, u"&Menu item name:", u"コンテキストメニューの項目名(&N):",
     {14, 16, 98, 8}},
    {203, K::Edit, kEdit, {}, {}, {14, 26, 169, 14}},
    {kNone, K::Static, s::None, u"&Editor name:", u"エディタ名(&E):", {14, 43, 52, 8}},
    {204, K::Edit, kEdit, {}, {}, {14, 53, 169, 14}},
    {kNone, K::Static, s::None, u"Editor &program file:", u"エディタのプログラムファイル(&P):",
     {14, 70, 95, 8}},
    {205, K::Edit, kEdit, {}, {}, {14, 80, 147, 14}},
    {206, K::Button, kTab, u"...", u"...", {165, 82, 18, 14}},
    {kNone, K::Static, s::None, u"E&ncoding of temporary file:", u"作業ファイルの文字コード(&O):",
     {14, 99, 100, 8}},
    {225, K::DropDownList, kCombo, {}, {}, {14, 108, 121, 57}},
    {kNone, K::Static, s::None, u"&Extension:", u"拡張子(&X):", {142, 98, 38, 8}},
    {213, K::Edit, kEdit, {}, {}, {142, 107, 39, 14}},
    {218, K::AutoCheckBox, kTab, u"&Use template file:", u"テンプレートファイルを利用する(&T):",
     {14, 124, 117, 10}},
    {215, K::Edit, kEdit, {}, {}, {20, 136, 141, 14}},
    {216, K::Button, kTab, u"...", u"...", {165, 138, 18, 14}},
    {214, K::AutoCheckBox, kTab, u"&Always choose a temporary file.",
     u"常にテンプレートファイルを選択する(&A)", {20, 152, 141, 10}},
    {kNone, K::GroupBox, s::None, u"Enhanced", u"高度な設定", {7, 172, 185, 92}},
    {kNone, K::Static, s::None, u"&Commandline:", u"コマンドライン(&C):", {14, 182, 51, 8}},
    {207, K::Edit, kEdit, {}, {}, {14, 192, 169, 14}},
    {208, K::AutoCheckBox, kTab, u"&Delete a temporary file.", u"作業ファイルの削除(&D)",
     {14, 209, 90, 10}},
    {209, K::AutoCheckBox, kTab, u"&Quit the editor after saving.",
     u"保存後、エディタを終了する(&Q)", {14, 221, 105, 10}},
    {210, K::AutoCheckBox, kTab, u"&Make a carbon copy file:", u"カーボンコピーを作成する(&M):",
     {14, 234, 101, 10}},
    {211, K::Edit, kEdit, {}, {}, {20, 246, 141, 14}},
    {212, K::Button, kTab, u"...", u"...", {165, 246, 18, 14}},
    {1, K::DefaultButton, kTab, u"OK", u"OK", {86, 267, 50, 16}},
    {2, K::Button, kTab, u"Cancel", u"キャンセル", {142, 267, 50, 16}},
};

// The address is the implementer's choice; a reserved example domain until there is a real one.
constexpr ControlTemplate kAbout[] = {
    {1, K::DefaultButton, kTab, u"OK", u"OK", {56, 68, 50, 14}},
    {kNone, K::IconStatic, s::None, {}, {}, {71, 5, 20, 20}},
    {kNone, K::Static, s::Centered, u"Quillbrook Version 1.11", u"Quillbrook Version 1.11",
     {5, 34, 153, 8}},
    {227, K::HyperlinkStatic, s::Centered | s::VerticallyCentered, u"https://www.example.com/",
     u"https://www.example.com/", {5, 51, 153, 8}},
};

// Only the sizes and the x positions of the child templates are fixed; the label sits level with
// the closed combo box, which ends six units before the right edge and drops down 100 units.
constexpr ControlTemplate kCharsetNarrow[] = {
    {kNone, K::Static, s::None, u"&Charset:", u"文字コード(&E):", {7, 6, 55, 8}},
    {225, K::DropDownList, kCombo, {}, {}, {66, 4, 151, 100}},
};

constexpr ControlTemplate kCharsetWide[] = {
    {kNone, K::Static, s::None, u"&Charset:", u"文字コード(&E):", {66, 6, 60, 8}},
    {225, K::DropDownList, kCombo, {}, {}, {130, 4, 159, 100}},
};
// clang-format on

} // namespace

// The About box's Japanese height is not fixed; it grows by three units like dialog 103.
const std::array<DialogTemplate, 6> kDialogTemplates = {{
    {dialog_id::MenuItems, DialogFrame::Popup, u"Quillbrook", u"Quillbrook", 295, 150, 156, kMenuItems},
    {dialog_id::Options, DialogFrame::Popup, u"Options", u"オプション", 183, 210, 213, kOptions},
    {dialog_id::MenuItem, DialogFrame::Popup, u"Menu Item", u"メニュー項目", 199, 290, 299, kMenuItem},
    {dialog_id::About, DialogFrame::Popup, u"About Quillbrook", u"バージョン情報", 163, 87, 90, kAbout},
    {dialog_id::CharsetNarrow, DialogFrame::Child, {}, {}, 223, 23, 23, kCharsetNarrow},
    {dialog_id::CharsetWide, DialogFrame::Child, {}, {}, 295, 23, 23, kCharsetWide},
}};

} // namespace quillbrook::resources
