// The program body and the main window: start and abandoned log-in, the first show, pages and help topics,
// the register list, the sales date, the status line, closing and the application-wide error handler.
#include "UiTestSupport.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "ui/AppEvents.h"
#include "ui/DeletionPage.h"
#include "ui/ErrorReportPage.h"
#include "ui/ExportPage.h"
#include "ui/GoodsModel.h"
#include "ui/HelpWindow.h"
#include "ui/ParamsPage.h"
#include "ui/Program.h"
#include "ui/UMain.h"
#include "ui/UiText.h"
#include "ui/finfprog.h"
#include "ui/flog.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QWheelEvent>

#include <stdexcept>

namespace
{
const char* const ExitLine = "***********  Koniec pracy - Exit";
const char* const CloseLine = "***********  Koniec pracy - Close";

int64_t SelectedGoods()
{
    return dm->ReadInteger("il", "select count(*) as il from blok_cen where wybor=1", -1);
}

// Throws from its event handler, as an operation that fails inside an event would.
class Throwing : public QObject
{
public:
    explicit Throwing(std::function<void()> thrower) : thrower_(std::move(thrower)) {}
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            thrower_();
        return QObject::event(e);
    }

private:
    std::function<void()> thrower_;
};
} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SetErrorBoxShown(false); }
    void cleanup();

    void abandonedLoginEndsWithoutMainWindow();
    void firstShow();
    void firstShowWithBadPriceField();
    void firstShowWithoutRegisters();
    void deletionPageOutOfReach();
    void pageChangesSetHelpTopics_data();
    void pageChangesSetHelpTopics();
    void errorReportPageShowsReport();
    void helpButtons();
    void f2BringsSearchField();
    void registerListChangesRegister();
    void leavingDatePickerUpdatesPaths();
    void statusLine();
    void fitsA1024x768Screen();
    void closing_data();
    void closing();
    void errorHandler_data();
    void errorHandler();

private:
    // Starts the program as its body does, with the log-in confirmed, and shows the main window.
    void StartProgram();

    std::unique_ptr<UiSession> session_;
};

void MainWindowTest::cleanup()
{
    DestroyModulesAndWindows();
    session_.reset();
}

void MainWindowTest::StartProgram()
{
    session_ = std::make_unique<UiSession>(demodb::Content::Demo);
    session_->OnNextLogin([] { fmLog->btnPotwClick(); });
    QVERIFY(CreateModulesAndWindows());
    QVERIFY(fmLog == nullptr); // the log-in window is gone
    Frm->show();
    QVERIFY(QTest::qWaitForWindowActive(Frm));
    QVERIFY2(session_->log->Text().find("!!!!!!!!!!!") == std::string::npos, session_->log->Text().c_str());
}

void MainWindowTest::abandonedLoginEndsWithoutMainWindow()
{
    session_ = std::make_unique<UiSession>(demodb::Content::Schema);
    session_->OnNextLogin([] { QTest::keyClick(fmLog->lbePass, Qt::Key_Escape); });

    QVERIFY(!CreateModulesAndWindows());

    QVERIFY(LoginAborted);
    QVERIFY(Frm != nullptr && !Frm->isVisible());
    QVERIFY(!dm->Connected());
    QCOMPARE(session_->log->Lines().back(), std::string("***********  Koniec pracy - rezygnacja z wejscia"));
}

void MainWindowTest::firstShow()
{
    StartProgram();

    QCOMPARE(Frm->windowTitle(),
             QStringLiteral("Brenmo_Soft             Wymiana danych z kasami ELZAB  v.3.0 [24.086]"));
    QVERIFY(Frm->windowState() & Qt::WindowMaximized);
    QCOMPARE(PriceColumn, 2);
    QCOMPARE(Frm->PCtrlMain->currentWidget(), Frm->tbsPraca);
    QCOMPARE(Frm->PCtrlPraca->currentWidget(), Frm->tbsTowary);
    QVERIFY(!Frm->PCtrlPraca->isTabVisible(Frm->PCtrlPraca->indexOf(Frm->tbsDel)));
    QVERIFY(!Frm->PCtrlPraca->isTabEnabled(Frm->PCtrlPraca->indexOf(Frm->tbsDel)));
    // The keyboard starts in the goods grid of the sub-page in front.
    QCOMPARE(QApplication::focusWidget(), Frm->tbsTowary->XDBG);
    QCOMPARE(HelpContextId, 10);
    QVERIFY(dm->JestTabela("blok_cen"));

    // The first register of the list is current.
    QCOMPARE(CurrentRegisterId, 1);
    QCOMPARE(RegisterCode, std::string("01"));
    QCOMPARE(Frm->dbgWK->currentIndex().row(), 0);
    QCOMPARE(Frm->dbgWK->model()->rowCount(), 3);
    QCOMPARE(Frm->dbgWK->model()->data(Frm->dbgWK->model()->index(2, 0)).toString(), QStringLiteral("Kasa 03"));
    QCOMPARE(Frm->dbgWK->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Kasa"));

    // The sales date is today and the paths follow it.
    QCOMPARE(Frm->dtpSprz->date(), QDate::currentDate());
    QCOMPARE(Frm->dtpSprz->calendarWidget()->locale().language(), QLocale::Polish);
    QCOMPARE(GoodsTable, "Kartas" + std::to_string(QDate::currentDate().year()));

    // The about panel fills "O programie".
    QVERIFY(fmInfProg != nullptr && fmInfProg->parentWidget() == Frm->tbsOpis);
    QCOMPARE(ProgramTitle, std::string("Wymiana danych z kasami ELZAB"));
    QCOMPARE(fmInfProg->Label1->text(), QStringLiteral("Wymiana danych z kasami ELZAB"));
    QCOMPARE(fmInfProg->lbBaza->text(), QString::fromStdString(DbPath));
}

void MainWindowTest::firstShowWithBadPriceField()
{
    // The first register names a price field the catalogue does not have: opening its goods fails.
    session_ = std::make_unique<UiSession>(demodb::Content::Demo);
    session_->OnNextLogin([] {
        fmLog->btnPotwClick();
        dm->RunSQL("update com_def set cena='BRAK_POLA' where id=1");
    });
    QVERIFY(CreateModulesAndWindows());
    Frm->show();

    // The error is reported once; the window is still set up in full and the operator can pick another register.
    QVERIFY(session_->log->Text().find("!!!!!!!!!!! Brak pola BRAK_POLA") != std::string::npos);
    QVERIFY(!Frm->PCtrlPraca->isTabVisible(Frm->PCtrlPraca->indexOf(Frm->tbsDel)));
    QCOMPARE(HelpContextId, 10);
    QVERIFY(Frm->windowTitle().endsWith(QStringLiteral("v.3.0 [24.086]")));
    QVERIFY(fmInfProg != nullptr && fmInfProg->parentWidget() == Frm->tbsOpis);
    QVERIFY(Frm->tbsTowary->cbGrupy->count() > 0);
    QCOMPARE(Frm->dbgWK->model()->rowCount(), 3);
    Frm->dbgWK->setCurrentIndex(Frm->dbgWK->model()->index(1, 0));
    QCOMPARE(CurrentRegisterId, 2);
    QVERIFY(Frm->tbsTowary->Model()->rowCount() > 0);
}

void MainWindowTest::firstShowWithoutRegisters()
{
    session_ = std::make_unique<UiSession>(demodb::Content::Demo);
    session_->OnNextLogin([] {
        fmLog->btnPotwClick();
        dm->RunSQL("delete from com_def");
    });
    QVERIFY(CreateModulesAndWindows());
    Frm->show();

    // No register becomes current; the pages that need none still work.
    QCOMPARE(CurrentRegisterId, -1);
    QCOMPARE(Frm->dbgWK->model()->rowCount(), 0);
    QVERIFY(!Frm->PCtrlPraca->isTabVisible(Frm->PCtrlPraca->indexOf(Frm->tbsDel)));
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsParam);
    QVERIFY(Frm->tbsParam->lbeNrKasySystem->text().isEmpty());
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsErrLog);
    QCOMPARE(Frm->tbsErrLog->Memo2->toPlainText(), QStringLiteral("Brak raportu"));
}

void MainWindowTest::deletionPageOutOfReach()
{
    StartProgram();
    QList<QWidget*> starts;
    for (int i = 0; i < Frm->PCtrlPraca->count(); ++i)
        if (Frm->PCtrlPraca->widget(i) != Frm->tbsDel)
            starts << Frm->PCtrlPraca->widget(i);
    for (int i = 1; i < Frm->PCtrlMain->count(); ++i)
        starts << Frm->PCtrlMain->widget(i);

    for (QWidget* start : starts) {
        Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
        if (Frm->PCtrlPraca->indexOf(start) >= 0)
            Frm->PCtrlPraca->setCurrentWidget(start);
        else
            Frm->PCtrlMain->setCurrentWidget(start);
        start->setFocus();
        for (const Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
            for (int press = 0; press < 10; ++press) {
                QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : Frm;
                QTest::keyClick(target, Qt::Key_Tab, modifiers);
                QVERIFY2(Frm->PCtrlPraca->currentWidget() != Frm->tbsDel, qPrintable(start->objectName()));
            }
        }
    }

    // The mouse wheel over the sub-page tabs.
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    QTabBar* tabs = Frm->PCtrlPraca->tabBar();
    const QPointF centre = QRectF(tabs->rect()).center();
    for (const int delta : {-120, 120}) {
        for (int turn = 0; turn < 6; ++turn) {
            QWheelEvent wheel(centre, tabs->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(tabs, &wheel);
            QVERIFY(Frm->PCtrlPraca->currentWidget() != Frm->tbsDel);
        }
    }
}

void MainWindowTest::pageChangesSetHelpTopics_data()
{
    QTest::addColumn<QString>("mainPage");
    QTest::addColumn<QString>("subPage"); // empty: the sub-page is left as it is
    QTest::addColumn<int>("topic");
    QTest::newRow("Parametry") << "tbsParam"
                               << "" << 30;
    QTest::newRow("Raport o błędach") << "tbsErrLog"
                                      << "" << 40;
    QTest::newRow("O programie") << "tbsOpis"
                                 << "" << 50;
    QTest::newRow("back to the export sub-page") << "tbsPraca"
                                                 << "" << 15;
    QTest::newRow("readout") << "tbsPraca"
                             << "tbsOdczyt" << 10;
    QTest::newRow("register goods") << "tbsPraca"
                                    << "tbsWykazTow" << 20;
}

void MainWindowTest::pageChangesSetHelpTopics()
{
    QFETCH(QString, mainPage);
    QFETCH(QString, subPage);
    QFETCH(int, topic);
    StartProgram();
    // Start from another main page, so that every row is a change of main page or of sub-page.
    Frm->PCtrlMain->setCurrentWidget(mainPage == QLatin1String("tbsOpis") ? static_cast<QWidget*>(Frm->tbsParam)
                                                                          : Frm->tbsOpis);

    Frm->PCtrlMain->setCurrentWidget(Frm->PCtrlMain->findChild<QWidget*>(mainPage));
    if (!subPage.isEmpty())
        Frm->PCtrlPraca->setCurrentWidget(Frm->PCtrlPraca->findChild<QWidget*>(subPage));

    QCOMPARE(HelpContextId, topic);
    QCOMPARE(Frm->CurrentHelpTopic(), topic);
    // With a topic the context-help button looks for the help file (there is none here), and so does F1.
    Frm->btnHelp->click();
    QCOMPARE(session_->screen.messages.size(), size_t(1));
    QTest::keyClick(Frm, Qt::Key_F1);
    QCOMPARE(session_->screen.messages.size(), size_t(2));
}

void MainWindowTest::errorReportPageShowsReport()
{
    StartProgram();
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsErrLog);
    QCOMPARE(Frm->tbsErrLog->Memo2->toPlainText(), QStringLiteral("Brak raportu"));

    Frm->PCtrlMain->setCurrentWidget(Frm->tbsParam);
    SaveText(Cp(QStringLiteral("Kasa 01: błąd transmisji\r\n")), ErrorReportFile);
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsErrLog);
    QCOMPARE(Frm->tbsErrLog->Memo2->toPlainText().trimmed(), QStringLiteral("Kasa 01: błąd transmisji"));
}

void MainWindowTest::helpButtons()
{
    StartProgram();
    // No help file beside the program.
    Frm->btnHelp->click();
    Frm->btnHlp->click();
    const std::vector<std::string> missing(2, Cp(QStringLiteral("Brak pliku z pomocą")));
    QCOMPARE(session_->screen.messages, missing);
    QVERIFY(Frm->helpWindow() == nullptr);

    // Our help document, with the topics the pages refer to and its contents.
    const QString built = qEnvironmentVariable("TARLO_BIN_DIR") + QStringLiteral("/Tarlo.hlp");
    QVERIFY(QFile::copy(built, QString::fromStdString(ExeDir) + QStringLiteral("tarlo.HLP")));
    for (int topic : {0, 10, 12, 15, 20, 30, 40, 50}) {
        HelpContextId = topic;
        topic == 0 ? Frm->btnHlp->click() : Frm->btnHelp->click();
        QVERIFY(Frm->helpWindow() != nullptr && Frm->helpWindow()->isVisible());
        const QString anchor = HelpWindow::AnchorOf(topic);
        QVERIFY2(Frm->helpWindow()->browser()->toHtml().contains(QStringLiteral("name=\"%1\"").arg(anchor)),
                 qPrintable(anchor));
    }
    QCOMPARE(session_->screen.messages.size(), size_t(2));
    // Every command the pages offer has its section.
    const QString document = Frm->helpWindow()->browser()->toPlainText();
    for (const char* command :
         {"Prześlij dane do Wolnar", "Prześlij zaległe", "oczekuje na przesłanie", "Porównanie z kasą", "Zapisz raport",
          "Zaznacz do eksportu", "zmienione od ostatniego eksportu", "Zatrzymaj", "Escape",
          "Trwa wymiana danych z kasą"})
        QVERIFY2(document.contains(QString::fromUtf8(command)), command);
}

void MainWindowTest::fitsA1024x768Screen()
{
    StartProgram();
    Frm->setWindowState(Qt::WindowNoState);
    // 768 less the window's title bar and a desktop panel.
    Frm->resize(1024, 720);
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    Frm->PCtrlPraca->setCurrentWidget(Frm->tbsTowary);
    Frm->show();
    QTest::qWait(50);
    Frm->grab().save(QDir::tempPath() + QStringLiteral("/tarlo-main-1024x720.png"));
    QVERIFY2(Frm->minimumSizeHint().width() <= 1024, qPrintable(QString::number(Frm->minimumSizeHint().width())));
    QVERIFY2(Frm->minimumSizeHint().height() <= 720, qPrintable(QString::number(Frm->minimumSizeHint().height())));
    QCOMPARE(Frm->width(), 1024);
    // The goods names can be read: the name column keeps room for a register name's 19 characters.
    const int name = Frm->tbsTowary->XDBG->columnWidth(GoodsModel::ColNazwa);
    const int wanted = Frm->tbsTowary->XDBG->fontMetrics().horizontalAdvance(QString(19, QLatin1Char('n')));
    QVERIFY2(name >= wanted, qPrintable(QStringLiteral("%1 < %2").arg(name).arg(wanted)));

    // On a wide screen the columns before the name show their whole titles.
    Frm->resize(1920, 1040);
    QTest::qWait(50);
    const QHeaderView* header = Frm->tbsTowary->XDBG->horizontalHeader();
    for (int column = 0; column < GoodsModel::ColNazwa; ++column) {
        const QString title = Frm->tbsTowary->Model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        QVERIFY2(header->sectionSize(column) > header->fontMetrics().horizontalAdvance(title), qPrintable(title));
    }
}

void MainWindowTest::f2BringsSearchField()
{
    StartProgram();
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsParam);
    Frm->dbgWK->setFocus();

    QTest::keyClick(Frm->dbgWK, Qt::Key_F2);

    QCOMPARE(Frm->PCtrlMain->currentWidget(), Frm->tbsPraca);
    QCOMPARE(Frm->PCtrlPraca->currentWidget(), Frm->tbsTowary);
    QCOMPARE(QApplication::focusWidget(), Frm->tbsTowary->edSeek);
    QCOMPARE(Frm->tbsTowary->edSeek->objectName(), QStringLiteral("edSeek"));
}

void MainWindowTest::registerListChangesRegister()
{
    StartProgram();
    Frm->dbgWK->setCurrentIndex(Frm->dbgWK->model()->index(1, 0));
    QCOMPARE(CurrentRegisterId, 2);
    QCOMPARE(RegisterCode, std::string("02"));
    QCOMPARE(RegisterDir, DataDir + "Kasa02/");
}

void MainWindowTest::leavingDatePickerUpdatesPaths()
{
    StartProgram();
    Frm->dtpSprz->setDate(QDate(2023, 5, 6));
    QCOMPARE(SalesDate, Today()); // nothing changes before the picker is left

    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Frm->dtpSprz, &leave);

    QCOMPARE(SalesDate, (Date{2023, 5, 6}));
    QCOMPARE(GoodsTable, std::string("Kartas2023"));
    QCOMPARE(DayDir, DataDir + "Kasa01/20230506/");
}

void MainWindowTest::statusLine()
{
    StartProgram();
    const QColor green = [] {
        Komunikat(Cp(QStringLiteral("Eksport zakończony")), false);
        return Frm->edErr->palette().color(QPalette::Text);
    }();
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Eksport zakończony"));

    Komunikat(Cp(QStringLiteral("Brak zaznaczonych pozycji")), true);
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Brak zaznaczonych pozycji"));
    const QColor red = Frm->edErr->palette().color(QPalette::Text);
    QVERIFY(red.red() > red.green() && green.green() > green.red());

    Komunikat("", true);
    QVERIFY(Frm->edErr->text().isEmpty());
    QCOMPARE(Frm->edErr->palette().color(QPalette::Text), red);
}

void MainWindowTest::closing_data()
{
    QTest::addColumn<bool>("exitButton");
    QTest::newRow("exit button") << true;
    QTest::newRow("close box") << false;
}

void MainWindowTest::closing()
{
    QFETCH(bool, exitButton);
    StartProgram();
    QVERIFY(dm->RunSQL("update blok_cen set wybor=1"));
    QVERIFY(SelectedGoods() > 0);
    session_->log->Clear();

    if (exitButton)
        QTest::mouseClick(Frm->btnExit, Qt::LeftButton);
    else
        Frm->close();

    QVERIFY(!Frm->isVisible());
    QCOMPARE(SelectedGoods(), 0);
    std::vector<std::string> expected;
    if (exitButton)
        expected.push_back(ExitLine);
    expected.push_back(CloseLine);
    QCOMPARE(session_->log->Lines(), expected);
}

void MainWindowTest::errorHandler_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("database error") << "std"
                                    << "Tabela nie istnieje: Kartas2024";
    QTest::newRow("Polish letters") << "std"
                                    << "Błędna wartość";
    QTest::newRow("empty message") << "std"
                                   << "";
    QTest::newRow("not a std::exception") << "other"
                                          << "Nieznany błąd";
}

void MainWindowTest::errorHandler()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    session_ = std::make_unique<UiSession>(std::nullopt);
    const std::string text = Cp(message);
    Throwing failing([&] {
        if (kind == QLatin1String("std"))
            throw std::runtime_error(text);
        throw 42;
    });

    QEvent event(QEvent::User);
    QVERIFY(!QApplication::sendEvent(&failing, &event)); // the handler takes the error; the program goes on

    QCOMPARE(session_->log->Text(), "FORM :   \r\n!!!!!!!!!!! " + text + "\r\n");
}

int main(int argc, char** argv)
{
    TarloApplication app(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
