// The program's icon (201): compiled in at four sizes, on every dialog's title bar and in the
// About box.
#include "resources/application_icon.h"
#include "ui/dialog_builder.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <gtest/gtest.h>

namespace quillbrook {
namespace {

bool sameImage(const QIcon& icon, const QIcon& expected, int size)
{
    return icon.pixmap(size, size).toImage() == expected.pixmap(size, size).toImage();
}

TEST(ApplicationIcon, HoldsFourDrawnPicturesWithTransparentSurroundings)
{
    const QIcon icon = applicationIcon();
    ASSERT_EQ(icon.availableSizes().size(), 4);
    for (const int size : kApplicationIconSizes) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << "picture missing from the resources";
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "top-left corner is background";
        // Partly covered: the blue frame of the text box and the orange quill are both there.
        int opaque = 0;
        int blue = 0;
        int orange = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) != 255)
                    continue;
                ++opaque;
                blue += qBlue(pixel) > qRed(pixel) + 40 ? 1 : 0;
                orange += qRed(pixel) > qBlue(pixel) + 80 ? 1 : 0;
            }
        EXPECT_GT(opaque, size * size / 3);
        EXPECT_LT(opaque, size * size - size * size / 8);
        EXPECT_GT(blue, size);
        EXPECT_GT(orange, size);
    }
}

TEST(ApplicationIcon, TopLevelDialogsCarryItAndTheAboutBoxShowsIt)
{
    const QIcon expected = applicationIcon();
    for (const unsigned id : {dialog_id::MenuItems, dialog_id::Options, dialog_id::MenuItem, dialog_id::About}) {
        SCOPED_TRACE(id);
        const BuiltDialog built(*dialogTemplate(id), ResourceLanguage::English);
        const QIcon icon = built.dialog().windowIcon();
        EXPECT_EQ(icon.availableSizes().size(), 4);
        // Small for the title bar, big for the window switcher.
        EXPECT_TRUE(sameImage(icon, expected, 16));
        EXPECT_TRUE(sameImage(icon, expected, 32));
    }

    const BuiltDialog about(*dialogTemplate(dialog_id::About), ResourceLanguage::Japanese);
    const QLabel* shown = nullptr;
    for (const QLabel* label : about.dialog().findChildren<QLabel*>())
        if (!label->pixmap().isNull())
            shown = label;
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->pixmap().toImage(), expected.pixmap(32, 32).toImage());
}

} // namespace
} // namespace quillbrook
