#include "ui/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPreview::KeyPreview(QWidget* window, Handler handler)
    : QObject(window), window_(window), handler_(std::move(handler))
{
    // An application-wide filter sees a key event before the control it is addressed to. A key that is not
    // consumed travels on to the parents of that control and passes here again; only handled keys are
    // consumed, so a key is handled at most once.
    qApp->installEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    if (!watched->isWidgetType())
        return false;
    auto* target = static_cast<QWidget*>(watched);
    if (target != window_ && !window_->isAncestorOf(target))
        return false;
    return handler_(target, static_cast<QKeyEvent*>(event));
}
