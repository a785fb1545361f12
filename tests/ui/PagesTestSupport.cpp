#include "PagesTestSupport.h"

#include "app/ConstUnit.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "ui/Program.h"
#include "ui/UMain.h"
#include "ui/flog.h"
#include "util/MyUtil.h"

#include <QTest>

#include <cstdlib>
#include <filesystem>

PagesProgram::PagesProgram() = default;

PagesProgram::~PagesProgram()
{
    DestroyModulesAndWindows();
    session.reset();
    unsetenv("WINIP_SYM_DIR");
    unsetenv("WINIP_TIME_SCALE");
}

std::string PagesProgram::Start(const std::string& serverDatabase)
{
    namespace fs = std::filesystem;
    const char* bin = std::getenv("TARLO_BIN_DIR");
    if (bin == nullptr)
        return "TARLO_BIN_DIR is not set";
    if (serverDatabase.empty()) {
        session = std::make_unique<UiSession>(demodb::Content::Demo);
    } else {
        session = std::make_unique<UiSession>(std::nullopt);
        DbPath = serverDatabase;
        EmbeddedEngine = false;
    }
    std::error_code error;
    fs::create_symlink(std::string(bin) + "/libWinIP.so", ExeDir + "libWinIP.so", error);
    if (error)
        return "cannot link libWinIP.so: " + error.message();
    fs::copy_file(std::string(bin) + "/koment.txt", ExeDir + "koment.txt", error);
    // The session read the result texts before the copy was there.
    ResultTexts.clear();
    ReadLines(ExeDir + "koment.txt", ResultTexts);
    setenv("WINIP_SYM_DIR", simulator.Path().c_str(), 1);
    setenv("WINIP_TIME_SCALE", "0.01", 1);

    session->OnNextLogin([] { fmLog->btnPotwClick(); });
    if (!CreateModulesAndWindows())
        return "the log-in failed:\n" + session->log->Text();
    // As the program body does: the exchange module comes after the main window, before it is shown.
    fmE = std::make_unique<TfmE>();
    Frm->show();
    if (!QTest::qWaitForWindowExposed(Frm))
        return "the main window did not show";
    if (session->log->Text().find("!!!!!!!!!!!") != std::string::npos)
        return "errors while starting:\n" + session->log->Text();
    return {};
}

std::string PagesProgram::RegisterFolder(int number) const
{
    return simulator.Path() + "/kasa" + IntToStrPad(number, 2, "0");
}

int64_t Flag(const std::string& asort, const std::string& field)
{
    return dm->ReadInteger(field, "select " + field + " from blok_cen where asort=" + SqlQuote(asort), -1);
}

int64_t SelectedGoods()
{
    return dm->ReadInteger("il", "select count(*) as il from blok_cen where wybor=1", -1);
}

std::vector<std::string> FileLines(const std::string& path)
{
    std::vector<std::string> lines;
    ReadLines(path, lines);
    return lines;
}
