#include "ui/dialog_builder.h"

#include "platform/mnemonic_text.h"
#include "resources/application_icon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <utility>
#include <vector>

namespace quillbrook {
namespace {

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// n * numerator / denominator rounded half up, as the original platform's MulDiv rounds.
int mulDiv(int n, int numerator, int denominator)
{
    return (2 * n * numerator + denominator) / (2 * denominator);
}

} // namespace

DialogUnits DialogUnits::of(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width over the 52 Latin letters, rounded, as the original platform takes it.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

int DialogUnits::toPixelsX(int units) const
{
    return mulDiv(units, baseX, 4);
}

int DialogUnits::toPixelsY(int units) const
{
    return mulDiv(units, baseY, 8);
}

QRect DialogUnits::toPixels(const DialogRect& rect) const
{
    return {toPixelsX(rect.x), toPixelsY(rect.y), toPixelsX(rect.width), toPixelsY(rect.height)};
}

QFont dialogQFont(ResourceLanguage language)
{
    const DialogFont wanted = dialogFont(language);
    QFont font = dialogFontInstalled(language) ? QFont(toQString(wanted.family))
                                               : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(wanted.pointSize);
    return font;
}

bool dialogFontInstalled(ResourceLanguage language)
{
    return QFontDatabase::families().contains(toQString(dialogFont(language).family));
}

namespace {

// The width a text-bearing control needs to show its text whole on one line, with its own
// decoration (a button's margins and frame, a check box's indicator, a group box's title indent);
// 0 for a control without such text or a static that wraps.
int textWidthNeeded(QWidget& control)
{
    control.ensurePolished();
    const QStyle* style = control.style();
    if (auto* button = qobject_cast<QPushButton*>(&control)) {
        const int sides = 2
                          * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
                             + style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
        return button->fontMetrics().horizontalAdvance(withoutMnemonicMarks(button->text())) + sides;
    }
    // A check box's and a group box's hints hold their text on one line and their decoration;
    // a label's too while it does not wrap.
    if (qobject_cast<QCheckBox*>(&control) != nullptr)
        return control.sizeHint().width();
    if (qobject_cast<QGroupBox*>(&control) != nullptr)
        return control.minimumSizeHint().width();
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        if (label->text().isEmpty() || label->wordWrap())
            return 0;
        return label->sizeHint().width();
    }
    return 0;
}

} // namespace

// The dialog window itself: Escape and the close button arrive as command 2.
class BuiltDialog::Window final : public QDialog {
public:
    Window(const DialogTemplate& dialogTemplate, ResourceLanguage language, QWidget* parent)
        : QDialog(parent), units_(DialogUnits::of(dialogQFont(language)))
    {
        setFont(dialogQFont(language));
        if (dialogTemplate.frame == DialogFrame::Popup) {
            setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
            setWindowTitle(toQString(dialogTemplate.caption(language)));
            // Icon 201 in the title bar and in the window switcher.
            setWindowIcon(applicationIcon());
        } else if (parent != nullptr) {
            setWindowFlags(Qt::Widget);
        }
        buildControls(dialogTemplate, language);
        // The templates were laid out for their own font; a stand-in font may need more room
        // for the same texts, which it gets by wider horizontal units for the whole dialog.
        if (!dialogFontInstalled(language))
            units_.baseX = std::max(units_.baseX, baseXFittingEveryText());
        setFixedSize(units_.toPixelsX(dialogTemplate.width), units_.toPixelsY(dialogTemplate.height(language)));
        placeControls();
    }

    void reject() override { sendCommand(2, notification::Clicked); }

    void sendCommand(int id, int code)
    {
        if (commandHandler_ && commandHandler_(id, code))
            return;
        if (id == 1 || id == 2)
            done(id);
    }

    void sendList(int id, ListNotification what)
    {
        if (listHandler_)
            listHandler_(id, what);
    }

    DialogUnits units_;
    InitHandler initHandler_;
    CommandHandler commandHandler_;
    ListHandler listHandler_;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            sendList(watched->objectName().toInt(), ListNotification::DeleteKey);
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }

private:
    struct Placed {
        QWidget* widget;
        ControlKind kind;
        DialogRect rect; // in the dialog's language
    };

    // Whether a static `height` dialog units high holds more than one line of the dialog font,
    // a line being eight vertical units.
    static bool holdsSeveralLines(int height) { return height >= 16; }

    QWidget* makeControl(const ControlTemplate& control, ResourceLanguage language, const DialogRect& rect)
    {
        const QString text = toQString(control.text(language));
        const int id = control.id;
        switch (control.kind) {
        case ControlKind::Static:
        case ControlKind::HyperlinkStatic: {
            auto* label = new QLabel(text, this);
            // A static one line high shows its text on that line; wrapping would push the rest
            // below its bottom edge, out of sight.
            label->setWordWrap(!control.has(control_style::Centered) && holdsSeveralLines(rect.height));
            const Qt::Alignment horizontal = control.has(control_style::Centered) ? Qt::AlignHCenter : Qt::AlignLeft;
            const Qt::Alignment vertical =
                control.has(control_style::VerticallyCentered) ? Qt::AlignVCenter : Qt::AlignTop;
            label->setAlignment(horizontal | vertical);
            return label;
        }
        case ControlKind::IconStatic: {
            auto* label = new QLabel(this);
            label->setPixmap(applicationIcon().pixmap(32, 32));
            return label;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
            connect(edit, &QLineEdit::textChanged, this, [this, id] { sendCommand(id, notification::EditChange); });
            return edit;
        }
        case ControlKind::Button:
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(text, this);
            button->setDefault(control.kind == ControlKind::DefaultButton);
            connect(button, &QPushButton::clicked, this, [this, id] { sendCommand(id, notification::Clicked); });
            return button;
        }
        case ControlKind::AutoCheckBox: {
            auto* box = new QCheckBox(text, this);
            connect(box, &QCheckBox::clicked, this, [this, id] { sendCommand(id, notification::Clicked); });
            return box;
        }
        case ControlKind::GroupBox: return new QGroupBox(text, this);
        case ControlKind::DropDownList: {
            auto* combo = new QComboBox(this);
            connect(combo, &QComboBox::activated, this, [this, id] { sendCommand(id, notification::SelectionChange); });
            return combo;
        }
        case ControlKind::ReportListView: {
            auto* list = new QTreeWidget(this);
            list->setRootIsDecorated(false);
            list->setSelectionMode(QAbstractItemView::ExtendedSelection);
            list->setAllColumnsShowFocus(true);
            list->installEventFilter(this);
            connect(list, &QTreeWidget::itemSelectionChanged, this,
                    [this, id] { sendList(id, ListNotification::SelectionChanged); });
            connect(list, &QTreeWidget::itemDoubleClicked, this,
                    [this, id] { sendList(id, ListNotification::DoubleClicked); });
            return list;
        }
        }
        return new QWidget(this);
    }

    void buildControls(const DialogTemplate& dialogTemplate, ResourceLanguage language)
    {
        QWidget* previousTabStop = nullptr;
        QLabel* waitingForBuddy = nullptr;
        for (const ControlTemplate& control : dialogTemplate.controls) {
            const DialogRect rect = dialogTemplate.rect(control, language);
            QWidget* widget = makeControl(control, language, rect);
            placed_.push_back({widget, control.kind, rect});
            if (control.id != kNoControlId)
                widget->setObjectName(QString::number(control.id));
            if (control.kind == ControlKind::GroupBox)
                widget->lower();
            if (!control.has(control_style::TabStop))
                widget->setFocusPolicy(control.kind == ControlKind::Static || control.kind == ControlKind::GroupBox
                                           ? Qt::NoFocus
                                           : Qt::ClickFocus);
            else {
                widget->setFocusPolicy(Qt::StrongFocus);
                if (previousTabStop != nullptr)
                    QWidget::setTabOrder(previousTabStop, widget);
                previousTabStop = widget;
                // A static's mnemonic moves the focus to the next tab stop, as on the original
                // platform.
                if (waitingForBuddy != nullptr)
                    waitingForBuddy->setBuddy(widget);
                waitingForBuddy = nullptr;
            }
            if (control.kind == ControlKind::Static && control.text(language).find(u'&') != std::u16string_view::npos)
                waitingForBuddy = static_cast<QLabel*>(widget);
        }
    }

    // The narrowest average character width at which every control's text fits its rectangle.
    int baseXFittingEveryText() const
    {
        int baseX = 1;
        for (const Placed& control : placed_) {
            const int needed = textWidthNeeded(*control.widget);
            if (needed == 0)
                continue;
            while (DialogUnits{baseX, units_.baseY}.toPixelsX(control.rect.width) < needed)
                ++baseX;
        }
        return baseX;
    }

    void placeControls()
    {
        for (const Placed& control : placed_) {
            QRect rect = units_.toPixels(control.rect);
            // A drop-down list's template height includes the opened list; closed it is as high
            // as its font makes it.
            if (control.kind == ControlKind::DropDownList)
                rect.setHeight(control.widget->sizeHint().height());
            control.widget->setGeometry(rect);
        }
    }

    std::vector<Placed> placed_;
};

BuiltDialog::BuiltDialog(const DialogTemplate& dialogTemplate, ResourceLanguage language, QWidget* parent)
    : window_(std::make_unique<Window>(dialogTemplate, language, parent))
{}

BuiltDialog::~BuiltDialog() = default;

QDialog& BuiltDialog::dialog() const
{
    return *window_;
}

QWidget* BuiltDialog::control(int id) const
{
    if (id == kNoControlId)
        return nullptr;
    return window_->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

const DialogUnits& BuiltDialog::units() const
{
    return window_->units_;
}

void BuiltDialog::onInit(InitHandler handler)
{
    window_->initHandler_ = std::move(handler);
}

void BuiltDialog::onCommand(CommandHandler handler)
{
    window_->commandHandler_ = std::move(handler);
}

void BuiltDialog::onListNotification(ListHandler handler)
{
    window_->listHandler_ = std::move(handler);
}

int BuiltDialog::exec()
{
    if (window_->initHandler_)
        window_->initHandler_();
    return window_->exec();
}

void BuiltDialog::command(int id, int code)
{
    window_->sendCommand(id, code);
}

void BuiltDialog::end(int result)
{
    window_->done(result);
}

} // namespace quillbrook
