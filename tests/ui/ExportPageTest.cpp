// The goods export page on the demo database: single toggles by key and mouse, the filters as the catalogue query
// shows them, the bulk selection and lock commands, the export to a register and to the Eureka file, search and
// sorting.
#include "ui/ExportPage.h"
#include "Faults.h"
#include "PagesTestSupport.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "ui/AppEvents.h"
#include "ui/DeletionPage.h"
#include "ui/GoodsModel.h"
#include "ui/PageControls.h"
#include "ui/UMain.h"
#include "ui/UiText.h"
#include "util/MyUtil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>

namespace
{
ExportPage* Page()
{
    return Frm->tbsTowary;
}

GoodsModel* Model()
{
    return Page()->Model();
}

std::string Good(int row)
{
    return Model()->FieldText(row, "asort");
}

// The conditions OpenGoods appended to its query.
std::string ViewFilters()
{
    const std::string& query = dmu->SDSTowary.CommandText;
    const std::string head = "where nieaktywny<>1";
    const size_t at = query.find(head);
    return at == std::string::npos ? "<" + query + ">" : query.substr(at + head.size());
}

// Active goods in BLOK_CEN that the given filters select, counted by the database.
int64_t GoodsMatching(const std::string& filters)
{
    return dm->ReadInteger("il",
                           "select count(*) as il from " + GoodsTable +
                               " k join BLOK_CEN b using(asort) where nieaktywny<>1" + filters,
                           -1);
}

int64_t CountOf(const std::string& where)
{
    return dm->ReadInteger("il", "select count(*) as il from blok_cen where " + where, -1);
}

// The group code of the i-th entry of the group list.
std::string GroupCode(int item)
{
    return TextBefore(" ", ToCp1250(Page()->cbGrupy->item(item)->text()));
}

void Tick(int item, bool ticked)
{
    Page()->cbGrupy->item(item)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void SetFlag(const std::string& asort, const std::string& field, int value)
{
    dm->RunSQL("update blok_cen set " + field + "=" + SqlInt(value) + " where asort=" + SqlQuote(asort));
}

void ClickCell(int row, int column)
{
    const QModelIndex index = Model()->index(row, column);
    Page()->XDBG->scrollTo(index);
    QTest::mouseClick(Page()->XDBG->viewport(), Qt::LeftButton, {}, Page()->XDBG->visualRect(index).center());
}

QString CountText(int64_t rows, int64_t selected)
{
    return QStringLiteral("Ilość pozycji: %1/%2").arg(rows).arg(selected);
}
} // namespace

class ExportPageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { program_.reset(); }
    void init();

    void spaceTogglesAndMovesDown_data();
    void spaceTogglesAndMovesDown();
    void ctrlCountsAsItWasWhenSpaceWentDown_data();
    void ctrlCountsAsItWasWhenSpaceWentDown();
    void toggledGoodLeavingTheViewKeepsTheCursorOnTheNext();
    void cellClicks_data();
    void cellClicks();
    void filtersReachTheQuery();
    void selectionCommandsCoverHiddenGoods_data();
    void selectionCommandsCoverHiddenGoods();
    void lockCommandsChangeTheGoodsInView_data();
    void lockCommandsChangeTheGoodsInView();
    void exportWithNothingSelected();
    void registerExportClearsAllSelections();
    void registerExportKeepsTheUnsentSelected();
    void refusedToggleKeepsTheCursorAndTheStoredMark();
    void exportStoppedByAnErrorEndsRed();
    void eurekaKeepsTheExportButtonInPlace();
    void eurekaPanelProposesFileName_data();
    void eurekaPanelProposesFileName();
    void eurekaExport_data();
    void eurekaExport();
    void search_data();
    void search();
    void searchByRegisterCode();
    void titleClickSortsAndKeepsCursor();
    void refreshAddsMissingGoodsAndClearsSelections();
    void nameTestWritesReport();
    void sharedCodeUnderAGroupFilterKeepsTheRegistersPrice();

private:
    std::unique_ptr<PagesProgram> program_;
};

void ExportPageTest::initTestCase()
{
    SetErrorBoxShown(false);
    program_ = std::make_unique<PagesProgram>();
    const std::string problem = program_->Start();
    QVERIFY2(problem.empty(), problem.c_str());
    QVERIFY(Model() != nullptr);
    QVERIFY(Model()->rowCount() > 50);
    QVERIFY(Page()->cbGrupy->count() > 3);
}

void ExportPageTest::init()
{
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    Frm->PCtrlPraca->setCurrentWidget(Page());
    GroupFilter.clear();
    LockFilter.clear();
    SelectionFilter.clear();
    dm->RunSQL("update blok_cen set wybor=0,blok=0");
    Page()->UntickGroups();
    Page()->XDBG->sortByColumn(-1, Qt::AscendingOrder);
    Page()->pnlEureka->hide();
    Page()->rgKasa->click();
    Page()->rgDane->SetItemIndex(0);
    Page()->cbStopExpo->setChecked(false);
    dmu->OpenGoods();
    Page()->XDBG->clearSelection();
    Komunikat("", false);
    program_->session->screen.messages.clear();
}

// ---- single toggles

void ExportPageTest::spaceTogglesAndMovesDown_data()
{
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("before");
    QTest::newRow("Space selects") << false << 0;
    QTest::newRow("Space unselects") << false << 1;
    QTest::newRow("Ctrl+Space locks") << true << 0;
    QTest::newRow("Ctrl+Space frees") << true << 1;
}

void ExportPageTest::spaceTogglesAndMovesDown()
{
    QFETCH(bool, ctrl);
    QFETCH(int, before);
    const std::string field = ctrl ? "blok" : "wybor";
    const int row = 3;
    const std::string good = Good(row);
    SetFlag(good, field, before);
    dmu->ReReadGoods();
    const QString count = Page()->lbIlosc->text();
    Page()->SetCurrentRow(row);

    QTest::keyClick(Page()->XDBG, Qt::Key_Space, ctrl ? Qt::ControlModifier : Qt::NoModifier);

    QCOMPARE(Flag(good, field), int64_t(1 - before));
    QCOMPARE(Flag(good, ctrl ? "wybor" : "blok"), int64_t(0));
    QCOMPARE(Good(row), good);
    const int column = ctrl ? GoodsModel::ColBlok : GoodsModel::ColWybor;
    QCOMPARE(Model()->index(row, column).data(Qt::CheckStateRole).toInt(), before ? Qt::Unchecked : Qt::Checked);
    QCOMPARE(Page()->CurrentRow(), row + 1);
    // The count of marked goods follows at once; a price lock leaves it as it was.
    if (ctrl)
        QCOMPARE(Page()->lbIlosc->text(), count);
    else
        QCOMPARE(Page()->lbIlosc->text(), CountText(Model()->rowCount(), static_cast<int>(SelectedGoods())));
}

void ExportPageTest::ctrlCountsAsItWasWhenSpaceWentDown_data()
{
    QTest::addColumn<bool>("ctrlDown");
    QTest::addColumn<bool>("ctrlUp");
    QTest::addColumn<QString>("field");
    QTest::newRow("Ctrl let go before Space: locks") << true << false << QStringLiteral("blok");
    QTest::newRow("Ctrl pressed during Space: selects") << false << true << QStringLiteral("wybor");
}

void ExportPageTest::ctrlCountsAsItWasWhenSpaceWentDown()
{
    QFETCH(bool, ctrlDown);
    QFETCH(bool, ctrlUp);
    QFETCH(QString, field);
    const std::string good = Good(2);
    Page()->SetCurrentRow(2);

    QTest::keyPress(Page()->XDBG, Qt::Key_Space, ctrlDown ? Qt::ControlModifier : Qt::NoModifier);
    QTest::keyRelease(Page()->XDBG, Qt::Key_Space, ctrlUp ? Qt::ControlModifier : Qt::NoModifier);

    QCOMPARE(Flag(good, field.toStdString()), int64_t(1));
    QCOMPARE(Flag(good, field == QLatin1String("blok") ? "wybor" : "blok"), int64_t(0));
}

void ExportPageTest::toggledGoodLeavingTheViewKeepsTheCursorOnTheNext()
{
    for (int row = 0; row < 3; ++row)
        SetFlag(Good(row), "wybor", 1);
    const std::string second = Good(1);
    Page()->rgViewWybor->Item(0)->click(); // "wybrane"
    QCOMPARE(Model()->rowCount(), 3);
    Page()->SetCurrentRow(0);
    const std::string first = Good(0);

    QTest::keyClick(Page()->XDBG, Qt::Key_Space);

    QCOMPARE(Flag(first, "wybor"), int64_t(0));
    QCOMPARE(Model()->rowCount(), 2);
    QCOMPARE(Good(Page()->CurrentRow()), second);
}

void ExportPageTest::cellClicks_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("field"); // empty: nothing changes
    QTest::newRow("check box wybor") << int(GoodsModel::ColWybor) << "wybor";
    QTest::newRow("check box blok") << int(GoodsModel::ColBlok) << "blok";
    QTest::newRow("symbol") << int(GoodsModel::ColAsort) << "";
    QTest::newRow("price") << int(GoodsModel::ColPrice) << "";
    QTest::newRow("name") << int(GoodsModel::ColNazwa) << "";
}

void ExportPageTest::cellClicks()
{
    QFETCH(int, column);
    QFETCH(QString, field);
    const int row = 5;
    const std::string good = Good(row);

    ClickCell(row, column);

    for (const char* flag : {"wybor", "blok"})
        QCOMPARE(Flag(good, flag), int64_t(field == QLatin1String(flag) ? 1 : 0));
    QCOMPARE(Page()->CurrentRow(), row);
}

// ---- filters

void ExportPageTest::filtersReachTheQuery()
{
    const std::string groups1 = " and  ( k.grupa=" + SqlQuote(GroupCode(0)) + " )";
    const std::string groups2 =
        " and  ( k.grupa=" + SqlQuote(GroupCode(0)) + " or k.grupa=" + SqlQuote(GroupCode(2)) + " )";
    // Some goods of the view are locked or selected, so that each view shows a part of the list.
    for (int row = 0; row < Model()->rowCount(); row += 3)
        SetFlag(Good(row), "blok", 1);
    for (int row = 0; row < Model()->rowCount(); row += 4)
        SetFlag(Good(row), "wybor", 1);

    // The label beside the count names the view; the codes of the ticked groups follow it.
    const QString g1 = QStringLiteral(", grupa ") + QString::fromStdString(GroupCode(0));
    const QString g2 = QStringLiteral(", grupy ") + QString::fromStdString(GroupCode(0)) + QStringLiteral(", ") +
                       QString::fromStdString(GroupCode(2));
    const struct Step {
        const char* what;
        std::function<void()> act;
        std::string filters;
        QString view;
    } steps[] = {
        {"tick a group", [] { Tick(0, true); }, groups1, "wszystkie pozycje" + g1},
        {"tick another", [] { Tick(2, true); }, groups2, "wszystkie pozycje" + g2},
        {"z ceną zablokowaną", [] { Page()->rgViewBlok->Item(0)->click(); }, groups2 + " and b.blok=1",
         "z ceną zablokowaną" + g2},
        {"wybrane drops the lock view", [] { Page()->rgViewWybor->Item(0)->click(); }, groups2 + " and b.wybor=1",
         "wybrane" + g2},
        {"niewybrane", [] { Page()->rgViewWybor->Item(1)->click(); }, groups2 + " and b.wybor=0", "niewybrane" + g2},
        {"z ceną wolną drops the selection view", [] { Page()->rgViewBlok->Item(1)->click(); },
         groups2 + " and b.blok=0", "z ceną wolną" + g2},
        {"wszystkie", [] { Page()->rgViewBlok->Item(2)->click(); }, groups2, "wszystkie pozycje" + g2},
        {"wybrane", [] { Page()->rgViewWybor->Item(0)->click(); }, groups2 + " and b.wybor=1", "wybrane" + g2},
        {"wszystkie (selection)", [] { Page()->rgViewWybor->Item(2)->click(); }, groups2, "wszystkie pozycje" + g2},
        {"untick the first", [] { Tick(0, false); }, " and  ( k.grupa=" + SqlQuote(GroupCode(2)) + " )",
         "wszystkie pozycje, grupa " + QString::fromStdString(GroupCode(2))},
        {"untick the last shows all groups", [] { Tick(2, false); }, "", "wszystkie pozycje"},
    };
    for (const Step& step : steps) {
        step.act();
        QCOMPARE(ViewFilters(), step.filters);
        QVERIFY2(Model()->rowCount() == GoodsMatching(step.filters), step.what);
        QCOMPARE(Page()->lbWidok->WholeText(), QStringLiteral("Widok: ") + step.view);
        // The view groups are sets of one-shot commands.
        QCOMPARE(Page()->rgViewBlok->ItemIndex(), -1);
        QCOMPARE(Page()->rgViewWybor->ItemIndex(), -1);
    }
}

// ---- bulk commands

void ExportPageTest::selectionCommandsCoverHiddenGoods_data()
{
    QTest::addColumn<int>("item");
    QTest::newRow("zaznacz wszystkie ") << 0;
    QTest::newRow("odznacz wszystkie") << 1;
    QTest::newRow("odwróć zaznaczenie") << 2;
}

void ExportPageTest::selectionCommandsCoverHiddenGoods()
{
    QFETCH(int, item);
    Tick(0, true);
    const std::string shown = Good(0);
    // A selected good of another group, hidden by the group filter.
    DataSet other;
    dm->OpenSds(other, "select first 1 k.asort from " + GoodsTable + " k where nieaktywny<>1 and k.grupa<>" +
                           SqlQuote(GroupCode(0)));
    QCOMPARE(other.RecordCount(), 1);
    const std::string hiddenGood = other.Rows[0][0].AsString();
    SetFlag(hiddenGood, "wybor", 1);
    const int64_t all = CountOf("1=1");
    const int64_t before = SelectedGoods();

    Page()->rgWybor->Item(item)->click();

    const int64_t expected[] = {all, 0, all - before};
    QCOMPARE(SelectedGoods(), expected[item]);
    QCOMPARE(Flag(shown, "wybor"), int64_t(item == 1 ? 0 : 1));
    QCOMPARE(Flag(hiddenGood, "wybor"), int64_t(item == 0 ? 1 : 0));
    QCOMPARE(Page()->lbIlosc->text(), CountText(Model()->rowCount(), expected[item]));
    QCOMPARE(Page()->rgWybor->ItemIndex(), -1);
    // The grid's row marks follow the command.
    const int marked = static_cast<int>(Page()->XDBG->selectionModel()->selectedRows().size());
    QCOMPARE(marked, item == 1 ? 0 : Model()->rowCount());
}

void ExportPageTest::lockCommandsChangeTheGoodsInView_data()
{
    QTest::addColumn<bool>("groupFilter");
    QTest::addColumn<bool>("lockedView");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("expected"); // view: the goods in view are locked, none: nothing is locked,
                                           // inverted: all goods in view but the three locked before
    QTest::newRow("blokuj wszystkie with a group filter") << true << false << 0 << "view";
    QTest::newRow("odblokuj wszystkie in the locked view empties it") << false << true << 1 << "none";
    QTest::newRow("odwróć blokadę") << false << false << 2 << "inverted";
}

void ExportPageTest::lockCommandsChangeTheGoodsInView()
{
    QFETCH(bool, groupFilter);
    QFETCH(bool, lockedView);
    QFETCH(int, item);
    QFETCH(QString, expected);
    if (expected != QLatin1String("view"))
        for (int row = 0; row < 3; ++row)
            SetFlag(Good(row), "blok", 1);
    if (groupFilter)
        Tick(0, true);
    if (lockedView)
        Page()->rgViewBlok->Item(0)->click();
    const int64_t inView = Model()->rowCount();
    Page()->SetCurrentRow(1);
    const std::string current = Good(1);

    Page()->rgBlok->Item(item)->click();

    const int64_t locked = CountOf("blok=1");
    if (expected == QLatin1String("view")) {
        QCOMPARE(locked, inView);
        QCOMPARE(GoodsMatching(" and b.blok=1 and k.grupa=" + SqlQuote(GroupCode(0))), inView);
        QCOMPARE(Good(Page()->CurrentRow()), current); // the list is re-read at the remembered good
    } else if (expected == QLatin1String("none")) {
        QCOMPARE(locked, int64_t(0));
        QCOMPARE(Model()->rowCount(), 0);
    } else {
        QCOMPARE(locked, inView - 3);
    }
    QCOMPARE(Page()->rgBlok->ItemIndex(), -1);
    QCOMPARE(Model()->index(0, GoodsModel::ColBlok).data(Qt::CheckStateRole).isValid(), Model()->rowCount() > 0);
}

// ---- export

void ExportPageTest::exportWithNothingSelected()
{
    Page()->btnEksport->click();

    QCOMPARE(Frm->edErr->text(), QStringLiteral("Brak zaznaczonych pozycji"));
    const QColor colour = Frm->edErr->palette().color(QPalette::Text);
    QVERIFY(colour.red() > 150 && colour.green() < 80 && colour.blue() < 80);
    QVERIFY(!Page()->pnlEureka->isVisible());
    QVERIFY(Page()->btnEksport->isEnabled());
}

void ExportPageTest::registerExportClearsAllSelections()
{
    Tick(0, true);
    std::vector<std::string> exported;
    for (int row = 0; row < 6; ++row) {
        exported.push_back(Good(row));
        SetFlag(Good(row), "wybor", 1);
    }
    Page()->rgDane->SetItemIndex(1); // "pełne ": the register stores the goods
    QStringList progress;
    bool progressShown = false;
    connect(Page()->pbEksport, &QProgressBar::valueChanged, this, [&] {
        progress << Page()->pbEksport->text();
        progressShown = progressShown || Page()->pbEksport->isVisible();
    });
    std::vector<std::string> followed;
    connect(Page()->XDBG->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [&](const QModelIndex& current) { followed.push_back(Good(current.row())); });

    Page()->btnEksport->click();
    Page()->pbEksport->disconnect(this);
    Page()->XDBG->selectionModel()->disconnect(this);

    QCOMPARE(SelectedGoods(), int64_t(0));
    QCOMPARE(FileLines(program_->RegisterFolder(1) + "/towary.txt").size(), exported.size());
    QVERIFY(progressShown);
    QCOMPARE(progress.last(), QStringLiteral("6 / 6"));
    QVERIFY(!Page()->pbEksport->isVisible());
    // The grid followed the export good by good.
    for (const std::string& good : exported)
        QVERIFY2(std::find(followed.begin(), followed.end(), good) != followed.end(), good.c_str());
    // The export unticks the groups; the list then shows all of them.
    QCOMPARE(Page()->cbGrupy->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(ViewFilters(), std::string());
    QCOMPARE(Page()->lbIlosc->text(), CountText(Model()->rowCount(), 0));
    QVERIFY(Page()->btnEksport->isEnabled());
    // The (unreachable) deletion page's buttons are back as its own page set them.
    QVERIFY(Frm->tbsDel->btnDelAll->isEnabledTo(Frm->tbsDel) && Frm->tbsDel->grpDel->isEnabledTo(Frm->tbsDel));
}

void ExportPageTest::exportStoppedByAnErrorEndsRed()
{
    // A good sent well and one whose symbol is no number: that one is skipped, named and keeps its mark; the
    // export goes on and ends on its red tally.
    const std::string first = Model()->FieldText(0, "asort");
    dm->RunSQL("update blok_cen set wybor=1 where asort in ('D''ARBO1', " + SqlQuote(first) + ")");
    Page()->rgDane->SetItemIndex(1);

    QTest::mouseClick(Page()->btnEksport, Qt::LeftButton); // the error box is off in tests

    const QColor colour = Frm->edErr->palette().color(QPalette::Text);
    QVERIFY(colour.red() > 150 && colour.green() < 80);
    QVERIFY2(Frm->edErr->text().startsWith(QStringLiteral("Eksport zakończony: wysłano 1 z 2, nie wysłano 1 (D'ARBO1: "
                                                          "symbol nie jest liczbą całkowitą) - szczegóły")),
             qPrintable(Frm->edErr->text()));
    QCOMPARE(Flag("D'ARBO1", "wybor"), int64_t(1));
    QCOMPARE(Flag(first, "wybor"), int64_t(0));
    QVERIFY(Page()->btnEksport->isEnabled());
}

void ExportPageTest::eurekaKeepsTheExportButtonInPlace()
{
    const auto place = [] { return Page()->btnEksport->mapTo(Page(), QPoint(0, 0)); };
    const QPoint before = place();

    Page()->rgEureka->click();
    QApplication::processEvents();

    QVERIFY(Page()->rgDane->isHidden() && Page()->cbStopExpo->isHidden());
    QCOMPARE(place(), before);
    Page()->rgKasa->click();
    QApplication::processEvents();
    QCOMPARE(place(), before);
}

// A fault at the register with the stop option on: nothing was sent, so every good keeps its selection, and the
// run ends on a red summary, not on a green line.
void ExportPageTest::registerExportKeepsTheUnsentSelected()
{
    for (int row = 0; row < 4; ++row)
        SetFlag(Good(row), "wybor", 1);
    dmu->ReReadGoods();
    Page()->rgDane->SetItemIndex(1);
    Page()->cbStopExpo->setChecked(true);
    QCOMPARE(testsupport::PlanRegisterFault(1, "ZTowar", 24), 0);

    Page()->btnEksport->click();

    QCOMPARE(SelectedGoods(), int64_t(4));
    const QString status = Frm->edErr->text();
    QVERIFY2(status.startsWith(QStringLiteral("Eksport zakończony: wysłano 0 z 4, nie wysłano 4 (")),
             qPrintable(status));
    // The refused good with the reason, and, with no error report (support has not switched it on), the work
    // history where the details are.
    QVERIFY2(status.contains(QStringLiteral(": błąd 24)")) || status.contains(QStringLiteral("(NAK)")),
             qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral("zatrzymany po błędzie - szczegóły w historii pracy ") +
                             QString::fromStdString(WorkLog->FileName)),
             qPrintable(status));
    const QColor colour = Frm->edErr->palette().color(QPalette::Text);
    QVERIFY(colour.red() > 150 && colour.green() < 80 && colour.blue() < 80);
    QCOMPARE(Page()->lbIlosc->text(), CountText(Model()->rowCount(), 4));
    QVERIFY(Page()->btnEksport->isEnabled());
}

// A mark the database refuses: announced in red, the row shows what is stored, the cursor stays on the good.
void ExportPageTest::refusedToggleKeepsTheCursorAndTheStoredMark()
{
    QVERIFY(dm->RunSQL("create exception tylko_odczyt 'tylko do odczytu'"));
    QVERIFY(dm->RunSQL("create trigger blok_cen_ro for blok_cen before update as begin exception tylko_odczyt; end"));
    const OnScopeExit drop([] {
        dm->RunSQL("drop trigger blok_cen_ro");
        dm->RunSQL("drop exception tylko_odczyt");
    });
    const int row = 3;
    const std::string good = Good(row);
    Page()->SetCurrentRow(row);

    QTest::keyClick(Page()->XDBG, Qt::Key_Space);

    QCOMPARE(Flag(good, "wybor"), int64_t(0));
    QCOMPARE(Model()->index(row, GoodsModel::ColWybor).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(Page()->CurrentRow(), row);
    QCOMPARE(Frm->edErr->text(), QStringLiteral("Nie zapisano zaznaczenia towaru ") + FromCp1250(good) +
                                     QStringLiteral(" - baza danych odrzuciła polecenie (szczegóły w historii pracy)"));
    const QColor colour = Frm->edErr->palette().color(QPalette::Text);
    QVERIFY(colour.red() > 150 && colour.green() < 80 && colour.blue() < 80);
}

void ExportPageTest::eurekaPanelProposesFileName_data()
{
    QTest::addColumn<QString>("stored"); // PLIK_EUREKA
    QTest::newRow("no stored name") << "";
    QTest::newRow("stored name") << "/tmp/eureka/Towary_kasa.txt";
}

void ExportPageTest::eurekaPanelProposesFileName()
{
    QFETCH(QString, stored);
    dm->WriteParS("PLIK_EUREKA", stored.toStdString(), "GLOBAL", "TARLA");
    for (int row = 0; row < 3; ++row)
        SetFlag(Good(row), "wybor", 1);

    Page()->rgEureka->click();
    QVERIFY(Page()->cbStopExpo->isHidden());
    QVERIFY(Page()->rgDane->isHidden());
    Page()->btnEksport->click();

    QVERIFY(Page()->pnlEureka->isVisible());
    QCOMPARE(Page()->lbePlikE->text(), stored.isEmpty() ? QString::fromStdString(DataDir + "Towary.txt") : stored);
    QCOMPARE(SelectedGoods(), int64_t(3)); // nothing exported yet

    Page()->BtnExpoCan->click();

    QVERIFY(!Page()->pnlEureka->isVisible());
    QCOMPARE(SelectedGoods(), int64_t(3));
    Page()->rgKasa->click();
    QVERIFY(!Page()->cbStopExpo->isHidden());
    QVERIFY(!Page()->rgDane->isHidden());
}

void ExportPageTest::eurekaExport_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("file written") << true;
    QTest::newRow("folder missing") << false;
}

void ExportPageTest::eurekaExport()
{
    QFETCH(bool, writable);
    testsupport::TempDir folder;
    const std::string file = folder.Path() + (writable ? "" : "/brak") + "/Towary.txt";
    for (int row = 0; row < 3; ++row)
        SetFlag(Good(row), "wybor", 1);
    Page()->rgEureka->click();
    Page()->btnEksport->click();
    Page()->lbePlikE->setText(QString::fromStdString(file));

    Page()->BtnExpoCnt->click();

    if (writable) {
        QCOMPARE(FileLines(file).size(), size_t(3));
        QVERIFY(!Page()->pnlEureka->isVisible());
        QCOMPARE(SelectedGoods(), int64_t(0));
        QCOMPARE(program_->session->screen.messages.back(), ToCp1250(QStringLiteral("powstał plik ")) + file);
        QCOMPARE(dm->ReadParS("PLIK_EUREKA", "", "GLOBAL", "TARLA"), file);
    } else {
        // Nothing was written: the panel stays open and every selection stays for another try.
        QVERIFY(Page()->pnlEureka->isVisible());
        QCOMPARE(SelectedGoods(), int64_t(3));
    }
}

// ---- search and sorting

void ExportPageTest::search_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("button"); // the picture button instead of typing
    QTest::newRow("symbol") << "rbSeekAsort"
                            << "asort" << false;
    QTest::newRow("name") << "rbSeekNazwa"
                          << "nazwa" << false;
    QTest::newRow("Kod w kasie") << "rbSeekKod"
                                 << "asort" << false;
    QTest::newRow("picture button") << "rbSeekNazwa"
                                    << "nazwa" << true;
}

void ExportPageTest::searchByRegisterCode()
{
    Page()->rbSeekKod->click();
    QCOMPARE(Page()->XDBG->horizontalHeader()->sortIndicatorSection(), int(GoodsModel::ColAsort));
    const int row = 40;
    const QString symbol = FromCp1250(Model()->FieldText(row, "asort")).trimmed();
    bool number = false;
    const int code = symbol.toInt(&number);
    QVERIFY2(number, qPrintable(symbol));
    // With or without "$" and leading zeros, the same good.
    for (const QString& typed : {QString::number(code), QStringLiteral("00") + QString::number(code),
                                 QStringLiteral("$") + QString::number(code).rightJustified(5, QLatin1Char('0'))}) {
        Page()->SetCurrentRow(0);
        Page()->edSeek->clear();
        QTest::keyClicks(Page()->edSeek, typed);
        QCOMPARE(FromCp1250(Model()->FieldText(Page()->CurrentRow(), "asort")).trimmed(), symbol);
    }
    // A code no good has is said.
    Page()->edSeek->clear();
    QTest::keyClicks(Page()->edSeek, QStringLiteral("99999"));
    QVERIFY(Frm->edErr->text().startsWith(QStringLiteral("Brak towaru o kodzie w kasie 99999")));
    Komunikat("", false);
}

void ExportPageTest::search()
{
    QFETCH(QString, option);
    QFETCH(QString, field);
    QFETCH(bool, button);
    auto* choice = Page()->findChild<QRadioButton*>(option);
    QVERIFY(choice != nullptr);

    choice->click();

    // The list is sorted by the searched field, and the field has the focus.
    const int column = field == QLatin1String("asort") ? GoodsModel::ColAsort : GoodsModel::ColNazwa;
    QCOMPARE(Page()->XDBG->horizontalHeader()->sortIndicatorSection(), column);
    QVERIFY(Page()->XDBG->horizontalHeader()->isSortIndicatorShown());
    QVERIFY(Page()->edSeek->hasFocus());

    // A good from the middle of the list, searched by the start of its field in lower case.
    const QString target = FromCp1250(Model()->FieldText(40, field.toStdString()));
    const QString prefix = target.left(3).toLower();
    Page()->SetCurrentRow(0);
    Page()->edSeek->clear();
    if (button) {
        Page()->edSeek->setText(prefix);
        Page()->btnSeek->click();
        QVERIFY(Page()->XDBG->hasFocus());
    } else {
        QTest::keyClicks(Page()->edSeek, prefix);
        QCOMPARE(Page()->edSeek->text(), prefix.toUpper());
    }

    // The first good from the top whose field begins with the text.
    const int found = Page()->CurrentRow();
    const auto fieldOf = [&](int row) { return FromCp1250(Model()->FieldText(row, field.toStdString())).toUpper(); };
    QVERIFY(found <= 40);
    QVERIFY2(fieldOf(found).startsWith(prefix.toUpper()), qPrintable(fieldOf(found)));
    QVERIFY(found == 0 || !fieldOf(found - 1).startsWith(prefix.toUpper()));

    // No good matches: the cursor stays; Enter moves to the grid.
    QTest::keyClicks(Page()->edSeek, QStringLiteral("QQQ"));
    QCOMPARE(Page()->CurrentRow(), found);
    QTest::keyClick(Page()->edSeek, Qt::Key_Return);
    QVERIFY(Page()->XDBG->hasFocus());
}

void ExportPageTest::titleClickSortsAndKeepsCursor()
{
    Page()->SetCurrentRow(7);
    const std::string current = Good(7);
    QHeaderView* header = Page()->XDBG->horizontalHeader();
    const auto clickTitle = [&](int column) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
    };
    const int priceField = dmu->SDSTowary.Fields.IndexOf(PriceField);
    const auto price = [&](int row) { return dmu->SDSTowary.Rows[Model()->DataRow(row)][priceField].AsFloat(); };

    clickTitle(GoodsModel::ColPrice);

    QCOMPARE(header->sortIndicatorSection(), int(GoodsModel::ColPrice));
    for (int row = 1; row < Model()->rowCount(); ++row)
        QVERIFY(price(row - 1) <= price(row));
    QCOMPARE(Good(Page()->CurrentRow()), current);

    clickTitle(GoodsModel::ColPrice); // again: descending
    for (int row = 1; row < Model()->rowCount(); ++row)
        QVERIFY(price(row - 1) >= price(row));
    QCOMPARE(Good(Page()->CurrentRow()), current);
}

void ExportPageTest::refreshAddsMissingGoodsAndClearsSelections()
{
    dm->RunSQL("insert into " + GoodsTable +
               " (ASORT,NAZWA,JM,STAWKA_VAT,GRUPA,NIEAKTYWNY,CENA_1) values ('99999','Nowy towar','SZT',23," +
               SqlQuote(GroupCode(0)) + ",0,1.50)");
    SetFlag(Good(0), "wybor", 1);
    const int rows = Model()->rowCount();

    Page()->BitBtn1->click();

    QCOMPARE(Flag("99999", "wybor"), int64_t(0));
    QCOMPARE(SelectedGoods(), int64_t(0));
    QCOMPARE(Model()->rowCount(), rows + 1);
    dm->RunSQL("delete from " + GoodsTable + " where asort='99999'");
    dm->RunSQL("delete from blok_cen where asort='99999'");
}

void ExportPageTest::nameTestWritesReport()
{
    QCOMPARE(Page()->pm->actions().value(0), Page()->aTestNazwa);
    QCOMPARE(Page()->aTestNazwa->text(), QStringLiteral("Testowanie nazw towarów"));

    Page()->aTestNazwa->trigger();

    QCOMPARE(ErrorReportFile, DataDir + "Error.txt");
    QVERIFY(!FileLines(ErrorReportFile).empty());
    // The status line says where the report is.
    QCOMPARE(Frm->edErr->text(),
             QStringLiteral("Raport z testowania nazw zapisano w pliku ") + FromCp1250(ErrorReportFile));
}

// Two goods share the register code $00123: 123 is on the register, 100123 (another group, another price) never
// went. The operator shows only 100123's group, marks what changed since the last export and sends prices. The
// register must keep 123's price under $00123, and the line must say why 100123 did not go, in red.
void ExportPageTest::sharedCodeUnderAGroupFilterKeepsTheRegistersPrice()
{
    const std::string partnerGroup = GroupCode(0);
    QVERIFY(dm->RunSQL("insert into " + GoodsTable +
                       " (asort,nazwa,jm,stawka_vat,grupa,nieaktywny,cena_1,cena_2,cena_3,oldcena_1) select "
                       "'100123','Drugi towar o kodzie 123',jm,stawka_vat," +
                       SqlQuote(partnerGroup) + ",0,99.99,99.99,99.99,0 from " + GoodsTable + " where asort='123'"));
    QVERIFY(dm->RunSQL("insert into blok_cen (asort,blok,wybor) values ('100123',0,0)"));
    const std::string registerGoods = program_->RegisterFolder(1) + "/towary.txt";
    const OnScopeExit cleanUp([] {
        dm->RunSQL("delete from blok_cen where asort='100123'");
        dm->RunSQL("delete from " + GoodsTable + " where asort='100123'");
        dm->RunSQL("delete from wyslane");
        testsupport::RunWinipSim("reset 1");
    });
    QVERIFY(dm->ReadInteger("g",
                            "select count(*) as g from " + GoodsTable + " where asort='123' and grupa<>" +
                                SqlQuote(partnerGroup),
                            -1) == 1);
    // 123 goes to the register with full data, as the operator sends a new good.
    SetFlag("123", "wybor", 1);
    dmu->ReReadGoods();
    Page()->rgDane->SetItemIndex(1);
    Page()->btnEksport->click();
    const auto heldUnder123 = [&registerGoods] {
        for (const std::string& line : FileLines(registerGoods))
            if (line.rfind("$00123\t", 0) == 0)
                return line;
        return std::string("(none)");
    };
    const std::string held = heldUnder123();
    QVERIFY2(held.find("Drugi") == std::string::npos && held != "(none)", held.c_str());

    Tick(0, true);
    Page()->rgWybor->Item(3)->click(); // "zmienione od ostatniego eksportu"
    // The selection already leaves 100123 out and says why; the operator then marks it by hand, and the export's
    // own guard must hold.
    QCOMPARE(Flag("100123", "wybor"), int64_t(0));
    QVERIFY2(Frm->edErr->text().contains(QStringLiteral("$00123")), qPrintable(Frm->edErr->text()));
    dm->RunSQL("update blok_cen set wybor=0");
    SetFlag("100123", "wybor", 1);
    dmu->ReReadGoods();
    Page()->rgDane->SetItemIndex(0); // "częściowe (cena)"
    Page()->btnEksport->click();

    QCOMPARE(heldUnder123(), held);
    const QString status = Frm->edErr->text();
    QVERIFY2(status.contains(QStringLiteral("wysłano 0 z 1, nie wysłano 1 (100123: ")) &&
                 status.contains(QStringLiteral("kod $00123 należy w kasie do towaru 123")),
             qPrintable(status));
    const QColor colour = Frm->edErr->palette().color(QPalette::Text);
    QVERIFY2(colour.red() > 150 && colour.green() < 80, qPrintable(status));
    QCOMPARE(Flag("100123", "wybor"), int64_t(1)); // kept for another try
}

int main(int argc, char** argv)
{
    TarloApplication app(argc, argv);
    ExportPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ExportPageTest.moc"
