#pragma once
// The register exchange module: every operation on a cash register through the communication library.
#include "exchange/GoodsExport.h"
#include "exchange/RegisterLock.h"
#include "util/Decimal.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class WinIPLibrary;             // exchange/WinIP.h: the loaded communication library
enum class WinIPFunction : int; // exchange/WinIP.h: the eight library functions
class IExchangeView;            // exchange/ExchangeView.h: the readout and register-goods pages, the deletion grid
class IExportPage;              // exchange/ExportView.h: the goods export page's choices
class ICallRunner;              // exchange/CallRunner.h: how a library call is waited for
enum class LedgerKind;          // exchange/ReadoutLedger.h
struct CodeTotals;              // exchange/ResetReport.h

// The outcome of a sales readout.
struct ReadoutResult {
    bool ok = false;                // the register answered and its response was read
    bool test = false;              // a replayed response (Test.dat): shown only, neither stored nor recorded
    std::string storedFile;         // the readout file stored (empty when it could not be stored)
    bool recorded = false;          // the stored file has its row in the ledger of stored readouts
    std::vector<std::string> lines; // the response's lines
    Decimal total;                  // the sum of its values, 2 decimals
    unsigned code = 0;              // ExchangeResult when it failed
    std::string failure;            // what the operator was told, Windows-1250
};

// The outcome of a counter reset.
struct ResetResult {
    bool ok = false;        // the counters were reset
    std::string reportFile; // the sales report stored and recorded (also when the reset then failed)
    unsigned code = 0;      // ExchangeResult when the register refused
    std::string failure;    // what the operator was told, Windows-1250
};

struct PickedGood; // exchange/ExchangeView.h: a row picked in the deletion grid

// The outcome of a register operation, for its caller: whether it succeeded, the code of the step that failed
// (ExchangeResult then; 0 on success) and the Polish text the operator was shown for it (Windows-1250; empty when
// nothing was shown). The globals that other code reads (ExchangeResult, the status line) are still set.
struct OperationResult {
    bool ok = false;
    unsigned code = 0;
    std::string text;
};

// TfmE::WczytajTowary: the register's goods list as the library returned it (the lines of TowarMax.out).
struct RegisterGoodsResult : OperationResult {
    std::vector<std::string> lines;
};

// TfmE::aKasujTowarExecute: the register codes of the goods deleted, in the order they were deleted.
struct DeletionResult : OperationResult {
    std::vector<std::string> deleted;
};

// TfmE::PorownajZKasa: the comparison's report and the symbols of its first two groups (the goods the register
// lacks and those that differ), ready to be selected for export, for the register compared.
struct ComparisonResult : OperationResult {
    std::vector<std::string> report;
    std::vector<std::string> toSend;
    int registerId = -1;      // CurrentRegisterId of the comparison
    std::string registerCode; // its two-digit code
};

class TfmE
{
public:
    TfmE();
    ~TfmE();
    TfmE(const TfmE&) = delete;
    TfmE& operator=(const TfmE&) = delete;

    // Windows that the operations write into; null means "no window" (nothing is shown).
    IExchangeView* view = nullptr;
    IExportPage* exportPage = nullptr;
    // Every register operation holds the register lock shared with the other program; the window gives up at once
    // when another program holds it, the unattended tool waits.
    RegisterLock::Mode lockMode = RegisterLock::Mode::Refuse;
    // Runs the library calls; null means "directly, on the caller's thread".
    ICallRunner* callRunner = nullptr;

    // ---- the frame
    // TwKonfig writes "KONFIG.txt" for the chosen register, TwInFile the request header of the operation into
    // RequestFile, WriteRequestFile all of RequestLines (each line ended by CR LF). Each file is written through a
    // temporary file and replaces the old one only when complete. When it cannot be written, the old file is
    // removed if it can be, the function returns false, and the next CallLibrary makes no call: ExchangeResult
    // gets WinIPFileNotStored and the announcement names the file and the reason. A later successful write of the
    // same file lifts that.
    bool TwKonfig();
    bool TwInFile(const std::string& operation);
    void TwOutFile(const std::string& operation);
    // Both announce the outcome of `operation` (ExchangeResult) and return the text shown (empty: nothing shown).
    std::string ErrAnnouncement(const std::string& operation);
    std::string ErrAnnouncement2(const std::string& operation);
    std::vector<std::string> RequestLines;
    bool WriteRequestFile();
    // The library call: RequestFile (and ResponseFile for the three read functions) handed to the function, its
    // result stored in ExchangeResult at once. The call itself goes through callRunner when there is one. When
    // the call cannot be made (library or function missing, path too long, configuration or request file not
    // written) ExchangeResult gets WinIPNotLoaded, WinIPFileNameError or WinIPFileNotStored (exchange/WinIP.h) and
    // the announcement that follows says why.
    void CallLibrary(WinIPFunction function);
    // The result description of the announcements: the line of ResultTexts for the code (key: the code padded
    // with blanks to three characters, then a tab); for the codes of our own (WinIPNotLoaded, WinIPBadGoodsCode)
    // the reason the last call was not made.
    std::string ResultText(unsigned code) const;
    // "Czas transmisji: " + whole seconds since OpStartTime + " sek."
    std::string TransmissionTimeLine() const;

    // ---- sales readout, counter reset, report
    // Files kept per register and sales day (app/ReadoutFiles.h): readouts in DayDir, the sales reports that
    // __OSprzed returns before each counter reset in its "Zerowania/" folder; both named NNN_yyyymmdd_SSS.txt with
    // one sequence per register and day, the name chosen under the register lock, the file created exclusively and
    // never overwritten. Each stored file is recorded in the ledger of stored readouts (exchange/ReadoutLedger.h),
    // which the hand-over to Wolnar accepts files from. A file that cannot be stored is announced in red with the
    // code WinIPFileNotStored, in the work history and the error report; a readout's report is still shown, its
    // first line saying that it was not stored.
    //
    // With "Test.dat" in the current directory the readout makes no call and replays the last response: the
    // report is shown marked as a test, nothing is stored or recorded, and no counter reset is made afterwards in
    // this run (testReplayed).
    ReadoutResult ElzabSprz();
    void aOtSpMaxExecute();
    // Shows the sales report of a stored readout file, its codes named as its hand-over to Wolnar books them.
    void WCzytaj(const std::string& path);
    // The counter reset: __OSprzed, its sales report read (ParseResetReport), stored and recorded as the period's
    // last readout, and only then __KSprOp; the report's row ends the counting period once __KSprOp returned 0. When
    // the report cannot be read, stored or recorded, or the ledger's tables are missing, the counters are not reset.
    ResetResult aZerujLicznikiExecute();
    void aOSprzedExecute();
    bool testReplayed = false;

    // ---- register goods list and deletion
    // Reads the register's goods list (__TowarMax) and shows it on the register goods page.
    RegisterGoodsResult WczytajTowary();
    // Deletes the goods picked in the deletion grid one by one (__KTowar), unpicking each one deleted; stops at the
    // first failure.
    DeletionResult aKasujTowarExecute();
    // Deletes every good of the register (__KTowMax).
    OperationResult aKasujWszystkieTowaryExecute();

    // ---- comparison with the register (FmElzabCompare.cpp)
    // "Porównanie z kasą": reads the register's goods list (__TowarMax), compares it with what the catalogue
    // would send to the register today, shows the report on the register goods page and makes the memory of sent
    // goods (WYSLANE) what the register holds. Not ok when the list could not be read.
    ComparisonResult PorownajZKasa();
    // Writes the report of `comparison` to ComparisonReportPath() through a temporary file; false (red message)
    // on failure, or when there is no report.
    static bool ZapiszPorownanie(const ComparisonResult& comparison);
    // DataDir + "Porownanie_kasa" + the register code + ".txt"
    static std::string ComparisonReportPath(const std::string& registerCode);

    // ---- goods export (FmElzabExport.cpp)
    // Sends the goods of the request, one library call per good, each checked just before its call (GoodsRecord's
    // rule of what can be sent, the guard of shared codes) and remembered when the register accepted it. Sets
    // ExchangeResult (the first failed good's code) and the status line; the outcome is the returned value.
    GoodsExportResult ExportGoods(const GoodsExportRequest& request);
    // The export of the window: the goods the operator marked, with the page's choices (exportPage).
    GoodsExportResult aExpoTowarExecute();
    // The request of an unattended run: the goods of the catalogue view that changed since the last export to the
    // current register, found under the register lock, each sent as its change needs or all as `forced`. The
    // window's marks are neither read nor written; a good not sent stays "changed" in the memory. By default a good
    // the register has lost goes again at once with full data.
    static GoodsExportRequest ChangedGoodsRequest(std::optional<SendKind> forced);
    void aExpoTowarEureka();

    WinIPLibrary& Library();

private:
    // Shows the sales report of the file at `path`; its goods are those recorded with `storedPath` in the ledger
    // (the catalogue's when it is empty or not recorded).
    void ShowSalesReport(const std::string& path, const std::string& storedPath);
    // True when the lock is held; otherwise announces the busy registers as `operation`'s result WinIPRegistersBusy
    // (also into `result`, when given).
    bool Locked(const RegisterLock& lock, const std::string& operation, OperationResult* result = nullptr);

    // Stores `content` as the next numbered file of the register and day in `folder` (app/ReadoutFiles.h). On
    // failure: ExchangeResult = WinIPFileNotStored, announced for `operation`; empty.
    std::string StoreNumbered(const std::string& operation, const std::string& content, const std::string& folder);
    // Records a stored file in the ledger; a failure is announced in red (and goes to the error report). False then.
    bool Record(const std::string& path, const std::string& content, LedgerKind kind,
                const std::vector<CodeTotals>& totals, std::string& failure);
    // Writes a file the library reads; `problem` gets "file (reason)" when it fails, and is cleared otherwise.
    bool WriteLibraryFile(const std::string& path, const std::string& content, std::string& problem);

    void ForgetSent(int code);
    std::unique_ptr<WinIPLibrary> library_;
    std::string callProblem_;    // why the last call was not made, for the codes of our own
    std::string konfigProblem_;  // "KONFIG.txt (reason)" while the configuration file is not written
    std::string requestProblem_; // the same for the request file
};

// The folder of the sales reports stored before counter resets: DayDir + "Zerowania/".
std::string ResetReportsDir();

extern std::unique_ptr<TfmE> fmE;
