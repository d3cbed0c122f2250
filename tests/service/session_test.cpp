// Whole editing sessions with real editor processes and real files.
#include "session_fixture.h"

#include "recovery/recovery_store.h"
#include "service/change_notifier.h"

#include <cerrno>
#include <chrono>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace quillbrook {
namespace {

using testing::SessionTest;
using testing::TestPage;
namespace fs = std::filesystem;

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

VARIANT_BOOL activeOf(CService& service)
{
    VARIANT_BOOL active = -2;
    EXPECT_EQ(service.get_Active(&active), S_OK);
    return active;
}

TEST_F(SessionTest, WholeSessionFromRegisterToDeletion)
{
    auto page = TestPage::create(utf8("Report: Q1/Q2"), utf8("http://example.test/report.html"));
    auto box = page->addTextArea(utf8("body"), page->addForm(utf8("reply")), utf8("first\r\nline é"));
    auto service = newService();
    EXPECT_EQ(service->put_CodePage(65001), S_OK);

    ASSERT_EQ(service->Register(box->element()), S_OK);
    EXPECT_EQ(activeOf(*service), 1);
    const fs::path file = service->temporaryFilePath();
    EXPECT_EQ(file, tempFolder() / "Report_ Q1_Q2,1.txt");
    EXPECT_EQ(readFile(file), "first\r\nline \xC3\xA9");
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(page->advisedSinkCount(), 1u);
    EXPECT_TRUE(box->writes().empty()); // Register's own write is not read back

    control().write("hello \xC3\xBC");
    ASSERT_TRUE(waitForValue(*box, utf8("hello ü")));
    control().renameOver("world\n");
    ASSERT_TRUE(waitForValue(*box, utf8("world\n")));
    const std::size_t writesBeforeUnload = box->writes().size();
    EXPECT_EQ(control().loggedLines().front(), file.string());

    page->close();
    EXPECT_EQ(activeOf(*service), 0);
    EXPECT_EQ(page->advisedSinkCount(), 0u);
    control().write("saved while closing");
    control().exit();
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(readFile(globalSettings().LastDeletedFileBackup), "saved while closing");
    EXPECT_EQ(box->writes().size(), writesBeforeUnload);
}

// Whether thread `thread` of this process is inside a sleep system call.
bool sleeping(pid_t thread)
{
    std::ifstream status("/proc/self/task/" + std::to_string(thread) + "/syscall");
    long number = -1;
    status >> number;
    return number == SYS_nanosleep || number == SYS_clock_nanosleep;
}

// Editors that save in place truncate the file and then write it; inotify reports the truncation
// at once. The rest of the save lands during the sync delay and must be read with it, once.
TEST_F(SessionTest, ASaveInPlaceFinishedDuringTheSyncDelayIsReadWholeOnce)
{
    globalSettings().ChangeNotificationSyncDelay = 1000;
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("before"));
    auto service = newService();
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();

    // The rest of the save is written while the main thread sleeps out the delay.
    const pid_t mainThread = gettid();
    std::thread editor([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!sleeping(mainThread) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        std::ofstream(file, std::ios::binary | std::ios::app) << "whole text";
    });
    std::ofstream(file, std::ios::binary | std::ios::trunc).close();
    const bool read = waitForValue(*box, utf8("whole text"));
    editor.join();
    ASSERT_TRUE(read);

    // Notifications are handled in order: once a later save is in, the rest of the first is too.
    globalSettings().ChangeNotificationSyncDelay = 0;
    control().renameOver("later");
    ASSERT_TRUE(waitForValue(*box, utf8("later")));
    EXPECT_EQ(box->writes(), (std::vector<QString>{utf8("whole text"), utf8("later")}));
    page->close();
    control().exit();
    EXPECT_TRUE(waitForSessionEnd(*service));
}

TEST_F(SessionTest, OnlyTheSessionWhoseFileChangedReads)
{
    testing::EditorControl second(home_.root() / "home");
    auto page = TestPage::create(utf8("Page"), utf8("http://example.test/"));
    auto firstBox = page->addTextArea(utf8("a"));
    auto secondBox = page->addTextArea(utf8("b"));
    auto first = newService();
    auto other = newService();
    EXPECT_EQ(other->put_CommandLine(QString::fromStdString(second.arguments())), S_OK);
    ASSERT_EQ(first->Register(firstBox->element()), S_OK);
    ASSERT_EQ(other->Register(secondBox->element()), S_OK);

    control().renameOver("one");
    ASSERT_TRUE(waitForWrites(*firstBox, 1));
    second.renameOver("two");
    ASSERT_TRUE(waitForWrites(*secondBox, 1));
    EXPECT_EQ(firstBox->writes(), std::vector<QString>{utf8("one")});
    EXPECT_EQ(secondBox->writes(), std::vector<QString>{utf8("two")});
    page->close();
    control().exit();
    second.exit();
    EXPECT_TRUE(waitForSessionEnd(*first));
    EXPECT_TRUE(waitForSessionEnd(*other));
}

TEST_F(SessionTest, ContentsReadBackByCodePage)
{
    auto page = TestPage::create(utf8("Codes"), utf8("http://example.test/"));
    auto box = page->addTextInput(utf8("q"));
    auto service = newService();
    EXPECT_EQ(service->put_CodePage(1201), S_OK);
    const fs::path copy = home_.root() / "copy.bin";
    EXPECT_EQ(service->put_CarbonCopy(1), S_OK);
    EXPECT_EQ(service->put_CarbonCopyFile(QString::fromStdString(copy.string())), S_OK);
    ASSERT_EQ(service->Register(box->element()), S_OK);

    const std::string utf16 = std::string("h\0i\0", 4);
    control().renameOver(utf16);
    ASSERT_TRUE(waitForWrites(*box, 1));
    EXPECT_EQ(box->value(), utf8("hi"));
    EXPECT_EQ(readFile(copy), utf16);
    control().renameOver("");
    ASSERT_TRUE(waitForWrites(*box, 2));
    EXPECT_EQ(box->value(), QString(QLatin1String("")));
    control().renameOver(std::string("a\0\0\0b\0", 6)); // the text ends at the zero unit
    ASSERT_TRUE(waitForWrites(*box, 3));
    EXPECT_EQ(box->value(), utf8("a"));
    page->close();
    control().exit();
    EXPECT_TRUE(waitForSessionEnd(*service));
}

TEST_F(SessionTest, ALinkAtTheCarbonCopyPathIsNeverWrittenThrough)
{
    const fs::path usersFile = home_.root() / "notes.txt";
    std::ofstream(usersFile) << "the user's own text";
    const fs::path copy = home_.root() / "copy.txt";
    fs::create_symlink(usersFile, copy);
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = newService();
    EXPECT_EQ(service->put_CarbonCopy(1), S_OK);
    EXPECT_EQ(service->put_CarbonCopyFile(QString::fromStdString(copy.string())), S_OK);
    ASSERT_EQ(service->Register(box->element()), S_OK);

    // Handled here, before the watcher's notice of the save reaches the main thread's loop.
    std::ofstream(service->temporaryFilePath(), std::ios::binary | std::ios::app) << " saved";
    EXPECT_EQ(service->OnChangeNotification(), hresultFromErrno(ELOOP));
    EXPECT_EQ(readFile(usersFile), "the user's own text");
    EXPECT_EQ(fs::read_symlink(copy), usersFile);
    EXPECT_TRUE(box->writes().empty());
    page->close();
    control().exit();
    EXPECT_TRUE(waitForSessionEnd(*service));
}

TEST_F(SessionTest, CloseAtSavingEndsWritingBackAfterTheFirstSave)
{
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"));
    auto service = newService();
    EXPECT_EQ(service->put_CloseAtSaving(1), S_OK);
    ASSERT_EQ(service->Register(box->element()), S_OK);
    control().renameOver("saved");
    ASSERT_TRUE(waitForWrites(*box, 1));
    EXPECT_EQ(activeOf(*service), 0);
    control().write("not written back");
    control().exit();
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_EQ(box->writes(), std::vector<QString>{utf8("saved")});
    page->close();
}

TEST_F(SessionTest, EditorClosedByTheUserWhileThePageStays)
{
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = newService();
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    control().write("kept");
    ASSERT_TRUE(waitForValue(*box, utf8("kept")));
    control().exit();
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(activeOf(*service), 0);
    EXPECT_EQ(box->value(), utf8("kept"));
    page->close(); // finds no editor to close
    EXPECT_EQ(activeOf(*service), 0);
}

// An editor that fails at once: its session may end while Register is still connecting to the
// page's window (slow over the bus, made slow here), and that end must stand.
TEST_F(SessionTest, AnEditorThatSavesAndEndsAtOnceEndsItsSession)
{
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = std::make_shared<CService>();
    EXPECT_EQ(service->put_EditorProgramFile(utf8("/bin/sh")), S_OK);
    EXPECT_EQ(service->put_CommandLine(utf8("-c \"echo saved > \\\"$0\\\"\" \"%filepath%\"")), S_OK);
    page->beforeAdvise = [&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!service->temporaryFilePath().empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    ASSERT_EQ(service->Register(box->element()), S_OK);
    EXPECT_TRUE(service->temporaryFilePath().empty()) << "the deleter did not end the session during Register";
    EXPECT_EQ(activeOf(*service), 0);
    page->close(); // drops the service's sink, which holds the page
}

TEST_F(SessionTest, AnEditorThatFailsAtOnceIsReportedWithWhatItSaidAndItsFileWaitsForThePage)
{
    auto page = TestPage::create(utf8("Notes"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = std::make_shared<CService>();
    EXPECT_EQ(service->put_EditorProgramFile(utf8("/bin/sh")), S_OK);
    EXPECT_EQ(service->put_CommandLine(
                  utf8("-c \"echo starting >&2; echo 'cannot open display: :99' >&2; exit 3\" \"%filepath%\"")),
              S_OK);
    interactions_.expectMessageBox(IDOK);
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    ASSERT_TRUE(testing::runEventLoopUntil([&] { return !interactions_.messageBoxes().empty(); }));
    EXPECT_EQ(interactions_.messageBoxes()[0].caption, utf8("The editor did not start"));
    const QString told = interactions_.messageBoxes()[0].text;
    EXPECT_TRUE(
        told.startsWith(utf8("sh ended at once with status 3. It said: cannot open display: :99 The file stays")))
        << told.toStdString();
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(activeOf(*service), 1);

    page->close();
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(SessionTest, EditorsSideFilesGoIntoTheRecoveryStoreWithTheFile)
{
    auto page = TestPage::create(utf8("Notes"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = newService();
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    const std::string name = file.filename().string();
    // What nano, vim and Emacs leave, and a file of another session that must stay.
    const std::vector<std::pair<std::string, std::string>> sides{{name + ".save", "nano's unsaved text"},
                                                                 {"." + name + ".swp", std::string("b0VIM\0swap", 10)},
                                                                 {"#" + name + "#", "auto-saved"}};
    for (const auto& [side, content] : sides)
        std::ofstream(tempFolder() / side, std::ios::binary) << content;
    std::ofstream(tempFolder() / ("other" + name + "~")) << "someone else's";
    fs::create_symlink("/nowhere", tempFolder() / (name + "~"));

    control().write("saved");
    ASSERT_TRUE(waitForValue(*box, utf8("saved")));
    control().exit();
    ASSERT_TRUE(waitForSessionEnd(*service));
    EXPECT_FALSE(fs::exists(file));
    RecoveryStore store = RecoveryStore::forCurrentUser();
    std::map<std::string, std::string> kept;
    for (const RecoveredText& text : store.list())
        if (text.reason == KeptBecause::SideFile)
            kept[text.sideFile.toStdString()] = store.bytesOf(text).value();
    EXPECT_EQ(kept, (std::map<std::string, std::string>(sides.begin(), sides.end())));
    for (const auto& [side, content] : sides)
        EXPECT_FALSE(fs::exists(tempFolder() / side)) << side;
    EXPECT_TRUE(fs::exists(tempFolder() / ("other" + name + "~")));
    EXPECT_TRUE(fs::is_symlink(tempFolder() / (name + "~")));
    page->close();
}

TEST_F(SessionTest, WithoutDeleteTemporaryFileTheFileStays)
{
    globalSettings().LastDeletedFileBackup = (home_.root() / "backup.txt").string();
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = newService();
    EXPECT_EQ(service->put_DeleteTemporaryFile(0), S_OK);
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    page->close();
    control().exit();
    ASSERT_TRUE(testing::runEventLoopUntil([&] { return control().ended(); }));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(fs::exists(home_.root() / "backup.txt"));
}

// A page title of 300 bytes once made Register fail with ERROR_FILENAME_EXCED_RANGE.
TEST_F(SessionTest, ALongTitleIsShortenedToAFileNameThatFits)
{
    auto page = TestPage::create(QString(300, u'a'), utf8("http://example.test/"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = newService();
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    EXPECT_EQ(file.filename(), std::string(249, 'a') + ",1.txt");
    EXPECT_EQ(readFile(file), "text");
    page->close();
    control().exit();
    EXPECT_TRUE(waitForSessionEnd(*service));
}

TEST_F(SessionTest, AnEditorThatCannotBeStarted)
{
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = std::make_shared<CService>();
    EXPECT_EQ(service->put_EditorProgramFile(utf8("quillbrook-no-such-editor")), S_OK);
    EXPECT_EQ(service->Register(box->element()), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(activeOf(*service), 0);
    EXPECT_TRUE(service->temporaryFilePath().empty());
    EXPECT_EQ(page->advisedSinkCount(), 0u);
    // The file stays with the text; the clean-up never deletes it.
    EXPECT_EQ(readFile(tempFolder() / "t,1.txt"), "text");
}

TEST_F(SessionTest, AnElementThatIsNoTextBoxIsRefused)
{
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto service = newService();
    interactions_.expectMessageBox(1);
    EXPECT_EQ(service->Register(page->addElement()->element()), S_OK);
    ASSERT_EQ(interactions_.messageBoxes().size(), 1u);
    EXPECT_EQ(interactions_.messageBoxes()[0].caption, utf8("Quillbrook"));
    EXPECT_EQ(interactions_.messageBoxes()[0].text, utf8("This function is avalable on a text editing box."));
    EXPECT_EQ(activeOf(*service), 0);
    EXPECT_EQ(readFile(tempFolder() / "t,1.txt"), "");
}

TEST_F(SessionTest, AnExistingTemplateStartsTheFile)
{
    const fs::path templateFile = home_.root() / "template.txt";
    std::ofstream(templateFile, std::ios::binary) << std::string(5000, 'x') << "end";
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto service = newService();
    EXPECT_EQ(service->put_UseTemplateFile(1), S_OK);
    EXPECT_EQ(service->put_TemplateFile(QString::fromStdString(templateFile.string())), S_OK);
    // Even an element that is no text box: the template is used without looking at it.
    ASSERT_EQ(service->Register(page->addElement()->element()), S_OK);
    EXPECT_EQ(readFile(service->temporaryFilePath()), std::string(5000, 'x') + "end");
    page->close();
    control().exit();
    EXPECT_TRUE(waitForSessionEnd(*service));
}

TEST_F(SessionTest, AMissingTemplateIsReportedAndAskedFor)
{
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = newService();
    EXPECT_EQ(service->put_UseTemplateFile(1), S_OK);
    EXPECT_EQ(service->put_TemplateFile(utf8("/nowhere/template.md")), S_OK);
    EXPECT_EQ(service->put_Extension(utf8("md")), S_OK);
    interactions_.expectMessageBox(1);
    interactions_.expectFileDialog(std::nullopt);
    ASSERT_EQ(service->Register(box->element()), S_OK);
    ASSERT_EQ(interactions_.messageBoxes().size(), 1u);
    EXPECT_EQ(interactions_.messageBoxes()[0].text,
              utf8("Template file /nowhere/template.md does not exist. Select the other file."));
    EXPECT_EQ(interactions_.messageBoxes()[0].caption, utf8("Template File"));
    ASSERT_EQ(interactions_.fileDialogs().size(), 1u);
    EXPECT_EQ(interactions_.fileDialogs()[0].options.title, utf8("Template File"));
    EXPECT_EQ(interactions_.fileDialogs()[0].options.defaultExtension, "md");
    EXPECT_EQ(interactions_.fileDialogs()[0].options.path, "/nowhere/template.md");
    EXPECT_EQ(readFile(service->temporaryFilePath()), "text"); // cancelled: the text box's text
    page->close();
    control().exit();
    EXPECT_TRUE(waitForSessionEnd(*service));
}

TEST_F(SessionTest, ASecondRegisterStartsASecondSession)
{
    testing::EditorControl second(home_.root() / "home");
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto firstBox = page->addTextArea(utf8("a"), nullptr, utf8("one"));
    auto secondBox = page->addTextArea(utf8("b"), nullptr, utf8("two"));
    auto service = newService();
    ASSERT_EQ(service->Register(firstBox->element()), S_OK);
    const fs::path firstFile = service->temporaryFilePath();
    EXPECT_EQ(service->put_CommandLine(QString::fromStdString(second.arguments())), S_OK);
    ASSERT_EQ(service->Register(secondBox->element()), S_OK);
    const fs::path secondFile = service->temporaryFilePath();
    EXPECT_NE(firstFile, secondFile);
    EXPECT_EQ(activeOf(*service), 1);
    // The first session's deleter was stopped; its end does not touch the second session.
    second.write("edited");
    ASSERT_TRUE(waitForValue(*secondBox, utf8("edited")));
    EXPECT_TRUE(fs::exists(secondFile));
    page->close();
    control().exit();
    second.exit();
    EXPECT_TRUE(waitForSessionEnd(*service));
}

TEST_F(SessionTest, RegisterNeedsAnElementInADocumentWithAWindow)
{
    auto service = newService();
    EXPECT_EQ(service->Register(nullptr), E_POINTER);
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"));
    page->failures.parentWindow = E_POINTER;
    EXPECT_EQ(service->Register(box->element()), E_POINTER);
    EXPECT_EQ(activeOf(*service), 0);
    control().exit();
    EXPECT_TRUE(testing::runEventLoopUntil([&] { return control().ended(); }));
}

TEST_F(SessionTest, DestroyingTheServiceDuringTheDelayLeavesTheFile)
{
    globalSettings().DelayToDeleteTemporaryFile = 10000;
    auto page = TestPage::create(utf8("t"), utf8("u"));
    auto box = page->addTextArea(utf8("body"), nullptr, utf8("text"));
    auto service = newService();
    ASSERT_EQ(service->Register(box->element()), S_OK);
    const fs::path file = service->temporaryFilePath();
    page->close();
    control().exit();
    ASSERT_TRUE(testing::runEventLoopUntil([&] { return control().ended(); }));
    EXPECT_EQ(changeNotifier().RemoveService(service.get()), S_OK);
    service.reset();
    EXPECT_TRUE(fs::exists(file));
}

} // namespace
} // namespace quillbrook
