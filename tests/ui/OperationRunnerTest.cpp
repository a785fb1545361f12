// A register operation in a window: input given meanwhile never acts afterwards, the window goes on painting,
// the live control and Escape still work, and a close request waits for the operation's end.
#include "ui/OperationRunner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <memory>

namespace
{
class Window : public QWidget
{
public:
    Window()
    {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w : std::initializer_list<QWidget*>{action, other, stop, status, busy})
            layout->addWidget(w);
        other->setEnabled(false); // disabled by its page before the operation
        runner = new OperationRunner(*this, busy, {status});
        connect(action, &QPushButton::clicked, this, [this] { ++actions; });
        connect(stop, &QPushButton::clicked, this, [this] { ++stops; });
    }
    int closeRequests = 0;
    int closes = 0;
    int actions = 0;
    int stops = 0;
    QPushButton* action = new QPushButton(QStringLiteral("Odczyt"), this);
    QPushButton* other = new QPushButton(QStringLiteral("Inny"), this);
    QPushButton* stop = new QPushButton(QStringLiteral("Zatrzymaj"), this);
    QLineEdit* status = new QLineEdit(this);
    QLabel* busy = new QLabel(this);
    OperationRunner* runner;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++closeRequests;
        if (runner->PostponeClose()) {
            event->ignore();
            return;
        }
        ++closes;
        event->accept();
    }
};

// A mouse click on the middle of the widget, posted: delivered whenever the receiving thread next looks.
void PostClick(QWidget* widget)
{
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            widget, new QMouseEvent(type, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
}

// Runs `during` once while a library call waits for it (at most 5 s), as the user-interface thread waits for the
// call.
void CallWith(OperationRunner& runner, const std::function<void()>& during)
{
    std::atomic<bool> done = false;
    QTimer::singleShot(30, [&] {
        during();
        done = true;
    });
    runner.Run([&done] {
        for (int waited = 0; !done && waited < 5000; waited += 10)
            QThread::msleep(10);
    });
}
} // namespace

class OperationRunnerTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        window_ = std::make_unique<Window>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void inputDuringACallNeverActsAfterwards();
    void inputQueuedWhileTheThreadWorksIsDropped();
    void windowPaintsAndShowsThatItIsBusy();
    void liveControlAndEscapeWorkDuringTheOperation();
    void closeRequestWaitsForTheEnd();
    void nestedOperationsEndOnce();

private:
    std::unique_ptr<Window> window_;
};

void OperationRunnerTest::inputDuringACallNeverActsAfterwards()
{
    Window& w = *window_;
    bool checked = false;
    CallWith(*w.runner, [&] {
        checked = true;
        QVERIFY(!w.action->isEnabled());
        QTest::mouseClick(w.action, Qt::LeftButton);
        QTest::mouseDClick(w.action, Qt::LeftButton);
        w.action->setFocus();
        QTest::keyClick(w.action, Qt::Key_Space);
        PostClick(w.action);
    });
    QTest::qWait(50);

    QVERIFY(checked);
    QCOMPARE(w.actions, 0);
    QVERIFY(w.action->isEnabled());
    QVERIFY(!w.other->isEnabled()); // stays as its page left it
    QTest::mouseClick(w.action, Qt::LeftButton);
    QCOMPARE(w.actions, 1);
}

void OperationRunnerTest::inputQueuedWhileTheThreadWorksIsDropped()
{
    Window& w = *window_;
    {
        const RegisterOperation operation(&w);
        // The user-interface thread works (database, files) and looks at no event meanwhile.
        PostClick(w.action);
        QCoreApplication::postEvent(w.action, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
        QThread::msleep(50);
    }
    QTest::qWait(50);
    QCOMPARE(w.actions, 0);
}

void OperationRunnerTest::windowPaintsAndShowsThatItIsBusy()
{
    Window& w = *window_;
    bool busyShown = false;
    bool cursorShown = false;
    std::atomic<int> paints = 0;
    CallWith(*w.runner, [&] {
        busyShown = w.busy->isVisible() && !w.busy->text().isEmpty();
        cursorShown =
            QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        w.status->setText(QStringLiteral("odświeżone"));
        w.status->repaint();
        ++paints;
    });
    QVERIFY(busyShown);
    QVERIFY(cursorShown);
    QCOMPARE(paints.load(), 1);
    QVERIFY(w.status->isEnabled()); // the status line is not greyed
    QVERIFY(!w.busy->isVisible());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void OperationRunnerTest::liveControlAndEscapeWorkDuringTheOperation()
{
    Window& w = *window_;
    int escapes = 0;
    const RegisterOperation operation(&w, QStringLiteral("Eksport"), w.stop, [&] { ++escapes; });
    CallWith(*w.runner, [&] {
        QVERIFY(w.stop->isEnabled());
        QTest::mouseClick(w.stop, Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::mouseClick(w.action, Qt::LeftButton);
    });
    QCOMPARE(w.stops, 1);
    QCOMPARE(escapes, 1);
    QCOMPARE(w.actions, 0);
}

void OperationRunnerTest::closeRequestWaitsForTheEnd()
{
    Window& w = *window_;
    CallWith(*w.runner, [&] { w.close(); });
    QCOMPARE(w.closeRequests, 1);
    QCOMPARE(w.closes, 0);
    QVERIFY(w.runner->ClosePending() == false); // handed on when the operation ended
    QTRY_COMPARE(w.closes, 1);
    QVERIFY(!w.isVisible());
}

void OperationRunnerTest::nestedOperationsEndOnce()
{
    Window& w = *window_;
    {
        const RegisterOperation outer(&w);
        CallWith(*w.runner, [] {});
        // Between two calls of one operation the controls stay disabled.
        QVERIFY(w.runner->Busy());
        QVERIFY(!w.action->isEnabled());
    }
    QVERIFY(!w.runner->Busy());
    QVERIFY(w.action->isEnabled());
}

QTEST_MAIN(OperationRunnerTest)
#include "OperationRunnerTest.moc"
