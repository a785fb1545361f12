#include "ui/OperationRunner.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>

#include <exception>
#include <thread>

namespace
{
const char* const DefaultBusyText = "Trwa wymiana danych z kasą – proszę czekać";

bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
} // namespace

OperationRunner::OperationRunner(QWidget& window, QLabel* busyLabel, const QList<QWidget*>& keptEnabled)
    : QObject(&window), window_(window), busyLabel_(busyLabel)
{
    for (QWidget* widget : keptEnabled)
        keptEnabled_.append(widget);
    if (busyLabel_)
        busyLabel_->hide();
}

OperationRunner::~OperationRunner()
{
    if (depth_ > 0)
        qApp->removeEventFilter(this);
}

OperationRunner* OperationRunner::Of(const QWidget* widget)
{
    if (widget == nullptr)
        return nullptr;
    return widget->window()->findChild<OperationRunner*>(QString(), Qt::FindDirectChildrenOnly);
}

void OperationRunner::Begin(const QString& text, QWidget* live, std::function<void()> onStop)
{
    if (depth_++ > 0)
        return;
    live_ = live;
    onStop_ = std::move(onStop);
    QWidget* focus = QApplication::focusWidget();
    focus_ = focus != nullptr && focus->window() == &window_ ? focus : nullptr;
    // Installed after every other filter, so it sees the window's input first (key previews included).
    qApp->installEventFilter(this);
    DisableControls(&window_);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    if (busyLabel_) {
        busyLabel_->setText(text.isEmpty() ? QString::fromUtf8(DefaultBusyText) : text);
        busyLabel_->show();
    }
}

void OperationRunner::End()
{
    if (depth_ == 0)
        return;
    if (depth_ > 1) {
        --depth_;
        return;
    }
    // Input that waited while this thread worked is delivered now, still to disabled controls, and dropped.
    QCoreApplication::processEvents();
    depth_ = 0;
    qApp->removeEventFilter(this);
    for (const QPointer<QWidget>& widget : std::as_const(disabled_))
        if (widget)
            widget->setEnabled(true);
    disabled_.clear();
    if (focus_ && focus_->isEnabled() && focus_->isVisible())
        focus_->setFocus(Qt::OtherFocusReason);
    focus_ = nullptr;
    QApplication::restoreOverrideCursor();
    if (busyLabel_)
        busyLabel_->hide();
    live_ = nullptr;
    onStop_ = nullptr;
    if (quitPending_) {
        quitPending_ = false;
        closePending_ = false;
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    } else if (closePending_) {
        closePending_ = false;
        // Once the operation's own code has finished too.
        QMetaObject::invokeMethod(
            &window_, [window = &window_] { window->close(); }, Qt::QueuedConnection);
    }
}

void OperationRunner::Run(const std::function<void()>& call)
{
    if (running_) {
        call();
        return;
    }
    Begin(QString());
    running_ = true;
    std::exception_ptr failure;
    bool finished = false; // set on this thread, by the worker's message that the call is over
    QEventLoop loop;
    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            &loop,
            [&finished, &loop] {
                finished = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    // The loop ends by the worker's message alone: a request to quit the application is held by the event filter
    // and carried out when the operation is over. Only QCoreApplication::exit() called directly ends the loop
    // early; a new loop would then return at once again and again, so the call is waited for without one (the
    // window is not repainted meanwhile) and the application ends afterwards, as it was told.
    loop.exec();
    if (!finished)
        quitPending_ = true;
    worker.join();
    running_ = false;
    End();
    if (failure)
        std::rethrow_exception(failure);
}

bool OperationRunner::PostponeClose()
{
    if (depth_ == 0)
        return false;
    closePending_ = true;
    return true;
}

bool OperationRunner::IsLive(const QObject* object) const
{
    if (!live_ || !object->isWidgetType())
        return false;
    const auto* widget = static_cast<const QWidget*>(object);
    return widget == live_ || live_->isAncestorOf(widget);
}

bool OperationRunner::IsKept(const QWidget* widget) const
{
    if (widget == busyLabel_)
        return true;
    for (const QPointer<QWidget>& kept : keptEnabled_)
        if (widget == kept)
            return true;
    return false;
}

void OperationRunner::DisableControls(QWidget* parent)
{
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto* widget = static_cast<QWidget*>(child);
        if (widget->isWindow() || widget == live_ || IsKept(widget))
            continue;
        const auto holds = [widget](const QWidget* inner) { return inner != nullptr && widget->isAncestorOf(inner); };
        bool holdsEnabled = holds(live_) || holds(busyLabel_);
        for (const QPointer<QWidget>& kept : std::as_const(keptEnabled_))
            holdsEnabled = holdsEnabled || holds(kept);
        if (holdsEnabled) {
            DisableControls(widget);
        } else if (!widget->testAttribute(Qt::WA_ForceDisabled)) {
            // Controls disabled on their own stay as their page left them.
            widget->setEnabled(false);
            disabled_.append(widget);
        }
    }
}

bool OperationRunner::eventFilter(QObject* watched, QEvent* event)
{
    if (depth_ > 0 && watched == qApp && event->type() == QEvent::Quit) {
        // The application is asked to end (a signal, the session ending): once the operation is over.
        quitPending_ = true;
        return true;
    }
    if (depth_ == 0 || !IsInput(event->type()) || !watched->isWidgetType())
        return false;
    // Message boxes and other windows work as usual.
    if (static_cast<QWidget*>(watched)->window() != &window_ || IsLive(watched))
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && onStop_)
        onStop_();
    return true;
}

RegisterOperation::RegisterOperation(const QWidget* page, const QString& text, QWidget* live,
                                     std::function<void()> onStop)
    : runner_(OperationRunner::Of(page))
{
    if (runner_)
        runner_->Begin(text, live, std::move(onStop));
}

RegisterOperation::~RegisterOperation()
{
    if (runner_)
        runner_->End();
}
