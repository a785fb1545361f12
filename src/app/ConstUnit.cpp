#include "app/ConstUnit.h"
#include "app/ReadoutFiles.h"

#include "util/Cp1250Literal.h"
#include "util/IniFile.h"
#include "util/SafeFile.h"
#include "util/Screen.h"

#include <cerrno>
#include <filesystem>
#include <map>

#include <unistd.h>

namespace fs = std::filesystem;

const std::string ProgramVersion = "3.0 [24.086]";

std::vector<std::string> StartupProblems;
std::string AppTitle;
std::string ProgramTitle;

std::string ExeDir;
std::string ConfigDir;
std::string WorkDir;
std::string WinIPLibraryPath;
std::string DataDir;
std::string RegisterDir;
std::string DayDir;
std::string ReadingFile;
std::string GoodsTable;
Date SalesDate;

int CurrentRegisterId = 0;
std::string RegisterCode;
std::string PortNumber;
std::string BaudRate;
std::string RegisterSystemNo;
std::string RegisterTimeout;
int ContractorCode = 0;
std::string PriceField;
int PriceColumn = 0;

int SalesRegisterNo = 0;
std::string SalesDirection;
std::string WarehouseNo;
std::string DocumentType;

std::string GroupFilter;
std::string LockFilter;
std::string SelectionFilter;

std::string RequestFile;
std::string ResponseFile;
uint8_t ExchangeResult = 0;
TimeOfDay OpStartTime;
std::string ErrorReportFile;
TextFile ErrorReport;

std::unique_ptr<TMyEcho> WorkLog;
std::vector<std::string> ResultTexts;

std::string DbPath;
std::string DbUser;
std::string DbPassword;
bool EmbeddedEngine = false;

bool LoginAborted = false;
bool LocalDatabase = false;
int HelpContextId = 0;

namespace
{

IDatePicker* datePicker = nullptr;
IStatusLine* statusLine = nullptr;

std::string OwnExecutablePath()
{
    std::error_code ec;
    const fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

bool IsEmbeddedEngine(const std::string& engine)
{
    return UpperCase1250(Trim(engine)) == "WBUDOWANY";
}

void ReadConnectionValues(const std::string& ownIniName)
{
    DbPath.clear();
    DbUser.clear();
    DbPassword.clear();
    EmbeddedEngine = false;
    const std::string firmaPath = FindCaseless(ConfigDir, "Firma.ini");
    if (FileExists(firmaPath)) {
        // The company-wide file wins whenever it exists, even for keys it lacks; its FK section wins over Tarlo.
        const IniFile firma(firmaPath);
        DbPath = firma.Read("FK", "SerwerBazy");
        if (!DbPath.empty())
            DbPath += ":";
        DbPath += AddPathSeparator(firma.Read("FK", "SciezkaDoBazy"));
        DbPath += firma.Read("FK", "BazaSQL");
        DbPassword = firma.Read("FK", "HLDS");
        if (DbPath.empty())
            DbPath = firma.Read("Tarlo", "Pth");
        DbUser = firma.Read("Tarlo", "User", "SYSDBA");
        if (DbPassword.empty())
            DbPassword = firma.Read("Tarlo", "Pass", "pinewoods");
        EmbeddedEngine = IsEmbeddedEngine(firma.Read("Tarlo", "Silnik"));
    } else {
        const IniFile own(FindCaseless(ConfigDir, ownIniName));
        DbPath = own.Read("Tarlo", "Pth");
        DbUser = own.Read("Tarlo", "User", "SYSDBA");
        DbPassword = own.Read("Tarlo", "Pass", "pinewoods");
        EmbeddedEngine = IsEmbeddedEngine(own.Read("Tarlo", "Silnik"));
    }
}

fs::path AbsoluteExecutable(const std::string& exePath)
{
    std::error_code ec;
    fs::path executable(exePath.empty() ? OwnExecutablePath() : exePath);
    const fs::path absolute = fs::absolute(executable, ec);
    return ec ? executable : absolute;
}

// A path named in "Foldery.ini" at `base` (a folder ending with "/"): as it is when absolute, otherwise from `base`.
std::string NamedPath(const std::string& base, const std::string& named)
{
    return !named.empty() && named.front() == '/' ? named : base + named;
}

// Reads Praca and Biblioteka (and Konfiguracja when `withConfig`) from "Foldery.ini" in `dir` into `folders`.
void ReadFolderFile(const std::string& dir, bool withConfig, ProgramFolders& folders)
{
    const IniFile file(FindCaseless(dir, "Foldery.ini"));
    const std::string base = AddPathSeparator(dir, "/");
    if (const std::string named = Trim(file.Read("Foldery", "Konfiguracja")); withConfig && !named.empty())
        folders.configDir = AddPathSeparator(NamedPath(base, named), "/");
    if (const std::string named = Trim(file.Read("Foldery", "Praca")); !named.empty())
        folders.workDir = AddPathSeparator(NamedPath(base, named), "/");
    if (const std::string named = Trim(file.Read("Foldery", "Biblioteka")); !named.empty())
        folders.library = NamedPath(base, named);
}

// An existing directory of that name whatever its letter case, otherwise a new one with the given spelling. One
// that cannot be made, or cannot be written to, is added to StartupProblems.
std::string EnsureDirCaseless(const std::string& parent, const std::string& name)
{
    const std::string path = FindCaseless(parent, name);
    std::string reason;
    if (!EnsureDirReporting(path, reason))
        StartupProblems.push_back("Nie można utworzyć folderu "_cp + path + ": " + reason);
    else if (::access(path.c_str(), W_OK | X_OK) != 0)
        StartupProblems.push_back("Brak prawa zapisu w folderze "_cp + path + ": " + SystemErrorText(errno));
    return path;
}

// The work folder last reported as one that cannot be created; empty once the work folders exist.
std::string unmadeWorkFolder;

// Creates the work folders in order. One that cannot be created does not stop the program: the first such folder is
// named to the operator in red (status line and work history), once, until the work folders can be created again.
void EnsureWorkFolders(std::initializer_list<std::string> folders)
{
    std::string folder, reason;
    for (const std::string& candidate : folders)
        if (!EnsureDirReporting(candidate, reason)) {
            folder = candidate;
            break;
        }
    if (folder == unmadeWorkFolder)
        return;
    unmadeWorkFolder = folder;
    if (folder.empty())
        return;
    // Nie można utworzyć folderu ...: powód. Odczytów tej kasy z tego dnia nie będzie można zapisać.
    Komunikat("Nie można utworzyć folderu "_cp + folder + ": " + reason +
                  ". Odczytów tej kasy z tego dnia nie będzie można zapisać."_cp,
              true);
}

} // namespace

ProgramFolders ReadProgramFolders(const std::string& exeDir)
{
    ProgramFolders folders;
    folders.configDir = folders.workDir = AddPathSeparator(exeDir, "/");
    ReadFolderFile(exeDir, true, folders);
    if (folders.configDir != AddPathSeparator(exeDir, "/"))
        ReadFolderFile(folders.configDir, false, folders);
    return folders;
}

ProgramFolders ProgramFoldersOf(const std::string& exePath)
{
    return ReadProgramFolders(AbsoluteExecutable(exePath).parent_path().string());
}

void InitEnvironment(const std::string& exePath)
{
    AppTitle = "Brenmo_Soft             Wymiana danych z kasami ELZAB ";
    // The number and date formats are fixed in the helpers themselves ("." decimal point, "dd.MM.yyyy"); they do
    // not depend on the process locale.

    const fs::path executable = AbsoluteExecutable(exePath);
    ExeDir = AddPathSeparator(executable.parent_path().string(), "/");
    StartupProblems.clear();
    const ProgramFolders folders = ReadProgramFolders(ExeDir);
    ConfigDir = folders.configDir;
    WorkDir = folders.workDir;
    WinIPLibraryPath = folders.library;
    DataDir = EnsureDirCaseless(WorkDir, "Dane") + "/";

    WorkLog = std::make_unique<TMyEcho>();
    WorkLog->Init(DataDir, "H_" + DateText(Today()).substr(0, 6) + ".txt", ProgramVersion, false, false);

    ReadConnectionValues(fs::path(executable.filename()).replace_extension(".INI").string());

    // The result texts: from the current directory, as the register library's own reader takes them, otherwise the
    // copy shipped in the program's folder (an installed program works in a folder of its own).
    ResultTexts.clear();
    std::error_code ec;
    const std::string currentDir = fs::current_path(ec).string();
    std::string koment = FindCaseless(ec ? std::string(".") : currentDir, "koment.txt");
    if (!FileExists(koment))
        koment = FindCaseless(ExeDir, "koment.txt");
    ReadLines(koment, ResultTexts);

    EnsureDirCaseless(WorkDir, "In");
    // The error report is appended to only when it exists, so an existing one is found whatever its letter case.
    ErrorReportFile = FindCaseless(EnsureDirCaseless(WorkDir, "Out"), "log.txt");
}

void SetDatePicker(IDatePicker* picker)
{
    datePicker = picker;
}

void UpdateWorkPaths()
{
    SalesDate = datePicker ? datePicker->PickedDate() : Today();
    const std::string dateText = DateText(SalesDate);
    RegisterDir = DataDir + "Kasa" + RegisterCode + "/";
    DayDir = RegisterDir + dateText + "/";
    EnsureWorkFolders({RegisterDir, DayDir});
    GoodsTable = "Kartas" + std::to_string(SalesDate.year);

    // The name the next readout would get; the readout itself chooses its name again under the register lock.
    const std::string prefix = ReadoutNamePrefix(RegisterCode, SalesDate);
    ReadingFile = DayDir + prefix + IntToStrPad(HighestReadoutSequence(DayDir, prefix) + 1, 3, "0") + ".txt";
}

namespace
{
bool historyFailing = false;
bool errorReportFailing = false;
// A failure shown while no message was on its way: it also goes with the next message, which would otherwise
// replace it before the operator could read it.
std::string pendingNotice;

void ShowRecordFailure(const std::string& text, bool withNextMessage)
{
    if (statusLine)
        statusLine->ShowRecordFailure(text);
    if (withNextMessage && statusLine && statusLine->ReplacesItsText())
        pendingNotice = text;
}

// The first line that cannot be written after one that could is shown, together with what was on the status line.
void CheckHistoryWrite(bool written, const std::string& shown)
{
    if (written) {
        historyFailing = false;
        return;
    }
    if (historyFailing)
        return;
    historyFailing = true;
    const std::string notice =
        "Nie można zapisać historii pracy "_cp + WorkLog->FileName + " (" + WorkLog->Problem + ")";
    if (shown.empty())
        ShowRecordFailure(notice, true);
    else
        ShowRecordFailure(shown + " | " + notice, false);
}
} // namespace

void ErrorReportWritten(bool written, const std::string& reason)
{
    if (written) {
        errorReportFailing = false;
        return;
    }
    if (errorReportFailing)
        return;
    errorReportFailing = true;
    const std::string notice = "Nie można zapisać raportu błędów "_cp + ErrorReportFile + " (" + reason + ")";
    LogLine(notice);
    ShowRecordFailure(notice, true);
}

void LogLine(const std::string& message)
{
    if (WorkLog)
        CheckHistoryWrite(WorkLog->Echo(message), {});
}

void SetStatusLine(IStatusLine* line)
{
    statusLine = line;
}

void ShowReadOutcome(const std::string& text)
{
    if (statusLine && !pendingNotice.empty())
        statusLine->ShowRecordFailure(text + " | " + pendingNotice);
    else if (statusLine)
        statusLine->ShowStatus(text, false);
    pendingNotice.clear();
}

void Komunikat(const std::string& text, bool error)
{
    if (statusLine) {
        if (!text.empty() && !pendingNotice.empty())
            statusLine->ShowRecordFailure(text + " | " + pendingNotice);
        else
            statusLine->ShowStatus(text, error);
    }
    if (!text.empty())
        pendingNotice.clear();
    if (!text.empty() && WorkLog)
        CheckHistoryWrite(WorkLog->Echo(text), text);
}
