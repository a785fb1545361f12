#pragma once
// The process-wide state shared by every module and window, the start-up environment and the per-register,
// per-day working paths. Everything here is used on the user-interface thread only.
#include "util/DateTime.h"
#include "util/MyUtil.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern const std::string ProgramVersion; // "3.0 [24.086]"

extern std::string AppTitle;
extern std::string ProgramTitle;

// Working paths; directories end with "/".
extern std::string ExeDir;    // the program's own folder: koment.txt and the help file are shipped there
extern std::string ConfigDir; // Tarlo_db.INI and Firma.ini
extern std::string WorkDir;   // Dane, In, Out, KONFIG.txt and the register lock; the current directory
// The register library named in "Foldery.ini"; empty for "libWinIP.so" in ExeDir.
extern std::string WinIPLibraryPath;
extern std::string DataDir;
extern std::string RegisterDir;
extern std::string DayDir;
extern std::string ReadingFile;
extern std::string GoodsTable; // "Kartas" + year of SalesDate
extern Date SalesDate;

// The chosen register and its settings.
extern int CurrentRegisterId;
extern std::string RegisterCode; // two characters
extern std::string PortNumber;
extern std::string BaudRate;
extern std::string RegisterSystemNo;
extern std::string RegisterTimeout;
extern int ContractorCode;
extern std::string PriceField;
extern int PriceColumn;

// General exchange parameters.
extern int SalesRegisterNo;
extern std::string SalesDirection;
extern std::string WarehouseNo;
extern std::string DocumentType;

// Catalogue filters: SQL conditions appended to the catalogue query, empty for none.
extern std::string GroupFilter;
extern std::string LockFilter;
extern std::string SelectionFilter;

// Register exchange state.
extern std::string RequestFile;
extern std::string ResponseFile;
extern uint8_t ExchangeResult;
extern TimeOfDay OpStartTime;
extern std::string ErrorReportFile;
extern TextFile ErrorReport;

extern std::unique_ptr<TMyEcho> WorkLog;
extern std::vector<std::string> ResultTexts;

// Database connection values.
extern std::string DbPath;
extern std::string DbUser;
extern std::string DbPassword;
// "Tarlo"/"Silnik" = "wbudowany" in the INI file the connection values come from: a database path without a
// server name is opened straight by the embedded engine (which checks no password), not first through the
// Firebird server on this machine.
extern bool EmbeddedEngine;

extern bool LoginAborted;
extern bool LocalDatabase;
extern int HelpContextId;

// Where the program reads its configuration, keeps its work data and loads the register library. By default all of
// it is in the executable's own folder. An installed program has a file "Foldery.ini" beside its executable:
//   [Foldery]
//   Konfiguracja=/etc/tarlo-db
//   Praca=/var/lib/tarlo-db
//   Biblioteka=/usr/lib/tarlo-db-symulator/libWinIP.so
// A "Foldery.ini" in the configuration folder (the shop's own file) may name Praca and Biblioteka again, and its
// values win. A missing or empty key keeps the value before it; a relative path counts from the folder of the file
// that names it. Nothing else (no environment variable) moves these folders.
struct ProgramFolders {
    std::string configDir; // ends with "/"
    std::string workDir;   // ends with "/"
    std::string library;   // empty: "libWinIP.so" in the executable's folder
};
// `exeDir` is the executable's absolute folder.
ProgramFolders ReadProgramFolders(const std::string& exeDir);
// The same for an executable path; empty means the path of this process's own executable.
ProgramFolders ProgramFoldersOf(const std::string& exePath = {});

// Runs once before any module or window exists. `exePath` is the running executable's full path; empty means
// the path of this process's own executable.
// The folders Dane, In and Out are made when missing and checked for writing; each one that fails is named in
// StartupProblems (Windows-1250), for the program to show once it can.
void InitEnvironment(const std::string& exePath = {});
extern std::vector<std::string> StartupProblems;

// Where UpdateWorkPaths takes the sales date from: the main window's date picker.
class IDatePicker
{
public:
    virtual ~IDatePicker() = default;
    virtual Date PickedDate() const = 0;
};
// Without a picker, UpdateWorkPaths uses today.
void SetDatePicker(IDatePicker* picker);

// Recomputes SalesDate, RegisterDir, DayDir, GoodsTable and ReadingFile and creates the two directories. A
// directory that cannot be created is named in red on the status line (and so in the work history), once until the
// directories can be created again; the paths are set all the same.
// ReadingFile is the name the next readout would get (app/ReadoutFiles.h: the highest number used plus one); the
// readout chooses its name again when it stores the file. Throws ConversionError (from LeadingInt) for a register code
// such as "1-"; the paths other than ReadingFile are then already updated.
void UpdateWorkPaths();

// One line to the work history. A line that cannot be written is shown once in red on the status line (with the
// reason), until a line is written again.
void LogLine(const std::string& message);
// The outcome of a write to the error report that exists (opening it included): the first failure after a success
// is shown once in red with the reason and goes to the work history. A missing report is no failure: it is never
// created, so nothing is written to it.
void ErrorReportWritten(bool written, const std::string& reason = {});

// The status line of the main window: shows the text in red (error) or green, and repaints at once.
class IStatusLine
{
public:
    virtual ~IStatusLine() = default;
    virtual void ShowStatus(const std::string& text, bool error) = 0;
    // A record (work history, error report) that could not be written; shown, never written to the history.
    virtual void ShowRecordFailure(const std::string& text) { ShowStatus(text, true); }
    // True when each text replaces the one before (a failure to write a record then also goes with the next text,
    // so that it is not gone before it is read).
    virtual bool ReplacesItsText() const { return true; }
};
void SetStatusLine(IStatusLine* line);
// Shows the text on the status line; every non-empty text also goes to the work history.
void Komunikat(const std::string& text, bool error);
// The green closing line of a read from a register that succeeded: shown, but, as every successful read, not
// written to the work history.
void ShowReadOutcome(const std::string& text);
