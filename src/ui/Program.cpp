#include "ui/Program.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "db/Firebird.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "ui/AppEvents.h"
#include "ui/QtScreen.h"
#include "ui/SelDir.h"
#include "ui/UMain.h"
#include "ui/Uwaga.h"
#include "ui/finfprog.h"
#include "ui/flog.h"
#include "util/EndSignals.h"

#include <QPointer>
#include <QSocketNotifier>

#include <filesystem>
#include <optional>
#include <system_error>

namespace
{
// The hidden about window created at start-up; it deletes itself when it is closed.
QPointer<TfmInfProg> startupAbout;

// A signal asking the program to end does what the operator's own way out does at that moment: during the
// log-in the log-in window's exit, afterwards the main window's close (closing line, selections cleared, the
// connection detached when the modules go). Further signals while the program ends are not needed.
void EndOnSignal(int signal)
{
    static bool ending = false;
    if (ending)
        return;
    ending = true;
    LogLine("***********  Koniec pracy - " + EndSignalName(signal));
    if (fmLog != nullptr) {
        // A prompt over the log-in window (the connection error's) is answered as by Escape first.
        if (QWidget* top = QApplication::activeModalWidget(); top != nullptr && top != fmLog)
            top->close();
        fmLog->reject();
    } else if (Frm != nullptr && Frm->isVisible()) {
        Frm->close();
    } else {
        QCoreApplication::quit();
    }
}
} // namespace

void EnterExecutableDirectory(const std::string& exePath)
{
    std::error_code error;
    std::filesystem::current_path(ProgramFoldersOf(exePath).workDir, error);
}

bool CreateModulesAndWindows()
{
    dm = std::make_unique<Tdm>();
    dmu = std::make_unique<Tdmu>();
    dmu->DataModuleCreate();
    new TFrm; // shows the log-in window; Frm refers to it
    startupAbout = new TfmInfProg;
    fmInfProg = startupAbout;
    fmSD = new TfmSD;
    fmUwaga = new TfmUwaga;
    return !LoginAborted;
}

void DestroyModulesAndWindows()
{
    fmE.reset();
    delete fmUwaga;
    fmUwaga = nullptr;
    delete fmSD;
    fmSD = nullptr;
    // The start-up about window; the embedded one goes with the main window.
    delete startupAbout.data();
    delete Frm;
    dmu.reset();
    dm.reset();
}

int RunApplication(int argc, char** argv, const std::string& exePath)
{
    EnterExecutableDirectory(exePath);
    InitEnvironment(exePath);
    TarloApplication app(argc, argv);
    // After the application has set the locale from the environment, before the log-in's first connection.
    fb::UseUtf8FileNames();
    QtScreen screen;
    SetScreen(&screen);

    // The ending signals, blocked in main(), are read here in the event loop.
    EndSignalFd endSignals;
    std::optional<QSocketNotifier> endSignalNotifier;
    if (endSignals.Fd() >= 0) {
        endSignalNotifier.emplace(endSignals.Fd(), QSocketNotifier::Read);
        QObject::connect(&*endSignalNotifier, &QSocketNotifier::activated, [&endSignals] {
            while (const int signal = endSignals.Take())
                EndOnSignal(signal);
        });
    }

    int exitCode = 0;
    if (CreateModulesAndWindows()) {
        fmE = std::make_unique<TfmE>();
        Frm->show();
        exitCode = TarloApplication::exec();
    } else {
        RequestTerminate();
    }
    DestroyModulesAndWindows();
    SetScreen(nullptr);
    return exitCode;
}
