#include "UiTestSupport.h"

#include "db/dbDDM.h"
#include "ui/UiText.h"
#include "ui/flog.h"

#include <filesystem>

UiSession::UiSession(std::optional<demodb::Content> content)
{
    previousDir_ = std::filesystem::current_path().string();
    std::filesystem::current_path(exeDir.Path());
    InitEnvironment(exeDir.Path() + "/Tarlo_db");
    log = std::make_unique<testsupport::WorkLogCapture>();
    if (content) {
        db = std::make_unique<testsupport::TempDatabase>(*content);
        DbPath = db->Path();
    } else {
        DbPath = exeDir.Path() + "/brak.fdb";
    }
    DbUser = "SYSDBA";
    DbPassword = "masterkey";
    EmbeddedEngine = true; // a throw-away file: never through a Firebird server that may run on this machine
    watchdog_.setSingleShot(true);
}

UiSession::~UiSession()
{
    watchdog_.stop();
    if (dm)
        dm->CloseConnection();
    std::filesystem::current_path(previousDir_);
}

void UiSession::OnNextLogin(std::function<void()> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        if (fmLog != nullptr)
            action();
    });
    watchdog_.callOnTimeout([] {
        if (fmLog != nullptr)
            fmLog->btnAnulujClick();
    });
    watchdog_.start(20000);
}

std::string Cp(const QString& text)
{
    return ToCp1250(text);
}
