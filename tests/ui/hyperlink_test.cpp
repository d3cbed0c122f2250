#include "ui/help.h"
#include "ui/hyperlink.h"

#include "support/scripted_interactions.h"

#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace quillbrook::testing {
namespace {

class HyperlinkTest : public ::testing::Test {
protected:
    HyperlinkTest()
    {
        label_->resize(120, 20);
        MakeHyperlink(*label_, [this](const QString& address) { opened_.push_back(address); });
    }

    void send(QEvent::Type type, Qt::MouseButton button = Qt::NoButton, QPointF at = {5, 5})
    {
        if (type == QEvent::Enter) {
            QEnterEvent enter(at, at, at);
            QCoreApplication::sendEvent(label_.get(), &enter);
        } else if (type == QEvent::Leave) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(label_.get(), &leave);
        } else {
            QMouseEvent mouse(type, at, at, button, button, Qt::NoModifier);
            QCoreApplication::sendEvent(label_.get(), &mouse);
        }
    }

    std::unique_ptr<QLabel> label_ = std::make_unique<QLabel>(QStringLiteral("https://www.example.com/"));
    std::vector<QString> opened_;
};

TEST_F(HyperlinkTest, LooksLikeALinkAndUnderlinesOnlyWhileTheMouseIsOver)
{
    EXPECT_EQ(label_->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    EXPECT_EQ(label_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(label_->font().underline());
    send(QEvent::Enter);
    EXPECT_TRUE(label_->font().underline());
    send(QEvent::Leave);
    EXPECT_FALSE(label_->font().underline());
}

TEST_F(HyperlinkTest, ALeftClickInsideOpensTheAddressAndNothingElseDoes)
{
    send(QEvent::MouseButtonRelease, Qt::RightButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {500, 5});
    EXPECT_TRUE(opened_.empty());
    send(QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(opened_, std::vector<QString>{QStringLiteral("https://www.example.com/")});
}

TEST_F(HyperlinkTest, RemovingTheLinkRestoresTheLabelAndALabelMayGoWithItsLink)
{
    send(QEvent::Enter);
    EXPECT_TRUE(RemoveHyperlink(*label_));
    EXPECT_FALSE(RemoveHyperlink(*label_)) << "only one link per label";
    EXPECT_FALSE(label_->font().underline());
    EXPECT_NE(label_->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    EXPECT_EQ(label_->cursor().shape(), QLabel().cursor().shape());
    send(QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_TRUE(opened_.empty());

    MakeHyperlink(*label_);
    label_.reset(); // deletes the link with it
}

TEST(DesktopOpenerTest, AnOpenerThatIsMissingIsNotLookedForAgain)
{
    DesktopOpener opener(QStringLiteral("quillbrook-no-such-opener"));
    EXPECT_FALSE(opener.failed());
    EXPECT_FALSE(opener.open(QStringLiteral("/tmp")));
    EXPECT_TRUE(opener.failed());
    EXPECT_FALSE(opener.open(QStringLiteral("/tmp")));
}

TEST(ShowHelpTest, AMissingHelpFileOrAFolderOfThatNameIsReportedWithTheErrorIcon)
{
    const QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Help.html")));
    QWidget dialog;
    ScriptedInteractions interactions;
    DesktopOpener opener(QStringLiteral("quillbrook-no-such-opener"));
    for (const QString& name : {QStringLiteral("missing.html"), QStringLiteral("Help.html")}) {
        interactions.expectMessageBox(IDOK);
        ShowHelp(dialog, QDir(folder.path()).filePath(name), opener);
    }
    ASSERT_EQ(interactions.messageBoxes().size(), 2u);
    for (const auto& shown : interactions.messageBoxes()) {
        EXPECT_EQ(shown.text, QStringLiteral("The help file does not exist."));
        EXPECT_EQ(shown.caption, QStringLiteral("Help File"));
        EXPECT_EQ(shown.style, MB_OK | MB_ICONERROR);
        EXPECT_EQ(shown.owner, static_cast<WindowId>(dialog.winId()));
    }
    EXPECT_FALSE(opener.failed()) << "the opener is not tried without a file";
}

} // namespace
} // namespace quillbrook::testing
