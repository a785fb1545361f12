// Input given while a register operation runs in the main window, with the stand-in slowed down: nothing of it
// acts afterwards, a double click on any operation button acts once, the export stops between two goods when
// asked, and closing waits for the operation.
#include "PagesTestSupport.h"
#include "db/dbDDM.h"
#include "exchange/CallRunner.h"
#include "exchange/FmElzab.h"
#include "ui/AppEvents.h"
#include "ui/ExportPage.h"
#include "ui/OperationRunner.h"
#include "ui/PageControls.h"
#include "ui/ReadoutPage.h"
#include "ui/RegisterGoodsPage.h"
#include "ui/UMain.h"
#include "util/MyUtil.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>

namespace
{
// Runs winip-sim (beside the stand-in library) on the test's simulator folder; its exit code.
int Sim(const std::string& arguments)
{
    const std::string command = std::string(std::getenv("TARLO_BIN_DIR")) + "/winip-sim " + arguments + " >/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every simulated wait of the stand-in (time-outs, transmission) at `factor` times its length while it lives.
class TimeScale
{
public:
    explicit TimeScale(const char* factor) { setenv("WINIP_TIME_SCALE", factor, 1); }
    ~TimeScale() { setenv("WINIP_TIME_SCALE", "0.01", 1); }
};

// One click on the middle of the widget, as the window system would deliver it: posted, handled whenever the
// user-interface thread next looks at its events.
void PostClick(QWidget* widget)
{
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            widget, new QMouseEvent(type, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
}

// A double click on the middle of the widget, posted as the window system delivers it: press, release, the second
// press as a double click, release. The first release starts the button's action; the rest waits in the queue.
void PostDoubleClick(QWidget* widget)
{
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(widget,
                                    new QMouseEvent(type, centre, global, Qt::LeftButton,
                                                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                                                    Qt::NoModifier));
}

// Every library call of the core passes here on its way to the window's runner, and is counted.
class CountingRunner : public ICallRunner
{
public:
    explicit CountingRunner(ICallRunner* inner) : inner_(inner) {}
    void Run(const std::function<void()>& call) override
    {
        ++calls;
        inner_->Run(call);
    }
    int calls = 0;

private:
    ICallRunner* inner_;
};

// Clicks and keys on `button`, given at once and posted, as an impatient operator would.
void Press(QWidget* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    PostClick(button);
    QCoreApplication::postEvent(button, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
    QCoreApplication::postEvent(button, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier));
}

bool StatusIsRed()
{
    const QColor colour = Frm->edErr->palette().color(QPalette::Text);
    return colour.red() > 150 && colour.green() < 80;
}

ReadoutPage* Readout()
{
    return Frm->tbsOdczyt;
}

ExportPage* Export()
{
    return Frm->tbsTowary;
}

// Runs `action` once, as soon as the main window is busy with a register operation.
void WhenBusy(QObject* context, std::function<void()> action)
{
    QTimer::singleShot(20, context, [context, action = std::move(action)]() mutable {
        if (Frm->operations->Busy())
            action();
        else
            WhenBusy(context, std::move(action));
    });
}

// Runs `action` once during the library call for the third good of the export, whatever the machine's speed.
void WhileExporting(QObject* context, const std::function<void()>& action)
{
    auto done = std::make_shared<bool>(false);
    QObject::connect(Export()->pbEksport, &QProgressBar::valueChanged, context, [context, action, done](int value) {
        if (value < 2 || *done)
            return;
        *done = true;
        QTimer::singleShot(50, context, action);
    });
}

// Selects the first `count` goods of the demo catalogue whose symbols are whole numbers.
void SelectNumberedGoods(int count)
{
    dm->RunSQL("update blok_cen set wybor=0");
    dm->RunSQL("update blok_cen set wybor=1 where asort in (select first " + std::to_string(count) + " asort from " +
               GoodsTable + " where nieaktywny<>1 and asort similar to '[0-9]+' order by asort)");
}

// The .txt files of a folder.
int FilesIn(const std::string& folder)
{
    std::vector<std::string> files;
    return ListFiles(files, folder, "*.txt");
}

// One operation button of the window for the double-click table: the sub-page it is on, what the operation needs
// first, how many library calls one run of it makes, and what one run (not two) leaves behind.
struct OperationButton {
    const char* name;
    QWidget* (*page)();
    QAbstractButton* (*button)();
    void (*prepare)(const PagesProgram& program);
    int calls;
    // Empty when the operation acted once; otherwise what is wrong.
    QString (*actedOnce)(const PagesProgram& program);
};

void SalesInRegister(const PagesProgram& program)
{
    std::filesystem::create_directories(program.RegisterFolder(1));
    SaveText("$00100\t2.000\t500\n", program.RegisterFolder(1) + "/sprzedaz.txt");
}

QString GreenStatus()
{
    return StatusIsRed() ? QStringLiteral("red status: ") + Frm->edErr->text() : QString();
}

const OperationButton OperationButtons[] = {
    {"Odczyt", [] { return static_cast<QWidget*>(Readout()); },
     [] { return static_cast<QAbstractButton*>(Readout()->btnRead); }, SalesInRegister, 1,
     [](const PagesProgram&) {
         const int stored = FilesIn(DayDir);
         return stored == 1 ? GreenStatus() : QStringLiteral("%1 readouts stored").arg(stored);
     }},
    {"Zerowanie liczników sprzedaży", [] { return static_cast<QWidget*>(Readout()); },
     [] { return static_cast<QAbstractButton*>(Readout()->btnNumReset); }, SalesInRegister, 2,
     [](const PagesProgram&) {
         const int stored = FilesIn(ResetReportsDir());
         return stored == 1 ? GreenStatus() : QStringLiteral("%1 reset reports stored").arg(stored);
     }},
    {"Prześlij dane do Wolnar", [] { return static_cast<QWidget*>(Readout()); },
     [] { return static_cast<QAbstractButton*>(Readout()->btnSendData); },
     [](const PagesProgram& program) {
         SalesInRegister(program);
         Readout()->btnRead->click(); // stores the readout that ReadingFile names
         Readout()->btnSendData->setEnabled(true);
     },
     0,
     [](const PagesProgram&) {
         // A second hand-over would paint "został już przesłany" in red over the success.
         return Frm->edErr->text().startsWith(QStringLiteral("Przesłano odczyt ")) ? GreenStatus() : Frm->edErr->text();
     }},
    {"Eksportuj", [] { return static_cast<QWidget*>(Export()); },
     [] { return static_cast<QAbstractButton*>(Export()->btnEksport); },
     [](const PagesProgram&) {
         SelectNumberedGoods(3);
         Export()->rgKasa->click();
         Export()->rgDane->SetItemIndex(1); // "pełne ": the register stores the goods
     },
     3,
     [](const PagesProgram& program) {
         // A second export would find nothing selected and say so in red.
         const size_t held = FileLines(program.RegisterFolder(1) + "/towary.txt").size();
         return held == 3 ? GreenStatus() : QStringLiteral("%1 goods in the register").arg(held);
     }},
    {"Wczytaj wykaz", [] { return static_cast<QWidget*>(Frm->tbsWykazTow); },
     [] { return static_cast<QAbstractButton*>(Frm->tbsWykazTow->btnRefrWykaz); }, [](const PagesProgram&) {}, 1,
     [](const PagesProgram&) { return GreenStatus(); }},
    {"Porównanie z kasą", [] { return static_cast<QWidget*>(Frm->tbsWykazTow); },
     [] { return static_cast<QAbstractButton*>(Frm->tbsWykazTow->btnPorownaj); }, [](const PagesProgram&) {}, 1,
     [](const PagesProgram&) {
         return Frm->tbsWykazTow->LastComparison().report.empty() ? QStringLiteral("no comparison") : QString();
     }},
};
} // namespace

class OperationInputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { program_.reset(); }
    void init();

    void doubleClickOnAnOperationButtonActsOnce_data();
    void doubleClickOnAnOperationButtonActsOnce();
    void resetClickedDuringAFailedReadoutDoesNothing();
    void doubleClickOnReadoutStoresOneReadout();
    void windowShowsThatItIsBusy();
    void exportStopsBetweenTwoGoods_data();
    void exportStopsBetweenTwoGoods();
    void secondClickOnExportDoesNotActAfterIt();
    // Closes the main window: the last test.
    void closeDuringExportStopsItThenCloses();

private:
    std::unique_ptr<PagesProgram> program_;
};

void OperationInputTest::initTestCase()
{
    SetErrorBoxShown(false);
    program_ = std::make_unique<PagesProgram>();
    const std::string problem = program_->Start();
    QVERIFY2(problem.empty(), problem.c_str());
    QVERIFY(fmE->callRunner == Frm->operations);
}

void OperationInputTest::init()
{
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    Frm->PCtrlPraca->setCurrentWidget(Readout());
    UpdateWorkPaths();
    std::error_code ignored;
    std::filesystem::remove_all(DayDir, ignored);
    std::filesystem::remove_all(program_->RegisterFolder(1), ignored);
    EnsureDir(DayDir);
    // The ledger forgets the stored files removed above, so a readout stored again under their names is new.
    for (const char* table : {"ODCZYTY_KAS_SUMY", "ODCZYTY_KAS", "PRZEKAZANE_SUMY", "KASY_OKRESY", "PRZESLANE_ODCZYTY"})
        dm->RunSQL(std::string("delete from ") + table);
    Komunikat("", false);
}

void OperationInputTest::doubleClickOnAnOperationButtonActsOnce_data()
{
    QTest::addColumn<int>("row");
    for (int row = 0; row < static_cast<int>(std::size(OperationButtons)); ++row)
        QTest::newRow(OperationButtons[row].name) << row;
}

void OperationInputTest::doubleClickOnAnOperationButtonActsOnce()
{
    QFETCH(int, row);
    const OperationButton& operation = OperationButtons[row];
    Frm->PCtrlPraca->setCurrentWidget(operation.page());
    std::error_code ignored;
    std::filesystem::remove_all(ResetReportsDir(), ignored);
    operation.prepare(*program_);
    QTRY_VERIFY(!Frm->operations->Busy());
    QAbstractButton* button = operation.button();
    QVERIFY(button->isVisible() && button->isEnabled());
    CountingRunner counter(fmE->callRunner);
    fmE->callRunner = &counter;
    const OnScopeExit restore([] { fmE->callRunner = Frm->operations; });

    PostDoubleClick(button);
    QTRY_VERIFY(counter.calls >= operation.calls && !Frm->operations->Busy());
    QTest::qWait(100); // anything still queued would act now

    QCOMPARE(counter.calls, operation.calls);
    const QString wrong = operation.actedOnce(*program_);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    QVERIFY(button->isEnabled());
}

void OperationInputTest::resetClickedDuringAFailedReadoutDoesNothing()
{
    const std::string folder = program_->RegisterFolder(1);
    std::filesystem::create_directories(folder);
    SaveText("$00100\t2.000\t500\n", folder + "/sprzedaz.txt");
    QCOMPARE(Sim("fail 1 OTSpMax 21 raz"), 0);
    const TimeScale slow("0.1"); // the time-out of 5 s lasts 0.5 s
    bool disabled = false;
    WhenBusy(this, [&] {
        disabled = !Readout()->btnNumReset->isEnabled();
        Press(Readout()->btnNumReset);
        Press(Frm->btnExit);
    });

    Readout()->btnRead->click();
    QTest::qWait(100);

    QVERIFY(disabled);
    QCOMPARE(ExchangeResult, uint8_t(21));
    QVERIFY(StatusIsRed());
    QVERIFY(Frm->edErr->text().contains(QStringLiteral("Error 21")));
    QVERIFY(Frm->isVisible());
    // The day's sales are still in the register: a readout now reports them.
    Readout()->btnRead->click();
    QCOMPARE(ExchangeResult, uint8_t(0));
    QVERIFY(Readout()->Memo->toPlainText().contains(QStringLiteral("00100")));
}

void OperationInputTest::doubleClickOnReadoutStoresOneReadout()
{
    const std::string folder = program_->RegisterFolder(1);
    std::filesystem::create_directories(folder);
    SaveText("$00100\t2.000\t500\n", folder + "/sprzedaz.txt");
    QCOMPARE(Sim("delay 1 on"), 0);
    const TimeScale slow("4");
    WhenBusy(this, [] { QTest::mouseDClick(Readout()->btnRead, Qt::LeftButton); });

    QTest::mouseClick(Readout()->btnRead, Qt::LeftButton);
    QTest::qWait(100);
    QCOMPARE(Sim("delay 1 off"), 0);

    std::vector<std::string> stored;
    QCOMPARE(ListFiles(stored, DayDir, "*.txt"), 1);
    QVERIFY(Readout()->btnRead->isEnabled());
}

void OperationInputTest::windowShowsThatItIsBusy()
{
    QCOMPARE(Sim("fail 1 OTSpMax 21 raz"), 0);
    const TimeScale slow("0.06");
    bool busyShown = false;
    bool registersDisabled = false;
    bool cursorBusy = false;
    WhenBusy(this, [&] {
        busyShown = Frm->lbBusy->isVisible() && Frm->lbBusy->text().startsWith(QStringLiteral("Trwa"));
        registersDisabled = !Frm->dbgWK->isEnabled() && !Frm->dtpSprz->isEnabled() && !Frm->PCtrlMain->isEnabled();
        cursorBusy = QApplication::overrideCursor() != nullptr;
    });

    Readout()->btnRead->click();

    QVERIFY(busyShown);
    QVERIFY(registersDisabled);
    QVERIFY(cursorBusy);
    QVERIFY(!Frm->lbBusy->isVisible());
    QVERIFY(Frm->dbgWK->isEnabled() && Frm->dtpSprz->isEnabled() && Frm->PCtrlMain->isEnabled());
}

void OperationInputTest::exportStopsBetweenTwoGoods_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("stop button") << false;
    QTest::newRow("Escape") << true;
}

void OperationInputTest::exportStopsBetweenTwoGoods()
{
    QFETCH(bool, escape);
    Frm->PCtrlPraca->setCurrentWidget(Export());
    SelectNumberedGoods(12);
    Export()->rgKasa->click();
    Export()->rgDane->SetItemIndex(1); // "pełne ": the register stores the goods
    QCOMPARE(Sim("delay 1 on"), 0);
    const TimeScale slow("2"); // about 0.15 s a good
    bool stopShown = false;
    WhileExporting(this, [&] {
        stopShown = Export()->btnStop->isVisible() && Export()->btnStop->isEnabled();
        if (escape)
            QTest::keyClick(Export()->XDBG, Qt::Key_Escape);
        else
            QTest::mouseClick(Export()->btnStop, Qt::LeftButton);
    });

    Export()->btnEksport->click();
    Export()->pbEksport->disconnect(this);
    QCOMPARE(Sim("delay 1 off"), 0);

    QVERIFY(stopShown);
    const size_t sent = FileLines(program_->RegisterFolder(1) + "/towary.txt").size();
    QVERIFY2(sent >= 1 && sent < 12, std::to_string(sent).c_str());
    QCOMPARE(SelectedGoods(), int64_t(12 - sent)); // the goods not sent keep their selection
    QVERIFY(StatusIsRed());
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Eksport zatrzymany: %1 / 12").arg(sent));
    QVERIFY(Export()->btnStop->isHidden());
    QVERIFY(Export()->btnEksport->isEnabled());
}

void OperationInputTest::secondClickOnExportDoesNotActAfterIt()
{
    Frm->PCtrlPraca->setCurrentWidget(Export());
    SelectNumberedGoods(3);
    Export()->rgKasa->click();
    Export()->rgDane->SetItemIndex(1); // "pełne ": the register stores the goods
    QCOMPARE(Sim("delay 1 on"), 0);
    const TimeScale slow("2");
    WhenBusy(this, [] { Press(Export()->btnEksport); });

    Export()->btnEksport->click();
    QTest::qWait(100);
    QCOMPARE(Sim("delay 1 off"), 0);

    QCOMPARE(SelectedGoods(), int64_t(0));
    QCOMPARE(FileLines(program_->RegisterFolder(1) + "/towary.txt").size(), size_t(3));
    QVERIFY(!StatusIsRed());
    QVERIFY(Frm->edErr->text() != QStringLiteral("Brak zaznaczonych pozycji"));
}

void OperationInputTest::closeDuringExportStopsItThenCloses()
{
    Frm->PCtrlPraca->setCurrentWidget(Export());
    SelectNumberedGoods(12);
    Export()->rgKasa->click();
    Export()->rgDane->SetItemIndex(1); // "pełne ": the register stores the goods
    QCOMPARE(Sim("delay 1 on"), 0);
    const TimeScale slow("2");
    bool stillOpen = false;
    WhileExporting(this, [&] {
        Frm->close(); // the close box, the exit button or a signal
        stillOpen = Frm->isVisible();
    });

    Export()->btnEksport->click();
    Export()->pbEksport->disconnect(this);
    QCOMPARE(Sim("delay 1 off"), 0);

    QVERIFY(stillOpen);
    const size_t sent = FileLines(program_->RegisterFolder(1) + "/towary.txt").size();
    QVERIFY2(sent >= 1 && sent < 12, std::to_string(sent).c_str());
    QTRY_VERIFY(!Frm->isVisible());
}

int main(int argc, char** argv)
{
    TarloApplication app(argc, argv);
    OperationInputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OperationInputTest.moc"
