#include "window_answerer.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace quillbrook::testing {
namespace {

void closeLater(QWidget& window)
{
    QTimer::singleShot(0, &window, &QWidget::close);
}

} // namespace

WindowAnswerer::WindowAnswerer(const char* className, Answer answer) : className_(className), answer_(std::move(answer))
{
    QCoreApplication::instance()->installEventFilter(this);
}

WindowAnswerer::~WindowAnswerer()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool WindowAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || !(qobject_cast<QDialog*>(window) || qobject_cast<QMenu*>(window)))
        return false;

    if (answered_ || !window->inherits(className_)) {
        ADD_FAILURE() << "unexpected " << window->metaObject()->className() << " \""
                      << window->windowTitle().toStdString() << "\"";
        closeLater(*window);
        return false;
    }
    answered_ = true;
    QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(window)] {
        if (!target)
            return;
        answer_(*target);
        if (target && target->isVisible()) {
            ADD_FAILURE() << "the answer left the " << className_ << " open";
            target->close();
        }
    });
    return false;
}

} // namespace quillbrook::testing
