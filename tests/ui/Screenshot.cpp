// Renders the main window, started on a demo database, to a PNG file:
//     QT_QPA_PLATFORM=offscreen ui_screenshot docs/screenshots/main.png [directory]
// With a directory, the log-in window, the page "O programie" and the help window are saved there as well.
#include "UiTestSupport.h"
#include "ui/AppEvents.h"
#include "ui/HelpWindow.h"
#include "ui/Program.h"
#include "ui/UMain.h"
#include "ui/flog.h"

#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_screenshot <file.png> [directory]\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    const QString extra = argc > 2 ? QString::fromLocal8Bit(argv[2]) + QLatin1Char('/') : QString();
    TarloApplication app(argc, argv);
    int result = 1;
    {
        UiSession session(demodb::Content::Demo);
        session.OnNextLogin([extra] {
            if (!extra.isEmpty())
                fmLog->grab().save(extra + QStringLiteral("login.png"));
            fmLog->btnPotwClick();
        });
        if (CreateModulesAndWindows()) {
            Frm->show();
            // A window of a usual desktop size instead of the offscreen screen's.
            Frm->setWindowState(Qt::WindowNoState);
            Frm->resize(1200, 760);
            QTest::qWait(200);
            result = Frm->grab().save(target) ? 0 : 1;
            if (!extra.isEmpty()) {
                Frm->PCtrlMain->setCurrentWidget(Frm->tbsOpis);
                QTest::qWait(100);
                Frm->grab().save(extra + QStringLiteral("about.png"));
                const QString help = qEnvironmentVariable("TARLO_BIN_DIR") + QStringLiteral("/Tarlo.hlp");
                QFile::copy(help, QString::fromStdString(ExeDir) + QStringLiteral("Tarlo.hlp"));
                Frm->btnHlp->click();
                if (Frm->helpWindow() != nullptr) {
                    QTest::qWait(100);
                    Frm->helpWindow()->grab().save(extra + QStringLiteral("help.png"));
                }
            }
        }
        DestroyModulesAndWindows();
    }
    return result;
}
