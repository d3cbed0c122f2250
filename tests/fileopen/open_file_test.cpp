#include "file_open_fixture.h"

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace quillbrook::testing {
namespace {

QString codeUnits(std::initializer_list<char16_t> units)
{
    return QString(reinterpret_cast<const QChar*>(units.begin()), static_cast<qsizetype>(units.size()));
}

class OpenFileTest : public FileOpenTest {
protected:
    static std::string lastOpenedFile() { return hiveValue(kSettingsKey, "LastOpenedFile").data; }
    static std::int32_t savedCodePage()
    {
        std::uint32_t value = 0;
        const std::string data = hiveValue(kSettingsKey, "FileOpenCodePage").data;
        std::memcpy(&value, data.data(), std::min(data.size(), sizeof value));
        return static_cast<std::int32_t>(value);
    }
};

TEST_F(OpenFileTest, DecodesTheFileInTheChosenEncoding)
{
    const std::string utf8 = "h\xC3\xA9\xF0\x9F\x98\x80";
    struct Case {
        const char* name;
        std::int32_t specify, start;
        std::optional<std::int32_t> pick;
        std::string bytes;
        QString text;
        std::int32_t saved;
        int selection;
    };
    const Case cases[] = {
        {"UTF-8 picked", 1, 1, 65001, "h\xC3\xA9\xED\xA0\xBD\xED\xB8\x80", codeUnits({'h', 0xE9, 0xD83D, 0xDE00}),
         65001, 0},
        {"UTF-8 with a byte-order mark", 1, 65001, {}, "\xEF\xBB\xBFhi", codeUnits({0xFEFF, 'h', 'i'}), 65001, 2},
        {"Unicode, odd length", 1, 65001, 1201, std::string("\xFF\xFEh\0\xE9\0!", 7),
         codeUnits({0xFEFF, 'h', 0xE9, '!'}), 1201, 2},
        {"default picked", 1, 1201, 1, utf8, codeUnits({'h', 0xE9, 0xD83D, 0xDE00}), 1, 1},
        {"no list: the locale's charset", 0, 65001, {}, utf8, codeUnits({'h', 0xE9, 0xD83D, 0xDE00}), 65001, -1},
        {"an empty file", 1, 1, {}, "", QStringLiteral(""), 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        globalSettings().FileOpenSpecifyCodePage = c.specify;
        globalSettings().FileOpenCodePage = c.start;
        if (c.pick)
            user_.pick(*c.pick);
        user_.shownSelection = -1;
        script_.expectFileDialog(writeFile("file.txt", c.bytes));
        EXPECT_EQ(std::make_shared<CFileOpenService>()->OpenFile(box_->element()), S_OK);
        ASSERT_FALSE(box_->writes().empty());
        EXPECT_EQ(box_->writes().back(), c.text);
        EXPECT_FALSE(box_->writes().back().isNull());
        EXPECT_EQ(script_.fileDialogs().back().options.extraControls.has_value(), c.specify != 0);
        EXPECT_EQ(user_.shownSelection, c.selection);
        EXPECT_EQ(globalSettings().FileOpenCodePage, c.saved);
        EXPECT_EQ(savedCodePage(), c.saved);
    }
    EXPECT_EQ(user_.shownCodePages, (std::vector<std::int32_t>{1, 1201, 65001}));
}

TEST_F(OpenFileTest, DialogOffersTheExtensionsAsFileTypes)
{
    std::string manyExtensions, nineOfThem;
    for (int i = 0; i < 40; ++i)
        manyExtensions += "abcdefgh;";
    for (int i = 0; i < 9; ++i)
        nineOfThem += i ? "; *.abcdefgh" : "*.abcdefgh";
    struct Case {
        QString extensions;
        std::string patterns, defaultExtension;
    };
    const Case cases[] = {
        {QStringLiteral("txt; html; css; sql; xml;"), "*.txt; *.html; *.css; *.sql; *.xml", "txt"},
        {QString(), "*.txt", "txt"},
        {QStringLiteral(""), "*.txt", "txt"},
        {QStringLiteral("; ;"), "*.txt", "txt"},
        {QStringLiteral(" ; \t;"), "*.txt", "txt"},
        {QStringLiteral("txt;;html"), "*.txt", "txt"},
        {QStringLiteral(";md"), "*.txt", "txt"},
        {QStringLiteral(" \tmd\r\n; ;log"), "*.md; *.log", "md"},
        {QString::fromStdString(manyExtensions), nineOfThem, "abcdefgh"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extensions.toStdString());
        EXPECT_EQ(service_->put_Extensions(c.extensions), S_OK);
        user_.pick(65001);
        script_.expectFileDialog(std::nullopt);
        EXPECT_EQ(service_->OpenFile(box_->element()), S_FALSE);
        const auto& [owner, options] = script_.fileDialogs().back();
        EXPECT_EQ(owner, 0x2Au);
        EXPECT_EQ(options.title, QStringLiteral("Open File"));
        ASSERT_EQ(options.filters.size(), 2u);
        EXPECT_EQ(options.filters[0].description, QString::fromStdString("Text Files (" + c.patterns + ")"));
        EXPECT_EQ(options.filters[0].pattern, c.patterns);
        EXPECT_EQ(options.filters[1].description, QStringLiteral("All Files"));
        EXPECT_EQ(options.filters[1].pattern, "*.*");
        EXPECT_EQ(options.defaultExtension, c.defaultExtension);
        EXPECT_FALSE(options.save);
        EXPECT_EQ(options.path, globalSettings().LastOpenedFile);
        ASSERT_TRUE(options.extraControls.has_value());
        EXPECT_EQ(options.extraControls->templateId, 204);
    }
    // Cancelling changes nothing, the picked encoding included.
    EXPECT_TRUE(box_->writes().empty());
    EXPECT_EQ(savedCodePage(), 1);
    EXPECT_EQ(lastOpenedFile(), globalSettings().LastOpenedFile);
}

TEST_F(OpenFileTest, AMissingFileIsReportedAndNothingIsSet)
{
    const std::string missing = (home_.root() / "missing.txt").string();
    user_.pick(65001);
    script_.expectFileDialog(missing);
    script_.expectMessageBox(IDOK);
    EXPECT_EQ(service_->OpenFile(box_->element()), S_OK);
    const auto& shown = script_.messageBoxes().at(0);
    EXPECT_EQ(shown.text, QString::fromStdString(missing + " does not exist. Select the other file."));
    EXPECT_EQ(shown.caption, QStringLiteral("Open File"));
    EXPECT_EQ(std::tie(shown.owner, shown.style), std::tuple(0x2Au, MB_OK));
    EXPECT_TRUE(box_->writes().empty());
    EXPECT_NE(lastOpenedFile(), missing);
    EXPECT_EQ(savedCodePage(), 65001) << "the encoding is saved before the file is looked for";
}

TEST_F(OpenFileTest, OnlyATextBoxTakesTheFile)
{
    const std::string file = writeFile("a.txt", "text");
    const std::string before = lastOpenedFile();
    for (const auto& element : {page_->addElement()->element(), std::shared_ptr<Dispatchable>()}) {
        script_.expectFileDialog(file);
        script_.expectMessageBox(IDOK);
        EXPECT_EQ(service_->OpenFile(element), S_OK);
        const auto& shown = script_.messageBoxes().back();
        EXPECT_EQ(shown.text, QStringLiteral("This function is avalable on a text editing box."));
        EXPECT_EQ(std::tie(shown.caption, shown.owner, shown.style),
                  std::tuple(QStringLiteral("Quillbrook"), 0x2Au, MB_OK));
    }
    EXPECT_EQ(lastOpenedFile(), before);
    const auto input = page_->addTextInput(QStringLiteral("subject"));
    script_.expectFileDialog(file);
    EXPECT_EQ(service_->OpenFile(input->element()), S_OK);
    EXPECT_EQ(input->writes(), std::vector<QString>{QStringLiteral("text")});
}

TEST_F(OpenFileTest, TheOpenedFileIsRememberedOnlyOnceItIsSet)
{
    const std::string file = writeFile("b.txt", "new");
    box_->failures.valueWrite = static_cast<HRESULT>(0x80020009u);
    script_.expectFileDialog(file);
    EXPECT_EQ(service_->OpenFile(box_->element()), static_cast<HRESULT>(0x80020009u));
    EXPECT_NE(lastOpenedFile(), file);
    box_->failures.valueWrite = S_OK;
    script_.expectFileDialog(file);
    EXPECT_EQ(service_->OpenFile(box_->element()), S_OK);
    EXPECT_EQ(box_->value(), QStringLiteral("new"));
    EXPECT_EQ(lastOpenedFile(), file);
    QString proposed;
    EXPECT_EQ(std::make_shared<CFileOpenService>()->get_OpeningFile(&proposed), S_OK);
    EXPECT_EQ(proposed, QString::fromStdString(file));
}

TEST_F(OpenFileTest, FilesThatCannotBeReadFail)
{
    const std::string folder = home_.root() / "folder", fifo = home_.root() / "fifo", huge = writeFile("huge.txt", "");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(truncate(huge.c_str(), off_t{1} << 32), 0);
    const std::pair<std::string, std::uint32_t> cases[] = {
        {folder, 0x80070005u}, {fifo, 0x80070005u}, {huge, 0x80070065u}};
    for (const auto& [path, failure] : cases) {
        SCOPED_TRACE(path);
        script_.expectFileDialog(path);
        EXPECT_EQ(service_->OpenFile(box_->element()), static_cast<HRESULT>(failure));
    }
    EXPECT_TRUE(box_->writes().empty());
}

TEST(CodePageHookTest, StoresTheSelectedItemsCodePage)
{
    struct Case {
        const char* name;
        int selected;
        bool zeroData, hasList;
        std::int32_t stored;
    };
    const Case cases[] = {{"UTF-8", 2, false, true, 65001},
                          {"nothing selected", -1, false, true, 1201},
                          {"data 0 reads as 1", 2, true, true, 1},
                          {"no list", 0, false, false, 1201}};
    widgetsApplication();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget controls;
        QComboBox list(c.hasList ? &controls : nullptr);
        list.setObjectName(controlName(kEncodingListControl));
        std::int32_t chosen = 1201;
        const auto address = reinterpret_cast<std::intptr_t>(&chosen);
        CodePageHook(FileDialogEvent::Initialized, controls, address);
        if (c.hasList) {
            EXPECT_EQ(list.currentIndex(), 1);
        }
        if (c.zeroData)
            list.setItemData(c.selected, 0);
        list.setCurrentIndex(c.selected);
        CodePageHook(FileDialogEvent::FileOk, controls, address);
        EXPECT_EQ(chosen, c.stored);
    }
}

} // namespace
} // namespace quillbrook::testing
