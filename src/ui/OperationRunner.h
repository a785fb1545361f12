#pragma once
// A register operation in the main window. While it runs:
//  - the window's controls are disabled and every click, key, wheel turn or context menu addressed to the window
//    is dropped, so nothing given meanwhile acts once the operation is over (only the controls named live, such
//    as the export's stop button, keep working; Escape asks the operation to stop);
//  - each library call runs on a worker thread while the window's event loop goes on, so the window repaints
//    and shows that it is busy (the busy cursor and a text below the pages);
//  - a request to close the window (close box, exit button, a signal) or to quit the application is remembered and
//    carried out when the operation is over.
// The runner is the window's only event pump during an operation and the only place that disables its controls:
// the pages and the core never disable buttons for the length of an operation, and nothing else runs events.
// Database access and every window call stay on the user-interface thread: only the library call moves.
#include "exchange/CallRunner.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QWidget;

class OperationRunner : public QObject, public ICallRunner
{
    Q_OBJECT

public:
    // A child of `window`. `busyLabel` (may be null) shows the busy text during an operation; it and the
    // widgets `keptEnabled` (the status line) are not disabled, though they take no input either.
    OperationRunner(QWidget& window, QLabel* busyLabel, const QList<QWidget*>& keptEnabled = {});
    ~OperationRunner() override;

    // The runner of the window that holds `widget`, or null.
    static OperationRunner* Of(const QWidget* widget);

    // Starts an operation (they nest; only the outermost one counts). `live` keeps taking input, `onStop` is
    // what Escape does (both may be null); `text` is shown while the window is busy.
    void Begin(const QString& text, QWidget* live = nullptr, std::function<void()> onStop = {});
    // Ends an operation. The outermost one first drops the input still queued, then enables the controls
    // again and carries out a close request that came meanwhile.
    void End();
    bool Busy() const { return depth_ > 0; }

    // ICallRunner: runs the call on a worker thread and waits for it in a local event loop, busy meanwhile.
    void Run(const std::function<void()>& call) override;

    // For the window's close handler: true (the request kept for later) while an operation runs.
    bool PostponeClose();
    bool ClosePending() const { return closePending_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DisableControls(QWidget* parent);
    bool IsLive(const QObject* object) const;
    bool IsKept(const QWidget* widget) const;

    QWidget& window_;
    QPointer<QLabel> busyLabel_;
    QList<QPointer<QWidget>> keptEnabled_;
    int depth_ = 0;
    bool running_ = false; // a library call is being waited for
    bool closePending_ = false;
    bool quitPending_ = false; // the application was asked to quit during the operation
    QPointer<QWidget> live_;
    std::function<void()> onStop_;
    QPointer<QWidget> focus_;
    QList<QPointer<QWidget>> disabled_;
};

// One register operation for the length of a scope (Begin and End of the runner of the widget's window; nothing
// when the window has none).
class RegisterOperation
{
public:
    explicit RegisterOperation(const QWidget* page, const QString& text = QString(), QWidget* live = nullptr,
                               std::function<void()> onStop = {});
    ~RegisterOperation();
    RegisterOperation(const RegisterOperation&) = delete;
    RegisterOperation& operator=(const RegisterOperation&) = delete;

private:
    OperationRunner* runner_;
};
