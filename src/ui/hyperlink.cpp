#include "ui/hyperlink.h"

#include "ui/help.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <utility>

namespace quillbrook {
namespace {

const QString kLinkName = QStringLiteral("quillbrook-hyperlink");

// Watches its label, a child of which it is; restores the label's look when deleted before it.
class Hyperlink final : public QObject {
public:
    Hyperlink(QLabel& label, OpenAddress openAddress)
        : QObject(&label), label_(label), openAddress_(std::move(openAddress)), font_(label.font()),
          palette_(label.palette()), hadCursor_(label.testAttribute(Qt::WA_SetCursor)), cursor_(label.cursor())
    {
        setObjectName(kLinkName);
        QPalette linked = palette_;
        linked.setColor(QPalette::WindowText, kHyperlinkColour);
        label.setPalette(linked);
        label.setCursor(Qt::PointingHandCursor);
        label.setMouseTracking(true);
        label.installEventFilter(this);
    }

    ~Hyperlink() override
    {
        // While the label deletes its children, it has already dropped this one from its list:
        // the label is going away and needs nothing back.
        if (!label_.children().contains(this))
            return;
        label_.removeEventFilter(this);
        label_.setFont(font_);
        label_.setPalette(palette_);
        if (hadCursor_)
            label_.setCursor(cursor_);
        else
            label_.unsetCursor();
    }

    Hyperlink(const Hyperlink&) = delete;
    Hyperlink& operator=(const Hyperlink&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &label_)
            return false;
        switch (event->type()) {
        case QEvent::Enter: setUnderlined(true); break;
        case QEvent::Leave: setUnderlined(false); break;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && label_.rect().contains(mouse->position().toPoint()))
                openAddress_(label_.text());
            break;
        }
        default: break;
        }
        return false;
    }

private:
    void setUnderlined(bool underlined)
    {
        QFont font = font_;
        font.setUnderline(underlined || font_.underline());
        label_.setFont(font);
    }

    QLabel& label_;
    OpenAddress openAddress_;
    QFont font_;
    QPalette palette_;
    bool hadCursor_;
    QCursor cursor_;
};

Hyperlink* hyperlinkOf(QLabel& label)
{
    return static_cast<Hyperlink*>(label.findChild<QObject*>(kLinkName, Qt::FindDirectChildrenOnly));
}

} // namespace

int MakeHyperlink(QLabel& label, OpenAddress openAddress)
{
    if (hyperlinkOf(label) != nullptr)
        return 1;
    if (!openAddress)
        openAddress = [](const QString& address) { desktopOpener().open(address); };
    new Hyperlink(label, std::move(openAddress)); // owned by the label
    return 1;
}

bool RemoveHyperlink(QLabel& label)
{
    Hyperlink* link = hyperlinkOf(label);
    delete link;
    return link != nullptr;
}

} // namespace quillbrook
