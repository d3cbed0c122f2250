// Editing sessions whose editor has real X windows: the page's unload closes them politely.
#include "session_fixture.h"

#include "support/x11/test_display.h"

#include <cstdio>
#include <fstream>

namespace quillbrook {
namespace {

using testing::TestPage;
namespace fs = std::filesystem;

class SessionX11Test : public testing::SessionTest {
protected:
    SessionX11Test() { home_.setEnvironment("DISPLAY", display_.name()); }

    // The test window program as the editor, closing with one last save to its file.
    std::shared_ptr<CService> windowEditor(const std::string& lastSave)
    {
        auto service = std::make_shared<CService>();
        EXPECT_EQ(service->put_EditorProgramFile(QStringLiteral(QUILLBROOK_TEST_WINDOW)), S_OK);
        EXPECT_EQ(service->put_CommandLine(QString::fromStdString("--no-stdin --ready-file \"" + ready_.string()
                                                                  + "\" --save-on-close \"%filepath%\" " + lastSave)),
                  S_OK);
        return service;
    }
    bool waitForWindow()
    {
        return testing::runEventLoopUntil([&] { return readFile(ready_).find("ready") != std::string::npos; });
    }

    testing::TestDisplay display_;
    fs::path ready_ = home_.root() / "window-ready";
};

TEST_F(SessionX11Test, UnloadClosesTheEditorWindowAndItsLastSaveReachesOnlyTheBackup)
{
    ASSERT_TRUE(display_.ok());
    auto page = TestPage::create(QStringLiteral("Report"), QStringLiteral("http://example.test/"));
    auto box = page->addTextArea(QStringLiteral("body"), nullptr, QStringLiteral("text"));
    auto service = windowEditor("bye");
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    ASSERT_TRUE(waitForWindow());

    page->close();
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(readFile(globalSettings().LastDeletedFileBackup), "textbye\n");
    EXPECT_TRUE(box->writes().empty());
}

TEST_F(SessionX11Test, CloseAtSavingClosesTheEditorAfterTheSaveIsWrittenBack)
{
    ASSERT_TRUE(display_.ok());
    auto page = TestPage::create(QStringLiteral("Report"), QStringLiteral("http://example.test/"));
    auto box = page->addTextArea(QStringLiteral("body"), nullptr, QStringLiteral("text"));
    auto service = windowEditor("closing");
    EXPECT_EQ(service->put_CloseAtSaving(1), S_OK);
    ASSERT_EQ(service->Register(box->element()), S_OK);
    ASSERT_TRUE(waitForWindow());

    const std::string path = service->temporaryFilePath();
    std::ofstream(path + ".new", std::ios::trunc) << "saved";
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
    ASSERT_TRUE(waitForWrites(*box, 1));
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_EQ(box->writes(), std::vector<QString>{QStringLiteral("saved")});
    page->close();
}

} // namespace
} // namespace quillbrook
