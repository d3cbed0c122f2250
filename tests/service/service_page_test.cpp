#include "service/service.h"

#include "store/global_settings.h"
#include "support/page/test_page.h"
#include "support/temporary_home.h"

#include <gtest/gtest.h>

namespace quillbrook {
namespace {

using testing::TestPage;

// A service bound to a page, with the global settings loaded into a private hive.
class ServicePageTest : public ::testing::Test {
protected:
    ServicePageTest() : locale_("C.UTF-8")
    {
        EXPECT_EQ(globalSettings().Load(std::string()), S_OK);
        globalSettings().TempFileNameTemplate = "%title%,%session%";
        globalSettings().SessionID = 11;
        service_ = std::make_shared<CService>();
    }

    testing::TemporaryHome home_;
    testing::ScopedLocale locale_;
    std::shared_ptr<CService> service_;
};

TEST_F(ServicePageTest, NameFromTheBoundPage)
{
    auto page =
        TestPage::create(QStringLiteral("Report: Q1/Q2"), QStringLiteral("http://example.test/bbs/post.cgi?id=3"));
    auto box = page->addTextArea(QStringLiteral("body"), page->addForm(QStringLiteral("reply")));
    ASSERT_EQ(service_->bindElement(box->element()), S_OK);
    EXPECT_EQ(service_->put_Extension(QStringLiteral("txt")), S_OK);
    EXPECT_EQ(service_->MakeTemporaryFileName(), "Report_ Q1_Q2,12.txt");

    globalSettings().TempFileNameTemplate = "%form%-%textarea%-%file%";
    EXPECT_EQ(service_->MakeTemporaryFileName(), "reply-body-post_13.txt");
    EXPECT_EQ(globalSettings().SessionID, 13);
}

TEST_F(ServicePageTest, TextInputsAndElementsThatAreNoTextBox)
{
    globalSettings().TempFileNameTemplate = "%form%,%textarea%,%session%";
    auto page = TestPage::create(QStringLiteral("t"), QStringLiteral("http://example.test/"));
    auto input = page->addTextInput(QStringLiteral("q"));
    ASSERT_EQ(service_->bindElement(input->element()), S_OK);
    EXPECT_EQ(service_->MakeTemporaryFileName(), "%form%,q,12.txt"); // outside any form

    ASSERT_EQ(service_->bindElement(page->addElement()->element()), S_OK);
    EXPECT_EQ(service_->MakeTemporaryFileName(), "%form%,%textarea%,13.txt");
}

TEST_F(ServicePageTest, UnreadableOrMissingTitles)
{
    auto page = TestPage::create(QString(), QStringLiteral("http://example.test/"));
    auto box = page->addTextArea(QStringLiteral("body"));
    ASSERT_EQ(service_->bindElement(box->element()), S_OK);
    EXPECT_EQ(service_->MakeTemporaryFileName(), "%title%,12.txt"); // no title string

    page->setTitle(QString(QLatin1String("")));
    EXPECT_EQ(service_->MakeTemporaryFileName(), ",13.txt");

    page->setTitle(QStringLiteral("Report"));
    page->goAway(E_FAIL);
    EXPECT_EQ(service_->MakeTemporaryFileName(), "%title%,14.txt");
}

TEST_F(ServicePageTest, BindingRefusesObjectsThatAreNoPageElements)
{
    EXPECT_EQ(service_->bindElement(nullptr), E_POINTER);
    EXPECT_EQ(service_->bindElement(std::make_shared<CService>()), E_NOINTERFACE);

    auto page = TestPage::create(QStringLiteral("t"), QStringLiteral("u"));
    auto box = page->addTextArea(QStringLiteral("body"));
    box->failures.document = static_cast<HRESULT>(0x80070005u);
    EXPECT_EQ(service_->bindElement(box->element()), static_cast<HRESULT>(0x80070005u));
}

} // namespace
} // namespace quillbrook
