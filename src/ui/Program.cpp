#include "ui/Program.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "ui/AppEvents.h"
#include "ui/QtScreen.h"
#include "ui/SelDir.h"
#include "ui/UMain.h"
#include "ui/Uwaga.h"
#include "ui/finfprog.h"

#include <QPointer>

#include <filesystem>
#include <system_error>

namespace
{
// The hidden about window created at start-up; it deletes itself when it is closed.
QPointer<TfmInfProg> startupAbout;
} // namespace

void EnterExecutableDirectory()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        std::filesystem::current_path(exe.parent_path(), error);
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

int RunApplication(int argc, char** argv)
{
    EnterExecutableDirectory();
    InitEnvironment();
    TarloApplication app(argc, argv);
    QtScreen screen;
    SetScreen(&screen);

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
