#pragma once
// Lets a window see the key strokes meant for any of its controls before the controls themselves do, as the
// operator expects of the program's windows (keys such as F2, Enter and Escape act wherever the focus is).
#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

class KeyPreview : public QObject
{
public:
    // Called for every key press and key release addressed to `window` or to a control inside it. `target` is
    // the control the key is meant for. Return true when the key has been handled: no control then sees it.
    using Handler = std::function<bool(QWidget* target, QKeyEvent* event)>;

    KeyPreview(QWidget* window, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    Handler handler_;
};
