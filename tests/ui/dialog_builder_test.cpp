#include "ui/dialog_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <vector>

namespace quillbrook {
namespace {

constexpr ResourceLanguage kLanguages[] = {ResourceLanguage::English, ResourceLanguage::Japanese};

bool hasWidgetType(const QWidget* widget, ControlKind kind)
{
    switch (kind) {
    case ControlKind::Static:
    case ControlKind::HyperlinkStatic:
    case ControlKind::IconStatic: return qobject_cast<const QLabel*>(widget) != nullptr;
    case ControlKind::Edit: return qobject_cast<const QLineEdit*>(widget) != nullptr;
    case ControlKind::Button:
        return qobject_cast<const QPushButton*>(widget) != nullptr
               && !qobject_cast<const QPushButton*>(widget)->isDefault();
    case ControlKind::DefaultButton:
        return qobject_cast<const QPushButton*>(widget) != nullptr
               && qobject_cast<const QPushButton*>(widget)->isDefault();
    case ControlKind::AutoCheckBox: return qobject_cast<const QCheckBox*>(widget) != nullptr;
    case ControlKind::GroupBox: return qobject_cast<const QGroupBox*>(widget) != nullptr;
    case ControlKind::DropDownList:
        return qobject_cast<const QComboBox*>(widget) != nullptr
               && !qobject_cast<const QComboBox*>(widget)->isEditable();
    case ControlKind::ReportListView: {
        const auto* list = qobject_cast<const QTreeWidget*>(widget);
        return list != nullptr && list->selectionMode() == QAbstractItemView::ExtendedSelection;
    }
    }
    return false;
}

// A key press as the user's keyboard would deliver it; unhandled keys travel to the parent.
void pressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

QString text(std::u16string_view view)
{
    return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
}

TEST(DialogBuilder, EveryControlFoundByIdWithItsWidgetTypeTextAndGeometry)
{
    for (const DialogTemplate& t : dialogTemplates())
        for (const ResourceLanguage language : kLanguages) {
            const BuiltDialog built(t, language);
            const DialogUnits& units = built.units();
            EXPECT_EQ(built.dialog().windowTitle(), text(t.caption(language))) << t.id;
            EXPECT_EQ(built.dialog().width(), units.toPixelsX(t.width)) << t.id;
            EXPECT_EQ(built.dialog().height(), units.toPixelsY(t.height(language))) << t.id;
            for (const ControlTemplate& control : t.controls) {
                if (control.id == kNoControlId)
                    continue;
                SCOPED_TRACE(testing::Message() << t.id << "/" << control.id);
                QWidget* widget = built.control(control.id);
                ASSERT_NE(widget, nullptr);
                EXPECT_EQ(widget->objectName(), QString::number(control.id));
                EXPECT_TRUE(hasWidgetType(widget, control.kind));
                const QRect expected = units.toPixels(t.rect(control, language));
                EXPECT_EQ(widget->pos(), expected.topLeft());
                EXPECT_EQ(widget->width(), expected.width());
                if (control.kind != ControlKind::DropDownList) {
                    EXPECT_EQ(widget->height(), expected.height());
                }
                if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                    EXPECT_EQ(button->text(), text(control.text(language)));
                }
            }
            EXPECT_EQ(built.control(999), nullptr);
        }
}

TEST(DialogBuilder, DialogUnitsFollowTheFontMetrics)
{
    QFont font = dialogQFont(ResourceLanguage::English);
    const DialogUnits small = DialogUnits::of(font);
    font.setPointSize(font.pointSize() * 2);
    const DialogUnits large = DialogUnits::of(font);
    EXPECT_GT(small.baseX, 0);
    EXPECT_GT(large.baseX, small.baseX);
    EXPECT_GT(large.baseY, small.baseY);
    const DialogUnits exact{6, 13};
    // x: 238 * 6 / 4 = 357; y: 30 * 13 / 8 = 48.75; width 50 * 6 / 4 = 75; height 14 * 13 / 8 = 22.75.
    EXPECT_EQ(exact.toPixels({238, 30, 50, 14}), QRect(357, 49, 75, 23));
    EXPECT_EQ(exact.toPixelsX(1), 2); // 1.5 rounds up
}

TEST(DialogBuilder, TabOrderIsTemplateOrder)
{
    for (const DialogTemplate& t : dialogTemplates()) {
        SCOPED_TRACE(t.id);
        const BuiltDialog built(t, ResourceLanguage::English);
        std::vector<QWidget*> expected;
        for (const ControlTemplate& control : t.controls)
            if (control.has(control_style::TabStop))
                expected.push_back(built.control(control.id));
        ASSERT_FALSE(expected.empty());
        std::vector<QWidget*> chain{expected.front()};
        for (QWidget* w = expected.front()->nextInFocusChain(); w != expected.front(); w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus && w->parentWidget() == &built.dialog())
                chain.push_back(w);
        EXPECT_EQ(chain, expected);
    }
}

TEST(DialogBuilder, StaticMnemonicsPointAtTheNextTabStop)
{
    // The Japanese label of 215 carries no mnemonic letter, so it gets no buddy.
    const std::pair<ResourceLanguage, std::vector<int>> cases[] = {
        {ResourceLanguage::English, {209, 211, 213, 215}},
        {ResourceLanguage::Japanese, {209, 211, 213}},
    };
    for (const auto& [language, ids] : cases) {
        const BuiltDialog built(*dialogTemplate(dialog_id::Options), language);
        std::vector<QWidget*> buddies;
        for (QLabel* label : built.dialog().findChildren<QLabel*>())
            if (label->buddy() != nullptr)
                buddies.push_back(label->buddy());
        std::vector<QWidget*> expected;
        for (const int id : ids)
            expected.push_back(built.control(id));
        EXPECT_EQ(buddies, expected);
    }
}

struct EndCase {
    const char* name;
    int key;
    int expected;
};

TEST(DialogBuilder, EscapeIsCommandTwoAndEnterTheDefaultButton)
{
    const EndCase cases[] = {{"Escape", Qt::Key_Escape, 2}, {"Enter", Qt::Key_Return, 1}};
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.name);
        BuiltDialog built(*dialogTemplate(dialog_id::Options), ResourceLanguage::English);
        std::vector<std::pair<int, int>> commands;
        bool initialised = false;
        built.onInit([&] { initialised = true; });
        built.onCommand([&](int id, int code) {
            commands.emplace_back(id, code);
            return false;
        });
        QTimer::singleShot(0, &built.dialog(), [&] { pressKey(built.control(209), c.key); });
        EXPECT_EQ(built.exec(), c.expected);
        EXPECT_TRUE(initialised);
        const std::vector<std::pair<int, int>> expected{{c.expected, notification::Clicked}};
        EXPECT_EQ(commands, expected);
    }
}

TEST(DialogBuilder, HandledCommandsKeepTheDialogOpen)
{
    BuiltDialog built(*dialogTemplate(dialog_id::About), ResourceLanguage::English);
    int handled = 0;
    built.onCommand([&](int id, int) { return id == 2 && ++handled == 1; });
    QTimer::singleShot(0, &built.dialog(), [&] {
        built.command(2); // taken by the handler
        built.command(2); // not taken: ends the dialog
    });
    EXPECT_EQ(built.exec(), 2);
    EXPECT_EQ(handled, 2);
}

TEST(DialogBuilder, ControlsReportCommandsAndListNotifications)
{
    BuiltDialog built(*dialogTemplate(dialog_id::MenuItems), ResourceLanguage::English);
    std::vector<std::pair<int, int>> commands;
    std::vector<ListNotification> list;
    built.onCommand([&](int id, int code) {
        commands.emplace_back(id, code);
        return true;
    });
    built.onListNotification([&](int id, ListNotification what) {
        EXPECT_EQ(id, 201);
        list.push_back(what);
    });
    built.control<QPushButton>(203)->click();
    auto* rows = built.control<QTreeWidget>(201);
    ASSERT_NE(rows, nullptr);
    rows->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("a")}));
    rows->topLevelItem(0)->setSelected(true);
    pressKey(rows, Qt::Key_Delete);
    const std::vector<std::pair<int, int>> expectedCommands{{203, notification::Clicked}};
    EXPECT_EQ(commands, expectedCommands);
    const std::vector<ListNotification> expectedList{ListNotification::SelectionChanged, ListNotification::DeleteKey};
    EXPECT_EQ(list, expectedList);

    BuiltDialog item(*dialogTemplate(dialog_id::MenuItem), ResourceLanguage::English);
    std::vector<std::pair<int, int>> itemCommands;
    item.onCommand([&](int id, int code) {
        itemCommands.emplace_back(id, code);
        return true;
    });
    item.control<QLineEdit>(203)->setText(QStringLiteral("x"));
    item.control<QCheckBox>(218)->click();
    const std::vector<std::pair<int, int>> expectedItem{{203, notification::EditChange}, {218, notification::Clicked}};
    EXPECT_EQ(itemCommands, expectedItem);
    EXPECT_TRUE(item.control<QCheckBox>(218)->isChecked());
}

} // namespace
} // namespace quillbrook
