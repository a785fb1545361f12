#pragma once
// The register exchange module: every operation on a cash register through the communication library.
#include "exchange/GoodsExport.h"
#include "exchange/RegisterLock.h"

#include <memory>
#include <string>
#include <vector>

class WinIPLibrary;             // exchange/WinIP.h: the loaded communication library
enum class WinIPFunction : int; // exchange/WinIP.h: the eight library functions
class IExchangeView;            // exchange/ExchangeView.h: the readout and register-goods pages, the deletion grid
class IExportPage;              // exchange/ExportView.h: the goods export page's choices
class ICallRunner;              // exchange/CallRunner.h: how a library call is waited for
struct PickedGood;              // exchange/ExchangeView.h: a row picked in the deletion grid

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
    // Files kept per register and sales day (DayDir):
    //  - readouts: DayDir + NNN_yyyymmdd_SSS.txt (ReadingFile: register code, sales date, sequence number);
    //  - the sales report that __OSprzed returns before each counter reset: ResetReportsDir() + the same pattern of
    //    name, SSS the next free number in that folder. The reset zeroes sales that no readout may hold, so the
    //    report is stored first and the counters are not reset when it cannot be. It lies in a subfolder so that
    //    the stored-readouts list (the *.txt of DayDir) never shows it: it is never taken for a readout. When the
    //    reset itself then fails, the report is renamed to NotResetReportName (exchange/TradeHandOver.h), which the
    //    hand-over does not count as a reset; a rename that fails is announced in red.
    // Neither kind of file is ever overwritten. A file that cannot be stored is announced in red with the code
    // WinIPFileNotStored, in the work history and the error report; a readout's report is still shown, its first
    // line saying that it was not stored.
    void ElzabSprz();
    void aOtSpMaxExecute();
    void WCzytaj(const std::string& path);
    void aZerujLicznikiExecute();
    void aOSprzedExecute();

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
    void aExpoTowarEureka();

    WinIPLibrary& Library();

private:
    // True when the lock is held; otherwise announces the busy registers as `operation`'s result WinIPRegistersBusy
    // (also into `result`, when given).
    bool Locked(const RegisterLock& lock, const std::string& operation, OperationResult* result = nullptr);

    // Stores a copy of `source` as the new file `target` in `directory` (made when missing). On failure:
    // ExchangeResult = WinIPFileNotStored, announced for `operation`; false.
    bool StoreNewCopy(const std::string& operation, const std::string& source, const std::string& directory,
                      const std::string& target);
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
