// Every text of every dialog shows whole: measured with the font the control really uses, which
// on a machine without the templates' own fonts is a stand-in that may run wider.
#include "platform/mnemonic_text.h"
#include "ui/dialog_builder.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <gtest/gtest.h>

namespace quillbrook {
namespace {

constexpr ResourceLanguage kLanguages[] = {ResourceLanguage::English, ResourceLanguage::Japanese};

const char* nameOf(ResourceLanguage language)
{
    return language == ResourceLanguage::Japanese ? "Japanese" : "English";
}

int advance(const QWidget& control, const QString& text)
{
    return control.fontMetrics().horizontalAdvance(withoutMnemonicMarks(text));
}

// A failure message naming the control, or empty when its text fits.
QString textClipped(QWidget& control)
{
    control.ensurePolished();
    const QStyle& style = *control.style();
    if (auto* box = qobject_cast<QCheckBox*>(&control)) {
        const int indicator = style.pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box)
                              + style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
        if (indicator + advance(*box, box->text()) > box->width())
            return QStringLiteral("check box \"%1\": %2 + %3 > %4")
                .arg(box->text())
                .arg(indicator)
                .arg(advance(*box, box->text()))
                .arg(box->width());
        return {};
    }
    if (auto* button = qobject_cast<QPushButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const int frame =
            button->width() - style.subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
        if (frame + advance(*button, button->text()) > button->width())
            return QStringLiteral("button \"%1\": %2 + %3 > %4")
                .arg(button->text())
                .arg(frame)
                .arg(advance(*button, button->text()))
                .arg(button->width());
        return {};
    }
    if (auto* group = qobject_cast<QGroupBox*>(&control)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.textAlignment = group->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        if (title.left() < 0 || title.left() + advance(*group, group->title()) > group->width())
            return QStringLiteral("group box \"%1\": title at %2, %3 wide, in %4")
                .arg(group->title())
                .arg(title.left())
                .arg(advance(*group, group->title()))
                .arg(group->width());
        return {};
    }
    if (auto* label = qobject_cast<QLabel*>(&control); label != nullptr && !label->text().isEmpty()) {
        const int room = label->contentsRect().width() - 2 * label->margin();
        const int textHeight =
            label->wordWrap() ? label->heightForWidth(label->width()) : label->fontMetrics().height();
        if (advance(*label, label->text()) > room && !label->wordWrap())
            return QStringLiteral("label \"%1\": %2 > %3")
                .arg(label->text())
                .arg(advance(*label, label->text()))
                .arg(room);
        if (textHeight > label->contentsRect().height())
            return QStringLiteral("label \"%1\": %2 pixels of lines in %3")
                .arg(label->text())
                .arg(textHeight)
                .arg(label->contentsRect().height());
        return {};
    }
    return {};
}

TEST(DialogTexts, EveryTextFitsItsControlInBothLanguages)
{
    int measured = 0;
    for (const DialogTemplate& t : dialogTemplates())
        for (const ResourceLanguage language : kLanguages) {
            SCOPED_TRACE(testing::Message() << "dialog " << t.id << " in " << nameOf(language));
            const BuiltDialog built(t, language);
            QDialog& dialog = built.dialog();
            for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QString clipped = textClipped(*control);
                EXPECT_TRUE(clipped.isEmpty()) << clipped.toStdString();
                EXPECT_TRUE(dialog.rect().contains(control->geometry()))
                    << "control " << control->objectName().toStdString() << " reaches out of the dialog";
                ++measured;
            }
        }
    EXPECT_GT(measured, 100);
}

TEST(DialogTexts, EnglishKeepsTheUnitsOfItsFont)
{
    // The English texts fit at the units of the font in use, Debian's stand-in included, so the
    // English dialogs keep the size and look they had before any widening.
    const DialogUnits own = DialogUnits::of(dialogQFont(ResourceLanguage::English));
    for (const DialogTemplate& t : dialogTemplates()) {
        const BuiltDialog built(t, ResourceLanguage::English);
        EXPECT_EQ(built.units().baseX, own.baseX) << t.id;
        EXPECT_EQ(built.units().baseY, own.baseY) << t.id;
    }
}

} // namespace
} // namespace quillbrook
