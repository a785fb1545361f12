// Drives the program on the prepared demo (tools/prepare-demo.sh) through "changed since the last export" and the
// comparison with register 1, saving what the operator sees to PNG files. Not a test; tools/demo-changed.sh runs it
// in its steps:
//     ui_sent_goods_demo porownaj FOLDER     the comparison: the memory becomes what register 1 holds
//     ui_sent_goods_demo zmienione FOLDER    "zmienione od ostatniego eksportu", export, comparison again
// It lives beside Tarlo_db and starts the way Tarlo_db does (its directory, its INI file, the demo database).
// Prints the selected goods and the comparison's counts; exits 1 when something did not happen.
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "ui/AppEvents.h"
#include "ui/ExportPage.h"
#include "ui/PageControls.h"
#include "ui/Program.h"
#include "ui/QtScreen.h"
#include "ui/RegisterGoodsPage.h"
#include "ui/UMain.h"
#include "ui/flog.h"
#include "util/Screen.h"

#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <string>

namespace
{

bool Save(const QString& folder, const char* name)
{
    QTest::qWait(200);
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    const bool saved = Frm->grab().save(path);
    std::printf("%s %s\n", saved ? "zapisano" : "nie zapisano", qPrintable(path));
    return saved;
}

void ShowSubPage(QWidget* page)
{
    Frm->PCtrlMain->setCurrentWidget(Frm->tbsPraca);
    Frm->PCtrlPraca->setCurrentWidget(page);
    QTest::qWait(100);
}

// Runs the comparison for the current register and prints its counts; true when it ran.
bool Compare()
{
    ShowSubPage(Frm->tbsWykazTow);
    Frm->tbsWykazTow->btnPorownaj->click();
    for (const std::string& line : Frm->tbsWykazTow->LastComparison().report)
        if (!line.empty() && line[0] >= '1' && line[0] <= '5')
            std::printf("  %s\n", line.c_str());
    return !Frm->tbsWykazTow->LastComparison().report.empty();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ui_sent_goods_demo porownaj|zmienione FOLDER\n");
        return 2;
    }
    const std::string stage = argv[1];
    const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    EnterExecutableDirectory();
    InitEnvironment();
    TarloApplication app(argc, argv);
    QtScreen screen;
    SetScreen(&screen);
    SetErrorBoxShown(false);

    // The log-in window is confirmed with the values of the INI file as soon as it shows.
    QTimer::singleShot(0, [] {
        if (fmLog != nullptr)
            fmLog->btnPotwClick();
    });
    if (!CreateModulesAndWindows()) {
        std::fprintf(stderr, "log-in failed\n");
        return 1;
    }
    fmE = std::make_unique<TfmE>();
    Frm->show();
    Frm->setWindowState(Qt::WindowNoState);
    Frm->resize(1200, 760);
    if (!QTest::qWaitForWindowExposed(Frm))
        std::fprintf(stderr, "the main window did not show\n");
    dmu->MoveToRegister(0); // register 1

    bool ok = true;
    if (stage == "porownaj") {
        ok = Compare() && Save(folder, "porownanie-wypelnienie.png");
    } else {
        ExportPage* goods = Frm->tbsTowary;
        ShowSubPage(goods);
        goods->rgWybor->Item(3)->click(); // "zmienione od ostatniego eksportu"
        QTest::qWait(100);
        DataSet selected;
        dm->OpenSds(selected, "select asort from blok_cen where wybor=1 order by asort");
        std::printf("zaznaczone: %d:", selected.RecordCount());
        for (const Row& row : selected.Rows)
            std::printf(" %s", row.at(0).AsString().c_str());
        std::printf("\n");
        ok = Save(folder, "zmienione-od-eksportu.png");
        goods->btnEksport->click();
        ok = Compare() && Frm->tbsWykazTow->LastComparison().toSend.empty() && Save(folder, "porownanie-zgodne.png") &&
             ok;
    }
    DestroyModulesAndWindows();
    SetScreen(nullptr);
    return ok ? 0 : 1;
}
