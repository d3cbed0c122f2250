#include "platform/modal_interactions.h"

#include <QObject>
#include <gtest/gtest.h>

#include "platform/file_dialog_request.h"
#include "support/scripted_interactions.h"
#include "support/temporary_home.h"

namespace quillbrook {
namespace {

using quillbrook::testing::ScopedLocale;
using quillbrook::testing::ScriptedInteractions;

TEST(ModalInteractions, WithNothingInstalledEverythingIsCancelled)
{
    ModalInteractions& fallback = modalInteractions();
    EXPECT_EQ(fallback.messageBox(0, QStringLiteral("text"), QStringLiteral("caption"), MB_OK), IDCANCEL);
    EXPECT_EQ(fallback.fileDialog(0, FileDialogOptions{}), std::nullopt);
    EXPECT_EQ(fallback.folderDialog(0, QStringLiteral("title"), "/tmp"), std::nullopt);
    EXPECT_EQ(fallback.popupMenu(0, {{1, QStringLiteral("item")}}, 0, 0), 0);
    EXPECT_EQ(fallback.foregroundWindow(), 0u);

    FileDialogRequest request;
    request.Path = "/start/file.txt";
    EXPECT_EQ(BrowseForFile(0, request), S_FALSE);
    EXPECT_EQ(request.Path, "/start/file.txt");
}

TEST(ModalInteractions, AnInstalledImplementationAnswersUntilItsScopeEnds)
{
    ModalInteractions* const fallback = &modalInteractions();
    {
        ScriptedInteractions outer;
        EXPECT_EQ(&modalInteractions(), &outer);
        {
            ScriptedInteractions inner;
            EXPECT_EQ(&modalInteractions(), &inner);
        }
        EXPECT_EQ(&modalInteractions(), &outer);
        outer.setForegroundWindow(0x2a00007);
        EXPECT_EQ(modalInteractions().foregroundWindow(), 0x2a00007u);
    }
    EXPECT_EQ(&modalInteractions(), fallback);
}

class BrowseForFileTest : public ::testing::Test {
protected:
    static FileDialogRequest templateRequest()
    {
        FileDialogRequest request;
        request.Title = "Select a template file";
        request.Filter = "Template Files (*.txt)|*.txt|All Files|*.*||";
        request.DefaultExtension = "txt";
        request.Path = "/home/user/template.txt";
        return request;
    }

    const FileDialogOptions& shownSpec() const { return script_.fileDialogs().at(0).options; }

    ScopedLocale locale_{"C.UTF-8"};
    ScriptedInteractions script_;
};

TEST_F(BrowseForFileTest, AChosenFileIsThePathAndTheResultIsOk)
{
    FileDialogRequest request = templateRequest();
    script_.expectFileDialog("/home/user/other.txt");

    EXPECT_EQ(BrowseForFile(0x400001, request), S_OK);
    EXPECT_EQ(request.Path, "/home/user/other.txt");

    ASSERT_EQ(script_.fileDialogs().size(), 1u);
    EXPECT_EQ(script_.fileDialogs()[0].owner, 0x400001u);
    EXPECT_EQ(shownSpec().title, QStringLiteral("Select a template file"));
    EXPECT_EQ(shownSpec().defaultExtension, "txt");
    EXPECT_FALSE(shownSpec().save);
    EXPECT_EQ(shownSpec().path, "/home/user/template.txt");
    EXPECT_FALSE(shownSpec().extraControls.has_value());
}

TEST_F(BrowseForFileTest, CancellingLeavesPathAndTargetControlAlone)
{
    FileDialogRequest request = templateRequest();
    request.Save = true;
    request.TargetControl = 220;
    int writes = 0;
    script_.expectFileDialog(std::nullopt);

    EXPECT_EQ(BrowseForFile(0, request, [&](int, const std::string&) { ++writes; }), S_FALSE);
    EXPECT_EQ(request.Path, "/home/user/template.txt");
    EXPECT_EQ(writes, 0);
    EXPECT_TRUE(shownSpec().save);
}

TEST_F(BrowseForFileTest, TheTargetControlReceivesTheChoiceOnlyWhenSet)
{
    std::vector<std::pair<int, std::string>> writes;
    const TargetControlWriter writer = [&](int id, const std::string& path) { writes.emplace_back(id, path); };

    FileDialogRequest withTarget = templateRequest();
    withTarget.TargetControl = 220;
    script_.expectFileDialog("/backup/latest.txt");
    EXPECT_EQ(BrowseForFile(0, withTarget, writer), S_OK);

    FileDialogRequest withoutTarget = templateRequest();
    script_.expectFileDialog("/backup/other.txt");
    EXPECT_EQ(BrowseForFile(0, withoutTarget, writer), S_OK);

    const std::vector<std::pair<int, std::string>> expected = {{220, "/backup/latest.txt"}};
    EXPECT_EQ(writes, expected);
}

TEST_F(BrowseForFileTest, TheFilterBecomesDescriptionAndPatternPairs)
{
    struct Case {
        const char* name;
        std::string filter;
        std::vector<std::pair<QString, std::string>> pairs;
    };
    const std::string longPattern(250, 'x');
    const Case cases[] = {
        {"template dialog",
         "Template Files (*.txt)|*.txt|All Files|*.*||",
         {{"Template Files (*.txt)", "*.txt"}, {"All Files", "*.*"}}},
        {"several patterns",
         "Text Files (*.txt; *.html)|*.txt; *.html||",
         {{"Text Files (*.txt; *.html)", "*.txt; *.html"}}},
        {"empty filter", "", {}},
        {"the first empty part ends the list", "A|*.a||B|*.b||", {{"A", "*.a"}}},
        {"without the closing bars", "A|*.a", {{"A", "*.a"}}},
        {"a description without pattern", "A|*.a|B||", {{"A", "*.a"}}},
        {"a pattern cut by the length limit", "A|*.a|B|*." + longPattern + "||", {{"A", "*.a"}}},
        {"descriptions in the process charset", "テキスト|*.txt||", {{QStringLiteral("テキスト"), "*.txt"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileDialogRequest request;
        request.Filter = c.filter;
        script_.expectFileDialog(std::nullopt);
        EXPECT_EQ(BrowseForFile(0, request), S_FALSE);

        const std::vector<FileDialogFilter>& shown = script_.fileDialogs().back().options.filters;
        ASSERT_EQ(shown.size(), c.pairs.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].description, c.pairs[i].first);
            EXPECT_EQ(shown[i].pattern, c.pairs[i].second);
        }
    }
}

TEST_F(BrowseForFileTest, LongTextsAreCutAtWholeCharacters)
{
    std::string japaneseTitle = "x";
    for (int i = 0; i < 100; ++i)
        japaneseTitle += "あ"; // three bytes each
    FileDialogRequest request;
    request.Title = japaneseTitle;
    request.Path = "/" + std::string(300, 'p');
    request.DefaultExtension = std::string(300, 'e');
    script_.expectFileDialog(std::nullopt);
    EXPECT_EQ(BrowseForFile(0, request), S_FALSE);

    EXPECT_EQ(shownSpec().title, QString::fromStdString(japaneseTitle.substr(0, 1 + 84 * 3)));
    EXPECT_EQ(shownSpec().path, request.Path.substr(0, 259));
    EXPECT_EQ(shownSpec().defaultExtension, std::string(260, 'e'));
    EXPECT_EQ(request.Path.size(), 301u);
}

TEST_F(BrowseForFileTest, ExtraControlsNeedBothATemplateAndAHook)
{
    std::vector<std::intptr_t> hookCalls;
    const FileDialogHook hook = [&](FileDialogEvent, QObject&, std::intptr_t customData) {
        hookCalls.push_back(customData);
    };
    struct Case {
        const char* name;
        int templateId;
        int oldTemplateId;
        bool withHook;
        bool used;
    };
    const Case cases[] = {
        {"template without hook", 204, 203, false, false},
        {"hook without template", 0, 0, true, false},
        {"only the older systems' template", 0, 203, true, false},
        {"template and hook", 204, 203, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileDialogRequest request;
        request.TemplateId = c.templateId;
        request.OldTemplateId = c.oldTemplateId;
        request.CustomData = 1201;
        if (c.withHook)
            request.Hook = hook;
        script_.expectFileDialog(std::nullopt);
        EXPECT_EQ(BrowseForFile(0, request), S_FALSE);

        const std::optional<FileDialogExtraControls>& extra = script_.fileDialogs().back().options.extraControls;
        ASSERT_EQ(extra.has_value(), c.used);
        if (!extra)
            continue;
        EXPECT_EQ(extra->templateId, 204);
        EXPECT_EQ(extra->customData, 1201);
        QObject controls;
        extra->hook(FileDialogEvent::Initialized, controls, extra->customData);
        EXPECT_EQ(hookCalls, std::vector<std::intptr_t>{1201});
    }
}

} // namespace
} // namespace quillbrook
