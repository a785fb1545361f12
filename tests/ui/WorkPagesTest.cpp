// The readout, register goods, deletion, parameters and error report pages on the demo database, with the
// stand-in communication library.
#include "Faults.h"
#include "PagesTestSupport.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/ExchangeView.h"
#include "exchange/FmElzab.h"
#include "exchange/OperationStatus.h"
#include "exchange/ReadoutLedger.h"
#include "ui/AppEvents.h"
#include "ui/DeletionPage.h"
#include "ui/ErrorReportPage.h"
#include "ui/ExportPage.h"
#include "ui/PageControls.h"
#include "ui/ParamsPage.h"
#include "ui/ReadoutPage.h"
#include "ui/RegisterGoodsPage.h"
#include "ui/UMain.h"
#include "ui/UiText.h"
#include "util/Cp1250.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/ScopeExit.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <stdexcept>

namespace
{
QStringList Lines(const QPlainTextEdit* memo)
{
    return memo->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// One good sold on the simulated register 1, as the register's sales totals file holds it.
void SellOnRegister(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    SaveText("$00100\t2.000\t500\n", folder + "/sprzedaz.txt");
}

// A stored readout file in the layout of the register's response.
void StoreReadout(const std::string& name, const std::string& code)
{
    SaveText("Kasa nr 1 - sumy sprzedaży towarów\r\nOdczyt: 01.01.2024 10:00:00\r\nKod\tIlość\r\n$"_cp + code +
                 "\t1.000\t250\tTowar\r\n",
             DayDir + name);
}

QString Status()
{
    return Frm->edErr->text();
}

// The work history as text; empty when there is none.
QString History()
{
    std::string text;
    ReadWholeFile(WorkLog->FileName, text);
    return QString::fromStdString(Win1250ToUtf8(text));
}

QColor StatusColour()
{
    return Frm->edErr->palette().color(QPalette::Text);
}

bool StatusIsRed()
{
    return StatusColour().red() > 150 && StatusColour().green() < 80;
}

int64_t ComDef(const std::string& field)
{
    return dm->ReadInteger(field, "select " + field + " from com_def where id=1", -1);
}

void SelectRegister(int row)
{
    Frm->dbgWK->setCurrentIndex(Frm->dbgWK->model()->index(row, 0));
}

// Lets the register goods list fail inside the window, as an unexpected error would.
class FailingRegisterGoods : public IExchangeView
{
public:
    void MemoClear() override {}
    void MemoInsertFirst(const std::string&) override {}
    void MemoAppend(const std::vector<std::string>&) override {}
    void SetRegisterGoods(const std::vector<std::string>&) override { throw std::runtime_error("awaria okna"); }
    std::vector<PickedGood> PickedGoods() const override { return {}; }
    void UnpickRow(int) override {}
};
} // namespace

class WorkPagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { program_.reset(); }
    void init();

    void readoutThroughTheStandIn();
    void counterReset();
    void counterResetAfterATestReplayIsRefused();
    void noStoredReadouts();
    void storedReadouts();
    void readoutListClosesOnRegisterChange();
    void registerGoodsList();
    void registerGoodsButtonsComeBackAfterAnError();
    void failedGoodsListClearsTheListAndSaysSo();
    void deletionSaysWhatWasDeleted();
    void historyThatCannotBeWrittenIsShownOnce();
    void errorReportThatCannotBeWrittenIsShownOnce();
    void storedReadoutsShowWholeTexts();
    void longStatusShowsItsBeginning();
    void comparisonSelectsWhatTheRegisterLacks();
    void deletionPageButtons();
    void registerSettingsSaveAndCancel();
    void registerSettingsRefuseBadNumber();
    void generalParametersSaveAndCancel();
    void errorReportMissing();
    void duplicateNamesTest();
    void workHistory();
    void zeroingTheErrorReport();
    void printingOpensTheReport();
    void menuButtonOpensMenuBelowIt();

private:
    ReadoutPage* Readout() const { return Frm->tbsOdczyt; }
    ErrorReportPage* Report() const { return Frm->tbsErrLog; }
    ParamsPage* Params() const { return Frm->tbsParam; }
    void ShowPage(QWidget* page);

    std::unique_ptr<PagesProgram> program_;
};

void WorkPagesTest::initTestCase()
{
    SetErrorBoxShown(false);
    program_ = std::make_unique<PagesProgram>();
    const std::string problem = program_->Start();
    QVERIFY2(problem.empty(), problem.c_str());
}

void WorkPagesTest::init()
{
    SelectRegister(0);
    Frm->dtpSprz->setDate(QDate::currentDate());
    UpdateWorkPaths();
    ShowPage(Readout());
    Readout()->BtnCloseWKZClick();
    Readout()->MemoClear();
    Komunikat("", false);
    program_->session->screen.prompts.clear();
    program_->session->screen.answers.clear();
    // The ledger forgets the stored files removed below, so a readout stored again under their names is new.
    for (const char* table : {"ODCZYTY_KAS_SUMY", "ODCZYTY_KAS", "PRZEKAZANE_SUMY", "KASY_OKRESY", "PRZESLANE_ODCZYTY"})
        dm->RunSQL(std::string("delete from ") + table);
    std::error_code ignored;
    std::filesystem::remove_all(DayDir, ignored);
    std::filesystem::remove_all(program_->RegisterFolder(1), ignored);
    EnsureDir(DayDir);
}

void WorkPagesTest::ShowPage(QWidget* page)
{
    if (Frm->PCtrlPraca->indexOf(page) >= 0) {
        Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
        Frm->PCtrlPraca->setCurrentWidget(page);
        return;
    }
    // Entering a main page loads what it shows, so it is entered anew.
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    Frm->PCtrlMain->setCurrentWidget(page);
}

// ---- readout page

void WorkPagesTest::readoutThroughTheStandIn()
{
    SellOnRegister(program_->RegisterFolder(1));

    Readout()->btnRead->click();

    QCOMPARE(ExchangeResult, uint8_t(0));
    const QStringList report = Lines(Readout()->Memo);
    QCOMPARE(report.size(), 1);
    QVERIFY2(report[0].startsWith(QStringLiteral("   1  00100")) && report[0].contains(QStringLiteral("2.000")),
             qPrintable(report[0]));
    std::vector<std::string> stored;
    QCOMPARE(ListFiles(stored, DayDir, "*.txt"), 1);
    // The line says what was stored, in green, and, as after every successful read, not in the history.
    const QString expected = QStringLiteral("Odczyt kasy 01: 1 pozycja, wartość 5.00 zł, zapisany w pliku ") +
                             QString::fromStdString(stored[0]);
    QCOMPARE(Status(), expected);
    QVERIFY(!StatusIsRed());
    QVERIFY(!History().contains(QStringLiteral("Odczyt kasy 01:")));
    QVERIFY(Readout()->btnRead->isEnabled());
    QVERIFY(Readout()->btnNumReset->isEnabled());
    QVERIFY(QFontInfo(Readout()->Memo->font()).fixedPitch());
}

void WorkPagesTest::counterReset()
{
    SellOnRegister(program_->RegisterFolder(1));

    Readout()->btnNumReset->click();

    QCOMPARE(ExchangeResult, uint8_t(0));
    std::vector<std::string> reports;
    QCOMPARE(ListFiles(reports, ResetReportsDir(), "*.txt"), 1);
    const QString expected =
        QStringLiteral("Liczniki sprzedaży kasy 01 wyzerowane; raport przed zerowaniem: 1 pozycja, wartość 5.00 zł, "
                       "zapisany w pliku ") +
        QString::fromStdString(reports[0]);
    QCOMPARE(Status(), expected);
    QVERIFY(!StatusIsRed());
    QCOMPARE(Lines(Readout()->Memo).first(), expected);
    QVERIFY(Readout()->btnRead->isEnabled());
    QVERIFY(Readout()->btnNumReset->isEnabled());
    // The register's totals are zero now: the next readout reports nothing.
    Readout()->btnRead->click();
    QVERIFY2(Lines(Readout()->Memo).size() == 0, qPrintable(Lines(Readout()->Memo).join(QStringLiteral("|"))));
}

void WorkPagesTest::counterResetAfterATestReplayIsRefused()
{
    SellOnRegister(program_->RegisterFolder(1));
    Readout()->btnRead->click();
    QCOMPARE(ExchangeResult, uint8_t(0));
    // The support tool's marker: the next readout replays the response just received.
    const std::string marker = std::filesystem::current_path().string() + "/Test.dat";
    SaveText("", marker);
    // The replay forbids resets for the rest of the run; the later tests need them.
    const OnScopeExit forget([&marker] {
        std::filesystem::remove(marker);
        fmE->testReplayed = false;
    });
    Readout()->btnRead->click();

    Readout()->btnNumReset->click();

    // The refusal is the last word, in red; nothing says the counters were zeroed, and the register keeps its sales.
    QVERIFY2(StatusIsRed() && Status().contains(QStringLiteral("Test.dat")), qPrintable(Status()));
    QVERIFY2(!Status().contains(QStringLiteral("wyzerowane")), qPrintable(Status()));
    std::string sales;
    QVERIFY(ReadWholeFile(program_->RegisterFolder(1) + "/sprzedaz.txt", sales));
    QVERIFY(sales.find("$00100") != std::string::npos);
}

void WorkPagesTest::noStoredReadouts()
{
    // The paths follow the date picker even when it has not been left.
    const QDate yesterday = QDate::currentDate().addDays(-1);
    Frm->dtpSprz->setDate(yesterday);
    Readout()->MemoInsertFirst("poprzedni tekst");

    Readout()->btnOdczyty->click();

    QCOMPARE(Lines(Readout()->Memo), QStringList{QStringLiteral("Brak odczytów z kasy 01 z dnia ") +
                                                 yesterday.toString(QStringLiteral("dd.MM.yyyy"))});
    QVERIFY(Readout()->pnlWkz->isHidden());
    QVERIFY(!Readout()->btnOdczyty->isHidden());
}

void WorkPagesTest::storedReadouts()
{
    const std::string day = DateText(SalesDate);
    const std::vector<std::string> names = {"001_" + day + "_001.txt", "001_" + day + "_002.txt",
                                            "001_" + day + "_003.txt"};
    // Readouts of one counting period: the register's totals never fall from one to the next.
    StoreReadout(names[0], "00101");
    StoreReadout(names[1], "00101");
    StoreReadout(names[2], "00101");
    // Files put there by hand are handed over only once the ledger knows them, as after an upgrade.
    QCOMPARE(RecordExistingFiles(), 3);

    QVERIFY(QTest::qWaitForWindowActive(Frm));
    Readout()->btnOdczyty->setFocus();
    QTest::keyClick(Readout()->btnOdczyty, Qt::Key_Space);

    // The keyboard goes to the list, not on to the counter reset, which asks no question.
    QCOMPARE(QApplication::focusWidget(), Readout()->lbOdczyty);
    QVERIFY(!Readout()->pnlWkz->isHidden());
    QVERIFY(!Readout()->lbOdczyty->isHidden());
    QVERIFY(Readout()->btnOdczyty->isHidden());
    QCOMPARE(Readout()->lbOdczyty->count(), 3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(Readout()->lbOdczyty->item(i)->text().startsWith(QString::fromStdString(names[i])));
    QCOMPARE(Readout()->lbOdczyty->currentRow(), 0);
    QVERIFY(!Readout()->btnSendData->isEnabled());
    QCOMPARE(Lines(Readout()->Memo).size(), 0); // selecting the first entry does not open it

    // Choosing the second entry shows it.
    QListWidgetItem* second = Readout()->lbOdczyty->item(1);
    QTest::mouseClick(Readout()->lbOdczyty->viewport(), Qt::LeftButton, {},
                      Readout()->lbOdczyty->visualItemRect(second).center());

    QCOMPARE(ReadingFile, DayDir + names[1]);
    QCOMPARE(QApplication::focusWidget(), Readout()->btnOdczyty);
    QCOMPARE(Lines(Readout()->Memo).size(), 1);
    QVERIFY(Lines(Readout()->Memo)[0].contains(QStringLiteral("00101")));
    QVERIFY(Readout()->btnSendData->isEnabled());
    QVERIFY(Readout()->pnlWkz->isHidden());
    QVERIFY(!Readout()->btnOdczyty->isHidden());

    // The hand-over to Wolnar says what went over, empties the text area, and the list marks the file.
    Readout()->btnSendData->click();
    QVERIFY2(Frm->edErr->text().startsWith(QStringLiteral("Przesłano odczyt ") + QString::fromStdString(names[1]) +
                                           QStringLiteral(" do Wolnar: 1 pozycja sprzedaży o wartości 2.50 zł")),
             qPrintable(Frm->edErr->text()));
    QVERIFY(!StatusIsRed());
    QCOMPARE(Readout()->Memo->toPlainText(), QString());
    QVERIFY(Readout()->btnSendData->isEnabled());
    Readout()->btnOdczyty->click();
    QVERIFY(Readout()->lbOdczyty->item(1)->text().startsWith(QString::fromStdString(names[1]) +
                                                             QStringLiteral("   przesłany ")));
    QCOMPARE(Readout()->lbOdczyty->item(0)->text(),
             QString::fromStdString(names[0]) + QStringLiteral("   oczekuje na przesłanie"));
    Readout()->BtnCloseWKZClick();

    // The list's context menu hands over and closes as its items say.
    Readout()->btnOdczyty->click();
    Readout()->MemoInsertFirst("tekst");
    const QList<QAction*> items = Readout()->pmOdczyty->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QStringLiteral("Prześlij dane do Wolnar"));
    QCOMPARE(items[1]->text(), QStringLiteral("Zamknij wykaz"));
    emit Readout()->lbOdczyty->customContextMenuRequested(
        Readout()->lbOdczyty->visualItemRect(Readout()->lbOdczyty->item(2)).center());
    Readout()->pmOdczyty->close();
    items[0]->trigger();
    QCOMPARE(Readout()->Memo->toPlainText(), QString());
    QVERIFY(!Readout()->btnSendData->isEnabled()); // the list is still open and no entry has been chosen
    // The status line of the hand-over lets pending events through, among them the activation of the menu that
    // the test closed before triggering its item; a real click closes the menu first.
    QApplication::setActiveWindow(Frm);
    Readout()->lbOdczyty->setFocus();
    items[1]->trigger();
    QCOMPARE(QApplication::focusWidget(), Readout()->btnOdczyty);
    QVERIFY(Readout()->pnlWkz->isHidden());
    QVERIFY(!Readout()->btnOdczyty->isHidden());
}

void WorkPagesTest::readoutListClosesOnRegisterChange()
{
    StoreReadout("001_" + DateText(SalesDate) + "_001.txt", "00100");
    Readout()->btnOdczyty->click();
    QVERIFY(!Readout()->pnlWkz->isHidden());
    Readout()->MemoInsertFirst("tekst");

    SelectRegister(1);

    QCOMPARE(RegisterCode, std::string("02"));
    QVERIFY(Readout()->pnlWkz->isHidden());
    QVERIFY(!Readout()->btnOdczyty->isHidden());
    QCOMPARE(Readout()->Memo->toPlainText(), QString());
    QCOMPARE(Params()->grpParamKasy->title(), QStringLiteral(" Parametry pracy kasy 02 "));
}

// ---- register goods and deletion pages

void WorkPagesTest::registerGoodsList()
{
    ShowPage(Frm->tbsWykazTow);

    Frm->tbsWykazTow->btnRefrWykaz->click();

    const QStringList lines = Lines(Frm->tbsWykazTow->Memo1);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines[0], QStringLiteral("Wykaz towarów w kasie nr 1"));
    QVERIFY(Frm->tbsWykazTow->btnRefrWykaz->isEnabled());
    QVERIFY(!Frm->tbsDel->btnRefeshDel->isHidden());
    QVERIFY(Frm->tbsDel->btnRefeshDel->isEnabledTo(Frm->tbsDel));
}

void WorkPagesTest::comparisonSelectsWhatTheRegisterLacks()
{
    RegisterGoodsPage* page = Frm->tbsWykazTow;
    ShowPage(page);
    dm->RunSQL("update blok_cen set wybor=0");

    page->btnPorownaj->click();

    // The register of the fresh simulator holds nothing: every good that can be sent is missing there.
    const QStringList lines = Lines(page->Memo1);
    QVERIFY(lines.size() > 5);
    QVERIFY(lines[0].startsWith(QStringLiteral("Porównanie z kasą 01")));
    const auto missing = static_cast<int64_t>(Frm->tbsWykazTow->LastComparison().toSend.size());
    QVERIFY(missing > 100);
    QVERIFY(lines.contains(QStringLiteral("1. Towary, których brak w kasie: %1").arg(missing)));
    QVERIFY(page->btnPorownaj->isEnabled());
    QVERIFY(page->btnZapiszPor->isEnabled());
    QVERIFY(page->btnZaznaczPor->isEnabled());

    page->btnZaznaczPor->click();
    QCOMPARE(SelectedGoods(), missing);
    QCOMPARE(Flag("D'ARBO1", "wybor"), int64_t(0));

    // "Changed since the last export" agrees: nothing is remembered for an empty register.
    dm->RunSQL("update blok_cen set wybor=0");
    ShowPage(Frm->tbsTowary);
    Frm->tbsTowary->rgWybor->Item(3)->click();
    QCOMPARE(SelectedGoods(), missing);
    QCOMPARE(Frm->tbsTowary->rgWybor->ItemIndex(), -1);
    dm->RunSQL("update blok_cen set wybor=0");
}

void WorkPagesTest::failedGoodsListClearsTheListAndSaysSo()
{
    RegisterGoodsPage* page = Frm->tbsWykazTow;
    ShowPage(page);
    page->btnRefrWykaz->click();
    QCOMPARE(Status(), QStringLiteral("Wczytano wykaz towarów kasy 01: 0 towarów"));
    QVERIFY(!StatusIsRed());
    QVERIFY(!page->Memo1->toPlainText().isEmpty());
    QVERIFY(!History().contains(QStringLiteral("Wczytano wykaz")));

    QCOMPARE(testsupport::SetRegisterAbsent(1, true), 0);
    page->btnRefrWykaz->click();
    QCOMPARE(testsupport::SetRegisterAbsent(1, false), 0);

    // The old list is gone and the failure stays on the line.
    QVERIFY(page->Memo1->toPlainText().isEmpty());
    QVERIFY2(Status().startsWith(QStringLiteral("Nie wczytano wykazu towarów kasy 01: [TowarMax] Error 20 : ")),
             qPrintable(Status()));
    QVERIFY(StatusIsRed());
    QVERIFY(page->btnRefrWykaz->isEnabled());
}

void WorkPagesTest::deletionSaysWhatWasDeleted()
{
    QVERIFY(DeletedGoodsText("01", {}, 0) == "Skasowano w kasie 01 0 towarów"_cp);
    QVERIFY(DeletedGoodsText("01", {"00001"}, 1) == "Skasowano w kasie 01 1 towar: 00001");
    QVERIFY(DeletedGoodsText("01", {"00001", "00002"}, 3) ==
            "Skasowano w kasie 01 2 towary z 3 zaznaczonych: 00001, 00002");
}

void WorkPagesTest::historyThatCannotBeWrittenIsShownOnce()
{
    const std::string logFile = WorkLog->FileName;
    // A folder where the history file should be: nothing can be appended there, not even by root.
    WorkLog->FileName = DataDir + "H_folder.txt";
    EnsureDir(WorkLog->FileName);

    Komunikat("pierwszy", false);
    const QString first = Status();
    Komunikat("drugi", false);
    const QString second = Status();
    const bool secondRed = StatusIsRed();
    LogLine("trzeci");
    const QString third = Status();
    WorkLog->FileName = logFile;
    Komunikat("czwarty", false);

    QVERIFY2(first.startsWith(QStringLiteral("pierwszy | Nie można zapisać historii pracy ")), qPrintable(first));
    QVERIFY(first.contains(QStringLiteral("H_folder.txt (")));
    // Once: the next lines show only themselves.
    QCOMPARE(second, QStringLiteral("drugi"));
    QVERIFY(!secondRed);
    QCOMPARE(third, QStringLiteral("drugi"));
    QCOMPARE(Status(), QStringLiteral("czwarty"));
    QVERIFY(History().contains(QStringLiteral("czwarty")));
    std::error_code ignored;
    std::filesystem::remove_all(DataDir + "H_folder.txt", ignored);
}

void WorkPagesTest::errorReportThatCannotBeWrittenIsShownOnce()
{
    // An absent report stays silent: a failed call shows only its own error.
    std::error_code ignored;
    std::filesystem::remove(ErrorReportFile, ignored);
    QCOMPARE(testsupport::PlanRegisterFault(1, "TowarMax", 23), 0);
    Frm->tbsWykazTow->btnRefrWykaz->click();
    QVERIFY(!Status().contains(QStringLiteral("raportu błędów")));

    // A report that exists but cannot grow: the failure, with its reason, goes with the error it concerns.
    SaveText(std::string(64 * 1024, 'x'), ErrorReportFile);
    QCOMPARE(testsupport::PlanRegisterFault(1, "TowarMax", 23), 0);
    QString shown;
    {
        const testsupport::FileSizeLimit limit(32 * 1024);
        Frm->tbsWykazTow->btnRefrWykaz->click();
        shown = Status();
    }
    QVERIFY2(shown.startsWith(QStringLiteral("Nie wczytano wykazu towarów kasy 01: [TowarMax] Error 23")),
             qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral(" | Nie można zapisać raportu błędów ")), qPrintable(shown));
    QVERIFY(StatusIsRed());
    std::filesystem::remove(ErrorReportFile, ignored);
}

void WorkPagesTest::storedReadoutsShowWholeTexts()
{
    const std::string day = DateText(SalesDate);
    StoreReadout("001_" + day + "_001_z_bardzo_dluga_nazwa_pliku_odczytu.txt", "00100");

    Frm->setWindowState(Qt::WindowNoState);
    Frm->resize(1024, 768);
    Readout()->btnOdczyty->click();
    QApplication::processEvents();

    QListWidgetItem* item = Readout()->lbOdczyty->item(0);
    QVERIFY(item != nullptr);
    QCOMPARE(item->toolTip(), item->text());
    const int needed = Readout()->lbOdczyty->fontMetrics().horizontalAdvance(item->text());
    QVERIFY2(Readout()->lbOdczyty->viewport()->width() >= needed,
             qPrintable(QStringLiteral("%1 < %2").arg(Readout()->lbOdczyty->viewport()->width()).arg(needed)));
    QCOMPARE(Readout()->lbOdczyty->textElideMode(), Qt::ElideRight);
    Frm->setWindowState(Qt::WindowMaximized);
}

void WorkPagesTest::longStatusShowsItsBeginning()
{
    const QString text = QStringLiteral("[OSprzed] Error 252 : Nie zapisano pliku ") + QString(300, QLatin1Char('x'));
    Komunikat(Cp(text), true);
    QCOMPARE(Frm->edErr->cursorPosition(), 0);
    QCOMPARE(Frm->edErr->toolTip(), text);
    QCOMPARE(Status(), text);
}

void WorkPagesTest::registerGoodsButtonsComeBackAfterAnError()
{
    FailingRegisterGoods failing;
    IExchangeView* previous = fmE->view;
    fmE->view = &failing;
    bool raised = false;
    try {
        Frm->tbsWykazTow->btnRefeshDelClick();
    } catch (const std::exception&) {
        raised = true;
    }
    fmE->view = previous;

    QVERIFY(raised);
    QVERIFY(Frm->tbsWykazTow->btnRefrWykaz->isEnabled());
    QVERIFY(!Frm->tbsDel->btnRefeshDel->isHidden());
    QVERIFY(Frm->tbsDel->btnRefeshDel->isEnabledTo(Frm->tbsDel));
}

void WorkPagesTest::deletionPageButtons()
{
    // The page is out of the operator's reach; here it is shown as if it were not.
    const int tab = Frm->PCtrlPraca->indexOf(Frm->tbsDel);
    Frm->PCtrlPraca->setTabEnabled(tab, true);
    const OnScopeExit hide([tab] { Frm->PCtrlPraca->setTabEnabled(tab, false); });
    Frm->tbsDel->btnDel->click();
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Brak zaznaczonych pozycji"));
    QVERIFY(StatusIsRed());

    // Deleting every good asks first; "No" leaves the register alone.
    program_->session->screen.answers = {false, true};
    ExchangeResult = 99;
    Frm->tbsDel->btnDelAll->click();
    QCOMPARE(ExchangeResult, uint8_t(99));
    QCOMPARE(program_->session->screen.prompts.size(), size_t(1));
    QCOMPARE(program_->session->screen.prompts[0].caption, Cp(QStringLiteral("Kasowanie towarów")));
    QCOMPARE(program_->session->screen.prompts[0].text,
             Cp(QStringLiteral("Czy skasować wszystkie towary w kasie 01?")));

    // The window's operation runner shows the busy cursor and disables the controls meanwhile.
    Frm->tbsDel->btnDelAll->click();

    QCOMPARE(ExchangeResult, uint8_t(0));
    for (QWidget* control : std::initializer_list<QWidget*>{Frm->tbsDel->btnDel, Frm->tbsDel->btnDelAll,
                                                            Frm->tbsDel->grpDel, Frm->tbsTowary->btnEksport})
        QVERIFY(control->isEnabled());
}

// ---- parameters page

void WorkPagesTest::registerSettingsSaveAndCancel()
{
    ShowPage(Params());
    QCOMPARE(Params()->lbeTimeout->text(), QStringLiteral("5"));
    QCOMPARE(Params()->rgRate->ItemIndex(), 1);
    QCOMPARE(Params()->rgCom->ItemIndex(), 0);
    QCOMPARE(Params()->cmbCena->currentText(), QStringLiteral("CENA_1"));
    // The register's price field is shown only: a choice there would not be saved.
    QVERIFY(!Params()->cmbCena->isEnabled());
    // A stored value longer than the two characters the field takes is shown and saved whole.
    QCOMPARE(Params()->lbeKontrahent->text(), QStringLiteral("101"));

    Params()->lbeTimeout->setText(QStringLiteral("7"));
    Params()->rgCom->Item(2)->click();
    Params()->rgRate->Item(2)->click();
    Params()->btnSave->click();

    QCOMPARE(ComDef("timeout"), int64_t(7));
    QCOMPARE(ComDef("port"), int64_t(3));
    QCOMPARE(ComDef("szybkosc"), int64_t(19200));
    QCOMPARE(ComDef("kod"), int64_t(101));
    QCOMPARE(PortNumber, std::string("3"));

    Params()->lbeTimeout->setText(QStringLiteral("9"));
    Params()->rgCom->Item(0)->click();
    Params()->btnCan->click();

    QCOMPARE(Params()->lbeTimeout->text(), QStringLiteral("7"));
    QCOMPARE(Params()->rgCom->ItemIndex(), 2);
    QCOMPARE(ComDef("timeout"), int64_t(7));

    dm->RunSQL("update com_def set timeout=5,port=1,szybkosc=9600 where id=1");
}

void WorkPagesTest::registerSettingsRefuseBadNumber()
{
    ShowPage(Params());
    Params()->lbeTimeout->setText(QStringLiteral("x"));

    Params()->btnSave->click();

    QCOMPARE(Frm->edErr->text(), QStringLiteral("Pole \"Timeout dla pracy z kasą\" musi zawierać liczbę całkowitą"));
    QVERIFY(StatusIsRed());
    QCOMPARE(ComDef("timeout"), int64_t(5));

    // The save that goes through replaces the refusal.
    Params()->lbeTimeout->setText(QStringLiteral("5"));
    Params()->btnSave->click();
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Zapisano parametry kasy"));
    QVERIFY(!StatusIsRed());
}

void WorkPagesTest::generalParametersSaveAndCancel()
{
    ShowPage(Params());
    QTableWidget* rates = Params()->vleStawki;
    QTableWidget* units = Params()->sgJM;
    QCOMPARE(rates->item(0, 0)->text(), QStringLiteral("A"));
    QCOMPARE(rates->item(0, 1)->text(), QStringLiteral("23.00"));
    QCOMPARE(units->item(0, 2)->text(), QStringLiteral("Skrót"));
    QCOMPARE(units->item(2, 0)->text(), QStringLiteral("2"));
    QCOMPARE(units->item(2, 1)->text(), QStringLiteral("KG"));
    QCOMPARE(units->item(2, 2)->text(), QStringLiteral("kg"));

    rates->item(0, 1)->setText(QStringLiteral("22.00"));
    units->item(6, 1)->setText(QStringLiteral("ŁYŻ"));
    Params()->lbeMagazyn->setText(QStringLiteral("m1"));
    Params()->BitBtn2->click();

    QCOMPARE(dm->ReadParS("VAT", "", "GLOBAL", "TARLA"), std::string("22.00;8.00;5.00;0.00;0.00;0.00;-1.00;"));
    QCOMPARE(dm->ReadParS("ELZB_JM", "", "GLOBAL", "TARLA"),
             Cp(QStringLiteral("SZT;KG;L;OPAK;M;ŁYŻ;;;szt;kg;l;op;m;;;;")));
    QCOMPARE(dm->ReadParS("NRMAG", "", "GLOBAL", "TARLA"), std::string("M1"));

    rates->item(0, 1)->setText(QStringLiteral("99"));
    Params()->lbeNrRej->setText(QStringLiteral("1-"));
    Params()->BitBtn2->click();
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Pole \"Rejestr sprzedaży\" musi zawierać liczbę całkowitą"));
    QVERIFY(StatusIsRed());

    Params()->BitBtn5->click();

    QCOMPARE(rates->item(0, 1)->text(), QStringLiteral("22.00"));
    QCOMPARE(Params()->lbeNrRej->text(), QStringLiteral("0"));
    QCOMPARE(Params()->cmbCena->count(), 3); // CENA_1 to CENA_3, each once
}

// ---- error report page

void WorkPagesTest::errorReportMissing()
{
    ErrorReportFile = DataDir + "brak-raportu.txt";
    ShowPage(Report());
    QCOMPARE(Report()->Memo2->toPlainText(), QStringLiteral("Brak raportu"));
    ErrorReportFile = ExeDir + "Out/log.txt";
}

void WorkPagesTest::duplicateNamesTest()
{
    ShowPage(Report());
    const QList<QAction*> items = Report()->pmErrLog->actions();
    QCOMPARE(items.size(), 5);
    const QStringList texts = {QStringLiteral("Testowanie kartoteki asortymentowej"),
                               QStringLiteral("Dzisiejsza historia pracy"), QString(),
                               QStringLiteral("Zerowanie raportu o błędach"), QStringLiteral("Wydruk raportu")};
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(items[i]->text(), texts[i]);
    QVERIFY(items[2]->isSeparator());

    Report()->estowaniekartotekiasortymentowej2->trigger();

    QCOMPARE(ErrorReportFile, DataDir + "Error.txt");
    const QStringList lines = Lines(Report()->Memo2);
    QVERIFY(lines.size() >= 4);
    QVERIFY(lines[0].startsWith(QStringLiteral("Raport ")));
    QCOMPARE(lines[1], QStringLiteral("-- Powtarzające się nazwy"));
    QVERIFY(QFontInfo(Report()->Memo2->font()).fixedPitch());
    ErrorReportFile = ExeDir + "Out/log.txt";
}

void WorkPagesTest::workHistory()
{
    LogLine(Cp(QStringLiteral("wpis z historii pracy: zażółć")));

    Report()->Dziesiejszahistoriapracy1->trigger();
    QVERIFY(Report()->Memo2->toPlainText().contains(QStringLiteral("wpis z historii pracy: zażółć")));

    const std::string logFile = WorkLog->FileName;
    WorkLog->FileName = DataDir + "H_brak.txt";
    Report()->Dziesiejszahistoriapracy1->trigger();
    WorkLog->FileName = logFile;
    QCOMPARE(Report()->Memo2->toPlainText(), QStringLiteral("Brak historii"));
}

void WorkPagesTest::zeroingTheErrorReport()
{
    SaveText(Cp(QStringLiteral("błąd kasy\r\n")), ErrorReportFile);
    ShowPage(Report());
    auto& screen = program_->session->screen;

    screen.answers = {false};
    Report()->Zerowanieraportu1->trigger();
    QCOMPARE(screen.prompts.size(), size_t(1));
    QCOMPARE(FileLines(ErrorReportFile).size(), size_t(1));
    QCOMPARE(Lines(Report()->Memo2), QStringList{QStringLiteral("błąd kasy")});

    screen.answers = {true};
    Report()->Zerowanieraportu1->trigger();
    QVERIFY(FileExists(ErrorReportFile));
    QCOMPARE(std::filesystem::file_size(ErrorReportFile), uintmax_t(0));
    QCOMPARE(Report()->Memo2->toPlainText(), QString());
}

void WorkPagesTest::printingOpensTheReport()
{
    QUrl opened;
    Report()->openFile = [&](const QUrl& url) { opened = url; };

    Report()->Wydrukraportu1->trigger();

    QCOMPARE(opened.toLocalFile(), QString::fromStdString(ErrorReportFile));
}

void WorkPagesTest::menuButtonOpensMenuBelowIt()
{
    ShowPage(Report());
    Report()->btn->click();
    QVERIFY(Report()->pmErrLog->isVisible());
    const QPoint below = Report()->btn->mapToGlobal(QPoint(0, Report()->btn->height()));
    QCOMPARE(Report()->pmErrLog->pos().y(), below.y());
    Report()->pmErrLog->close();
}

int main(int argc, char** argv)
{
    TarloApplication app(argc, argv);
    WorkPagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WorkPagesTest.moc"
