// The about window, the message window and the directory chooser.
#include "app/ConstUnit.h"
#include "ui/AppEvents.h"
#include "ui/QtScreen.h"
#include "ui/SelDir.h"
#include "ui/Uwaga.h"
#include "ui/finfprog.h"
#include "util/Cp1250Literal.h"

#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

class AuxWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void messageWindowAnswers_data();
    void messageWindowAnswers();
    void messageWindowOkKeepsEarlierAnswer();
    void aboutWindowLabels();
    void directoryChooser();
    void questionAnswersArePolish_data();
    void questionAnswersArePolish();
};

// Counts the key strokes that reach a control.
class KeyCounter : public QObject
{
public:
    int keys = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            ++keys;
        return false;
    }
};

// What the operator does, as a function of the window.
using Answer = std::function<void(TfmUwaga&)>;
Q_DECLARE_METATYPE(Answer)

void AuxWindowsTest::messageWindowAnswers_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("Enter in the memo") << Answer([](TfmUwaga& w) { QTest::keyPress(w.mErr, Qt::Key_Return); }) << true;
    QTest::newRow("keypad Enter") << Answer([](TfmUwaga& w) { QTest::keyPress(w.mErr, Qt::Key_Enter); }) << true;
    QTest::newRow("Escape") << Answer([](TfmUwaga& w) { QTest::keyPress(&w, Qt::Key_Escape); }) << false;
    QTest::newRow("Enter button") << Answer([](TfmUwaga& w) { QTest::mouseClick(w.pnlEnter, Qt::LeftButton); }) << true;
    QTest::newRow("Escape button") << Answer([](TfmUwaga& w) { QTest::mouseClick(w.pnlEscape, Qt::LeftButton); })
                                   << false;
}

void AuxWindowsTest::messageWindowAnswers()
{
    QFETCH(Answer, answer);
    QFETCH(bool, confirmed);
    TfmUwaga window;
    window.mErr->setPlainText(QStringLiteral("Czy wysłać towary?"));
    window.show();
    KeyCounter memoKeys;
    window.mErr->installEventFilter(&memoKeys);

    answer(window);

    QVERIFY(window.KeyAnswered);
    QCOMPARE(window.Confirmed, confirmed);
    QVERIFY(!window.isVisible());
    QCOMPARE(memoKeys.keys, 0); // the memo never sees the key
}

void AuxWindowsTest::messageWindowOkKeepsEarlierAnswer()
{
    TfmUwaga window;
    window.show();
    QTest::keyPress(window.mErr, Qt::Key_Return);
    window.show();
    QTest::mouseClick(window.pnlOK, Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(window.KeyAnswered);
    QVERIFY(window.Confirmed);

    TfmUwaga fresh;
    fresh.show();
    QTest::mouseClick(fresh.pnlOK, Qt::LeftButton);
    QVERIFY(!fresh.KeyAnswered);
    QVERIFY(!fresh.Confirmed);
}

void AuxWindowsTest::aboutWindowLabels()
{
    for (const std::string& path : {std::string(), std::string("dbhost:/srv/firma/FIRMA.FDB")}) {
        ProgramTitle = "Wymiana danych z kasami ELZAB";
        DbPath = path;
        auto* window = new TfmInfProg;
        fmInfProg = window;
        window->show();
        QCOMPARE(window->Label1->text(), QStringLiteral("Wymiana danych z kasami ELZAB"));
        QCOMPARE(window->lwer->text(), QStringLiteral("3.0 [24.086]"));
        QCOMPARE(window->lbBaza->text(), QString::fromStdString(path));
        QVERIFY(window->lbExe->text().endsWith(QStringLiteral("ui_aux_test")));
        QCOMPARE(window->lbData->text(), QStringLiteral("( 26.03.2024 )"));
        // The build date starts 5 pixels after the end of the path, however long the path is.
        QCOMPARE(window->lbData->x(), window->lbExe->x() + window->lbExe->width() + 5);

        // Escape closes the window, which goes away and leaves no reference behind.
        QPointer<TfmInfProg> guard(window);
        QTest::keyRelease(window, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 5000);
        QCOMPARE(fmInfProg, nullptr);
    }
}

void AuxWindowsTest::directoryChooser()
{
    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkdir(QStringLiteral("Eksport")));
    const QString chosen = temp.path() + QStringLiteral("/Eksport");

    TfmSD window;
    window.show();
    QVERIFY(window.SelectedDir.isEmpty());

    window.DirListClick(window.dirModel->index(chosen));
    QCOMPARE(window.SelectedDir, chosen);
    QCOMPARE(window.Label1->text(), QStringLiteral("Wybrany katalog: ") + chosen);

    window.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(window.SelectedDir, chosen); // OK keeps the last clicked directory

    window.show();
    window.findChild<QPushButton*>(QStringLiteral("btnAnuluj"))->click();
    QVERIFY(!window.isVisible());
    QVERIFY(window.SelectedDir.isEmpty());
}

void AuxWindowsTest::questionAnswersArePolish_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Tak") << "Tak" << true;
    QTest::newRow("Nie") << "Nie" << false;
}

void AuxWindowsTest::questionAnswersArePolish()
{
    QFETCH(QString, answer);
    QFETCH(bool, yes);
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        for (QAbstractButton* button : box->buttons())
            buttons << button->text().remove(QLatin1Char('&'));
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove(QLatin1Char('&')) == answer)
                return button->click();
        box->reject(); // no such answer: the box must not stay open
    });

    QtScreen screen;
    QCOMPARE(screen.AskYesNo("Przerwać program?"_cp, "dbConnect"), yes);
    buttons.sort();
    QCOMPARE(buttons, QStringList({QStringLiteral("Nie"), QStringLiteral("Tak")}));
}

int main(int argc, char** argv)
{
    TarloApplication app(argc, argv);
    AuxWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AuxWindowsTest.moc"
