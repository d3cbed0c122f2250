// The Open File dialog's encoding list on the real Qt file dialog, driven by the Open File
// service's hook.
#include "ui/qt_modal_interactions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "fileopen/code_page_hook.h"
#include "service/encodings.h"
#include "support/temporary_home.h"
#include "window_answerer.h"

namespace quillbrook {
namespace {

using testing::WindowAnswerer;

class OpenFileCharsetTest : public ::testing::Test {
protected:
    OpenFileCharsetTest()
    {
        home_.setEnvironment("LANGUAGE", std::string("en"));
        QFile(file_).open(QIODevice::WriteOnly);
    }

    FileDialogOptions options(std::int32_t* chosen, int templateId = kOpenFileEncodingTemplate) const
    {
        FileDialogOptions result;
        result.title = QStringLiteral("Open File");
        result.filters = {{QStringLiteral("Text Files (*.txt)"), "*.txt"}};
        result.path = file_.toStdString();
        result.extraControls =
            FileDialogExtraControls{templateId, &CodePageHook, reinterpret_cast<std::intptr_t>(chosen)};
        return result;
    }

    static void press(QFileDialog& dialog, QDialogButtonBox::StandardButton which)
    {
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        buttons->button(which)->click();
    }

    testing::TemporaryHome home_;
    QTemporaryDir folder_;
    QString file_ = folder_.filePath(QStringLiteral("page.txt"));
    QtModalInteractions interactions_;
};

TEST_F(OpenFileCharsetTest, ShowsTheListBelowTheStandardControlsAndStoresTheChoiceOnOk)
{
    for (int templateId : {kOpenFileEncodingTemplate, kOpenFileEncodingOldTemplate}) {
        SCOPED_TRACE(templateId);
        std::int32_t chosen = code_page::Utf16LittleEndian;
        WindowAnswerer answerer("QFileDialog", [&](QWidget& window) {
            auto& dialog = static_cast<QFileDialog&>(window);
            auto* list = dialog.findChild<QComboBox*>(controlName(kEncodingListControl));
            ASSERT_NE(list, nullptr);
            EXPECT_TRUE(list->isVisible());
            const QStringList texts = {list->itemText(0), list->itemText(1), list->itemText(2)};
            EXPECT_EQ(list->count(), 3);
            EXPECT_EQ(texts, (QStringList{QStringLiteral("Default(ANSI)"), QStringLiteral("Unicode"),
                                          QStringLiteral("UTF-8")}));
            EXPECT_EQ(list->currentText(), QStringLiteral("Unicode"));
            bool labelShown = false;
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                labelShown = labelShown || (label->text() == QStringLiteral("&Charset:") && label->isVisible());
            EXPECT_TRUE(labelShown);
            // Below the file list and buttons of the dialog itself.
            auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            ASSERT_NE(buttons, nullptr);
            EXPECT_GE(list->mapTo(&dialog, QPoint(0, 0)).y(),
                      buttons->mapTo(&dialog, QPoint(0, buttons->height())).y());
            // Inside the dialog, where a real display draws it, not only "visible".
            EXPECT_TRUE(dialog.rect().contains(QRect(list->mapTo(&dialog, QPoint(0, 0)), list->size())));
            EXPECT_FALSE(list->visibleRegion().isEmpty());
            list->setCurrentIndex(2);
            press(dialog, QDialogButtonBox::Open);
        });
        const auto path = interactions_.fileDialog(0, options(&chosen, templateId));
        EXPECT_TRUE(answerer.answered());
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(*path, file_.toStdString());
        EXPECT_EQ(chosen, code_page::Utf8);
    }
}

TEST_F(OpenFileCharsetTest, CancelLeavesTheChosenCodePage)
{
    std::int32_t chosen = code_page::Default;
    WindowAnswerer answerer("QFileDialog", [&](QWidget& window) {
        auto& dialog = static_cast<QFileDialog&>(window);
        auto* list = dialog.findChild<QComboBox*>(controlName(kEncodingListControl));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->currentText(), QStringLiteral("Default(ANSI)"));
        list->setCurrentIndex(2);
        press(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(interactions_.fileDialog(0, options(&chosen)), std::nullopt);
    EXPECT_EQ(chosen, code_page::Default);
}

TEST_F(OpenFileCharsetTest, WithoutAHookNoListIsBuilt)
{
    std::int32_t chosen = code_page::Default;
    FileDialogOptions withoutHook = options(&chosen);
    withoutHook.extraControls->hook = nullptr;
    WindowAnswerer answerer("QFileDialog", [&](QWidget& window) {
        EXPECT_EQ(window.findChild<QComboBox*>(controlName(kEncodingListControl)), nullptr);
        press(static_cast<QFileDialog&>(window), QDialogButtonBox::Open);
    });
    EXPECT_TRUE(interactions_.fileDialog(0, withoutHook).has_value());
}

} // namespace
} // namespace quillbrook
