#include "cli/Session.h"

#include "catalogue/Dmutils.h"
#include "db/DataSet.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "exchange/ReadoutLedger.h"
#include "util/Cp1250.h"
#include "util/SafeFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace cli
{

namespace
{
// The program's own executable, whose INI file the tool reads: the tool stands beside it.
constexpr const char* ProgramName = "Tarlo_db";

std::string OwnDirectory()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}
} // namespace

Session::Session()
{
    SetScreen(&screen_);
    SetStatusLine(&status);
}

Session::~Session()
{
    fmE.reset();
    dmu.reset();
    dm.reset();
    SetStatusLine(nullptr);
    SetScreen(nullptr);
}

bool Session::OpenEnvironment()
{
    const std::string directory = OwnDirectory();
    // The work folder: the tool's own folder, or the one its "Foldery.ini" names.
    const std::string workDir =
        directory.empty() ? std::string() : ProgramFoldersOf(directory + "/" + ProgramName).workDir;
    std::error_code error;
    std::filesystem::current_path(workDir, error);
    if (directory.empty() || error) {
        PrintError(QStringLiteral("Nie można wejść do folderu roboczego %1: %2")
                       .arg(QString::fromStdString(workDir), FromCore(SystemErrorText(error.value()))));
        return false;
    }
    InitEnvironment(directory + "/" + ProgramName);
    LogLine("tarlo-cli " + Utf8ToWin1250(CommandLineText().toStdString()) + " - start");
    for (const std::string& problem : StartupProblems)
        PrintError(FromCore(problem));
    if (DbPath.empty()) {
        PrintError(QStringLiteral("Brak ścieżki bazy danych w konfiguracji: ani Firma.ini, ani Tarlo_db.INI w "
                                  "folderze %1 jej nie podaje.")
                       .arg(QString::fromStdString(ConfigDir)));
        return false;
    }
    return true;
}

bool Session::Open()
{
    if (!OpenEnvironment())
        return false;
    dm = std::make_unique<Tdm>();
    dmu = std::make_unique<Tdmu>();
    dmu->DataModuleCreate();
    dm->BazaConnect();
    if (ConnectStatus != 0 && dm->ConnectError && dm->ConnectError->DatabaseBusy()) {
        PrintError(QStringLiteral("Baza danych %1 jest zajęta: otworzył ją inny program wbudowanym silnikiem "
                                  "Firebird (np. Tarlo_db). Nic nie zrobiono. Do pracy bez obsługi połącz program "
                                  "i narzędzie przez lokalny serwer Firebird.")
                       .arg(FromCore(DbPath)));
        return false;
    }
    if (ConnectStatus != 0) {
        PrintError(QStringLiteral("Brak połączenia z bazą danych %1 (użytkownik %2). Nic nie zrobiono.")
                       .arg(FromCore(DbPath), FromCore(DbUser)));
        return false;
    }
    // As at the program's log-in: the administrator's connection brings the application's tables up to date.
    // Readouts stored before the ledger of stored readouts existed are recorded in it once, when it is made.
    const bool newLedger = LedgerMissing();
    dm->AdministratorCheck(false);
    if (newLedger && !LedgerMissing())
        RecordExistingFiles();
    fmE = std::make_unique<TfmE>();
    return true;
}

bool ListRegisters(std::vector<RegisterEntry>& registers)
{
    registers.clear();
    try {
        registers = ReadRegisterList();
    } catch (const DbError& e) {
        PrintError(QStringLiteral("Nie można odczytać listy kas z COM_DEF: ") + FromCore(e.OperatorText()));
        return false;
    }
    return true;
}

const RegisterEntry* FindRegister(const std::vector<RegisterEntry>& registers, const QString& code)
{
    const RegisterEntry* entry = FindRegisterByCode(registers, code.toStdString());
    if (!entry)
        PrintError(QStringLiteral("Nie ma kasy %1 w COM_DEF. Nic nie zrobiono.").arg(code));
    return entry;
}

} // namespace cli
