// Renders every working page of the main window, started on a demo database with the stand-in communication
// library, to PNG files in a folder:
//     QT_QPA_PLATFORM=offscreen TARLO_BIN_DIR=<build>/bin ui_page_screenshots docs/screenshots [WIDTHxHEIGHT]
// The window size defaults to 1200x760; "1024x768" shows the pages as on the smallest screen the program is for.
// Not a test: the pictures are for the documentation and for looking at.
#include "PagesTestSupport.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "ui/AppEvents.h"
#include "ui/ErrorReportPage.h"
#include "ui/ExportPage.h"
#include "ui/GoodsModel.h"
#include "ui/PageControls.h"
#include "ui/ParamsPage.h"
#include "ui/ReadoutPage.h"
#include "ui/RegisterGoodsPage.h"
#include "ui/UMain.h"
#include "util/MyUtil.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

namespace
{
bool Save(const QString& folder, const char* name)
{
    QTest::qWait(100);
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    const bool saved = Frm->grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "zapisano" : "nie zapisano", qPrintable(path));
    return saved;
}

void ShowSubPage(QWidget* page)
{
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    Frm->PCtrlPraca->setCurrentWidget(page);
}

std::string GoodAt(int row)
{
    return Frm->tbsTowary->Model()->FieldText(row, "asort");
}

// Runs winip-sim (beside the stand-in library) on the program's simulator folder.
void Sim(const std::string& arguments)
{
    const std::string command = std::string(std::getenv("TARLO_BIN_DIR")) + "/winip-sim " + arguments + " >/dev/null";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "winip-sim %s failed\n", arguments.c_str());
}

// Starts `operation` and saves the window `after` milliseconds into it, while it is busy.
bool SaveDuring(const QString& folder, const char* name, int after, const std::function<void()>& operation)
{
    bool saved = false;
    QTimer::singleShot(after, [&] { saved = Save(folder, name); });
    operation();
    return saved;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_page_screenshots <folder> [WIDTHxHEIGHT]\n");
        return 2;
    }
    QSize windowSize(1200, 760);
    if (argc > 2) {
        const QStringList parts = QString::fromLocal8Bit(argv[2]).split(QLatin1Char('x'));
        if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0)
            windowSize = QSize(parts[0].toInt(), parts[1].toInt());
    }
    // Taken before the program moves to its own working directory.
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    TarloApplication app(argc, argv);
    SetErrorBoxShown(false);
    bool saved = true;
    {
        PagesProgram program;
        const std::string problem = program.Start();
        if (!problem.empty()) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 1;
        }
        // A window of a usual desktop size instead of the offscreen screen's.
        Frm->setWindowState(Qt::WindowNoState);
        Frm->resize(windowSize);
        ExportPage* goods = Frm->tbsTowary;

        // Goods sent to the register earlier, so that it has goods to list and sales to read.
        for (int row = 0; row < 8; ++row)
            dm->RunSQL("update blok_cen set wybor=1 where asort=" + SqlQuote(GoodAt(row)));
        goods->rgDane->SetItemIndex(1);
        goods->btnEksport->click();
        goods->rgDane->SetItemIndex(0);
        std::filesystem::create_directories(program.RegisterFolder(1));
        SaveText("$00100\t2.000\t900\n$00101\t1.000\t399\n$00102\t3.500\t1225\n$00104\t12.000\t2388\n"
                 "$00105\t1.000\t1899\n",
                 program.RegisterFolder(1) + "/sprzedaz.txt");

        // Export page: a few goods selected and a few locked.
        for (int row = 2; row < 40; row += 5)
            dm->RunSQL("update blok_cen set wybor=1 where asort=" + SqlQuote(GoodAt(row)));
        for (int row = 1; row < 40; row += 7)
            dm->RunSQL("update blok_cen set blok=1 where asort=" + SqlQuote(GoodAt(row)));
        dmu->OpenGoods();
        ShowSubPage(goods);
        Komunikat("", false);
        goods->cbGrupy->scrollToTop();
        goods->SetCurrentRow(2);
        saved = Save(folder, "export.png") && saved;

        ShowSubPage(Frm->tbsOdczyt);
        Frm->tbsOdczyt->btnRead->click();
        saved = Save(folder, "readout.png") && saved;
        Frm->tbsOdczyt->btnOdczyty->click();
        saved = Save(folder, "readout-list.png") && saved;
        Frm->tbsOdczyt->lbOdczyty->itemClicked(Frm->tbsOdczyt->lbOdczyty->item(0));

        // A counter reset after more sales: the status line names the stored report and its total.
        SaveText("$00103\t1.000\t1549\n", program.RegisterFolder(1) + "/sprzedaz.txt");
        Frm->tbsOdczyt->btnNumReset->click();
        saved = Save(folder, "reset.png") && saved;

        ShowSubPage(Frm->tbsWykazTow);
        Frm->tbsWykazTow->btnRefrWykaz->click();
        saved = Save(folder, "register-goods.png") && saved;
        // The same list when the register does not answer: the grid is emptied and the line says why.
        Sim("fail 1 TowarMax 20 raz");
        Frm->tbsWykazTow->btnRefrWykaz->click();
        saved = Save(folder, "register-goods-failed.png") && saved;

        Frm->PCtrlMain->setCurrentWidget(Frm->tbsParam);
        saved = Save(folder, "params.png") && saved;

        Frm->PCtrlMain->setCurrentWidget(Frm->tbsErrLog);
        Frm->tbsErrLog->estowaniekartotekiasortymentowej2->trigger();
        saved = Save(folder, "error-report.png") && saved;

        Frm->PCtrlMain->setCurrentWidget(Frm->tbsOpis);
        saved = Save(folder, "about.png") && saved;

        // A readout that waits for the register's time-out: the window is busy and takes no input.
        ShowSubPage(Frm->tbsOdczyt);
        Sim("fail 1 OTSpMax 21 raz");
        setenv("WINIP_TIME_SCALE", "0.2", 1);
        saved = SaveDuring(folder, "busy.png", 400, [] { Frm->tbsOdczyt->btnRead->click(); }) && saved;

        // A long export with its stop button beside the progress.
        ShowSubPage(goods);
        for (int row = 0; row < 30; ++row)
            dm->RunSQL("update blok_cen set wybor=1 where asort=" + SqlQuote(GoodAt(row)));
        Sim("delay 1 on");
        setenv("WINIP_TIME_SCALE", "1", 1);
        QTimer::singleShot(900, goods, [goods] { goods->btnStopClick(); });
        saved = SaveDuring(folder, "export-stop.png", 700, [goods] { goods->btnEksport->click(); }) && saved;
        Sim("delay 1 off");
        setenv("WINIP_TIME_SCALE", "0.01", 1);

        // A price export of three goods of which the register refuses one: the summary gives the reason.
        dm->RunSQL("update blok_cen set wybor=0");
        for (int row = 0; row < 3; ++row)
            dm->RunSQL("update blok_cen set wybor=1 where asort=" + SqlQuote(GoodAt(row)));
        dmu->OpenGoods();
        Sim("fail 1 ZCTowar 103 raz");
        goods->btnEksport->click();
        saved = Save(folder, "export-partly-failed.png") && saved;

        // Qt's own context menu of an edit field, in Polish.
        goods->edSeek->setText(QStringLiteral("Konf"));
        goods->edSeek->selectAll();
        const std::unique_ptr<QMenu> menu(goods->edSeek->createStandardContextMenu());
        // Above the field, which lies near the window's lower edge.
        const QPoint at = goods->edSeek->mapToGlobal(QPoint(20, -menu->sizeHint().height()));
        menu->popup(at);
        QTest::qWait(100);
        QPixmap shot = Frm->grab();
        {
            QPainter painter(&shot);
            painter.drawPixmap(Frm->mapFromGlobal(menu->pos()), menu->grab());
        }
        const QString menuPath = folder + QStringLiteral("/context-menu.png");
        const bool menuSaved = shot.save(menuPath);
        std::fprintf(menuSaved ? stdout : stderr, "%s %s\n", menuSaved ? "zapisano" : "nie zapisano",
                     qPrintable(menuPath));
        saved = menuSaved && saved;
        menu->close();
    }
    return saved ? 0 : 1;
}
