#include "resources/dialog_templates.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace quillbrook {
namespace {

struct SizeCase {
    unsigned id;
    std::u16string_view english;
    std::u16string_view japanese;
    int width, englishHeight, japaneseHeight;
    std::size_t controls;
};

TEST(DialogTemplates, CaptionsSizesAndControlCounts)
{
    const SizeCase cases[] = {
        {102, u"Quillbrook", u"Quillbrook", 295, 150, 156, 9},
        {103, u"Options", u"オプション", 183, 210, 213, 19},
        {104, u"Menu Item", u"メニュー項目", 199, 290, 299, 26},
        {202, u"About Quillbrook", u"バージョン情報", 163, 87, 90, 4},
        {203, u"", u"", 223, 23, 23, 2},
        {204, u"", u"", 295, 23, 23, 2},
    };
    ASSERT_EQ(dialogTemplates().size(), std::size(cases));
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.id);
        const DialogTemplate* t = dialogTemplate(c.id);
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(t->caption(ResourceLanguage::English) == c.english);
        EXPECT_TRUE(t->caption(ResourceLanguage::Japanese) == c.japanese);
        EXPECT_EQ(t->width, c.width);
        EXPECT_EQ(t->height(ResourceLanguage::English), c.englishHeight);
        EXPECT_EQ(t->height(ResourceLanguage::Japanese), c.japaneseHeight);
        EXPECT_EQ(t->controls.size(), c.controls);
    }
    EXPECT_EQ(dialogTemplate(105), nullptr);
}

TEST(DialogTemplates, EveryIdPresentOnce)
{
    const std::pair<unsigned, std::vector<int>> cases[] = {
        {102, {201, 202, 203, 204, 206, 205, 2}},
        {103, {209, 210, 211, 212, 213, 217, 214, 218, 216, 215, 224, 219, 220, 221, 1, 2}},
        {104, {203, 204, 205, 206, 225, 213, 218, 215, 216, 214, 207, 208, 209, 210, 211, 212, 1, 2}},
        {202, {1, 227}},
        {203, {225}},
        {204, {225}},
    };
    for (const auto& [dialog, ids] : cases) {
        SCOPED_TRACE(dialog);
        const DialogTemplate* t = dialogTemplate(dialog);
        ASSERT_NE(t, nullptr);
        std::vector<int> found;
        for (const ControlTemplate& control : t->controls)
            if (control.id != kNoControlId)
                found.push_back(control.id);
        EXPECT_EQ(found, ids); // also the tab order
        EXPECT_EQ(std::set<int>(found.begin(), found.end()).size(), found.size());
    }
}

struct ControlCase {
    unsigned dialog;
    int id;
    ControlKind kind;
    std::u16string_view english;
    std::u16string_view japanese;
    DialogRect rect;
};

TEST(DialogTemplates, ControlsCarryTheirKindTextsAndRectangles)
{
    const ControlCase cases[] = {
        {102, 201, ControlKind::ReportListView, u"", u"", {7, 30, 227, 113}},
        {102, 205, ControlKind::Button, u"&Options...", u"オプション(&O)...", {238, 110, 50, 14}},
        {102, 2, ControlKind::Button, u"Close", u"閉じる", {238, 127, 50, 16}},
        {103,
         214,
         ControlKind::AutoCheckBox,
         u"Enable \"&Open File...\" menu item.",
         u"「ファイルを開く(&O)」機能を使用する",
         {7, 91, 118, 10}},
        {103,
         216,
         ControlKind::Static,
         u"&Extensions for filter of the dialog(split with ';'):",
         u"ダイアログで表示する拡張子( ; 区切り):",
         {10, 113, 166, 8}},
        {103, 1, ControlKind::DefaultButton, u"OK", u"OK", {72, 187, 50, 16}},
        {104, 225, ControlKind::DropDownList, u"", u"", {14, 108, 121, 57}},
        {104,
         214,
         ControlKind::AutoCheckBox,
         u"&Always choose a temporary file.",
         u"常にテンプレートファイルを選択する(&A)",
         {20, 152, 141, 10}},
        {104, 2, ControlKind::Button, u"Cancel", u"キャンセル", {142, 267, 50, 16}},
        {202,
         227,
         ControlKind::HyperlinkStatic,
         u"https://www.example.com/",
         u"https://www.example.com/",
         {5, 51, 153, 8}},
        {204, 225, ControlKind::DropDownList, u"", u"", {130, 4, 159, 100}},
    };
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dialog << "/" << c.id);
        const ControlTemplate* control = dialogTemplate(c.dialog)->control(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->kind, c.kind);
        EXPECT_TRUE(control->text(ResourceLanguage::English) == c.english);
        EXPECT_TRUE(control->text(ResourceLanguage::Japanese) == c.japanese);
        EXPECT_EQ(control->rect, c.rect);
    }
}

TEST(DialogTemplates, StaticsWithoutIdKeepTheirTexts)
{
    const DialogTemplate& items = *dialogTemplate(102);
    EXPECT_TRUE(items.controls[0].japanese == u"TEXTAREAで右クリックしたときに追加される編集メニュー(&L):");
    const DialogTemplate& item = *dialogTemplate(104);
    EXPECT_TRUE(item.controls[0].english == u"Basic");
    EXPECT_EQ(item.controls[0].kind, ControlKind::GroupBox);
    EXPECT_TRUE(item.controls[8].japanese == u"作業ファイルの文字コード(&O):");
    EXPECT_TRUE(dialogTemplate(203)->controls[0].japanese == u"文字コード(&E):");
    EXPECT_EQ(items.control(kNoControlId), nullptr);
}

TEST(DialogTemplates, StylesThatMatter)
{
    const DialogTemplate& item = *dialogTemplate(104);
    for (const ControlTemplate& control : item.controls) {
        SCOPED_TRACE(control.id);
        const bool passive = control.kind == ControlKind::Static || control.kind == ControlKind::GroupBox;
        EXPECT_EQ(control.has(control_style::TabStop), !passive);
        EXPECT_EQ(control.has(control_style::HorizontalScroll), control.kind == ControlKind::Edit);
    }
    EXPECT_TRUE(dialogTemplate(102)->control(201)->has(control_style::Border));
}

TEST(DialogTemplates, JapaneseRectanglesStretchVertically)
{
    const DialogTemplate& item = *dialogTemplate(104);
    // 267 * 299 / 290 = 275.3, 283 * 299 / 290 = 291.8.
    EXPECT_EQ(item.rect(*item.control(1), ResourceLanguage::Japanese), (DialogRect{86, 275, 50, 17}));
    EXPECT_EQ(item.rect(*item.control(1), ResourceLanguage::English), (DialogRect{86, 267, 50, 16}));
    const DialogTemplate& items = *dialogTemplate(102);
    EXPECT_EQ(items.rect(*items.control(201), ResourceLanguage::Japanese), (DialogRect{7, 31, 227, 118}));
    const DialogTemplate& child = *dialogTemplate(203);
    EXPECT_EQ(child.rect(*child.control(225), ResourceLanguage::Japanese), child.control(225)->rect);
    // Every Japanese control stays inside its taller dialog.
    for (const DialogTemplate& t : dialogTemplates())
        for (const ControlTemplate& control : t.controls) {
            const DialogRect r = t.rect(control, ResourceLanguage::Japanese);
            if (control.kind != ControlKind::DropDownList) {
                EXPECT_LE(r.y + r.height, t.japaneseHeight) << t.id << "/" << control.id;
            }
            EXPECT_LE(r.x + r.width, t.width) << t.id << "/" << control.id;
        }
}

TEST(DialogTemplates, FontsPerLanguage)
{
    EXPECT_TRUE(dialogFont(ResourceLanguage::English).family == u"Tahoma");
    EXPECT_EQ(dialogFont(ResourceLanguage::English).pointSize, 8);
    EXPECT_TRUE(dialogFont(ResourceLanguage::Japanese).family == u"ＭＳ Ｐゴシック");
    EXPECT_EQ(dialogFont(ResourceLanguage::Japanese).pointSize, 9);
}

} // namespace
} // namespace quillbrook
