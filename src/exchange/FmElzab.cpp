#include "exchange/FmElzab.h"

#include "app/ConstUnit.h"
#include "app/ReadoutFiles.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
#include "exchange/CallRunner.h"
#include "exchange/ErrorReportScope.h"
#include "exchange/ExchangeView.h"
#include "exchange/OperationStatus.h"
#include "exchange/ReadoutLedger.h"
#include "exchange/ResetReport.h"
#include "exchange/SalesReport.h"
#include "exchange/TradeHandOver.h"
#include "exchange/WinIP.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/SafeFile.h"
#include "util/ScopeExit.h"
#include "util/Screen.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

std::unique_ptr<TfmE> fmE;

namespace
{

const std::string NoErrorsText = "] - Transmisja bez błędów"_cp;
const std::string UnreadableFileText = "Nie można odczytać pliku "_cp;
const std::string NotANumberText = "Kod towaru nie jest liczbą: "_cp;
const std::string NotStoredMark = "!!! Odczyt nie został zapisany: "_cp;
const std::string CannotMakeFolderText = "nie można utworzyć folderu "_cp;
const std::string FileNotStoredText = "Nie zapisano pliku";
const std::string TestReplayMark =
    "TEST: pokazano odpowiedź zapisaną wcześniej (plik Test.dat) - to nie jest odczyt kasy; nie zapisano go i nie "
    "można go przesłać do Wolnar."_cp;

// The existing subdirectory of the work folder called `name` in any letter case ("in", "out"), with a trailing "/".
std::string ExeSubdir(const std::string& name)
{
    return FindCaseless(WorkDir, name) + "/";
}

} // namespace

TfmE::TfmE() = default;
TfmE::~TfmE() = default;

WinIPLibrary& TfmE::Library()
{
    if (!library_)
        library_ = std::make_unique<WinIPLibrary>();
    return *library_;
}

// ---------------------------------------------------------------------------------------------------------------
// The frame

bool TfmE::WriteLibraryFile(const std::string& path, const std::string& content, std::string& problem)
{
    std::string reason;
    if (WriteFileHandedOver(path, content, reason)) {
        problem.clear();
        return true;
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    problem = (ec ? path : absolute.lexically_normal().string()) + " (" + reason + ")";
    // An old file left in place would be taken for this one by whoever reads it next.
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)))
        std::filesystem::remove(path, ec);
    return false;
}

bool TfmE::TwKonfig()
{
    const std::string line = "$" + RegisterSystemNo + "\tCOM" + PortNumber + ":" + BaudRate + ":STX0:1:E\t" +
                             RegisterTimeout + "\tK10\t\r\n";
    return WriteLibraryFile(FindCaseless(".", "KONFIG.txt"), line, konfigProblem_);
}

bool TfmE::TwInFile(const std::string& operation)
{
    ExchangeResult = 0;
    RequestFile = ExeSubdir("in") + operation + ".in";
    RequestLines = {"#" + RegisterSystemNo, "#", "#"};
    return WriteRequestFile();
}

bool TfmE::WriteRequestFile()
{
    std::string text;
    for (const auto& line : RequestLines)
        text += line + "\r\n";
    return WriteLibraryFile(RequestFile, text, requestProblem_);
}

void TfmE::TwOutFile(const std::string& operation)
{
    ResponseFile = ExeSubdir("out") + operation + ".out";
    std::error_code ignored;
    std::filesystem::remove(ResponseFile, ignored);
}

bool TfmE::Locked(const RegisterLock& lock, const std::string& operation, OperationResult* result)
{
    if (lock.Held())
        return true;
    ExchangeResult = WinIPRegistersBusy;
    callProblem_ = lock.Problem();
    ErrorReportScope report;
    const std::string text = ErrAnnouncement(operation);
    if (result) {
        result->code = ExchangeResult;
        result->text = text;
    }
    return false;
}

void TfmE::CallLibrary(WinIPFunction function)
{
    // Held already by the operation around the call; taken here too so that no call goes without it.
    RegisterLock lock(lockMode);
    if (!lock.Held()) {
        ExchangeResult = WinIPRegistersBusy;
        callProblem_ = lock.Problem();
        return;
    }
    // A call after a configuration or request file that was not written would act on an old or partial one.
    const std::string& unwritten = !konfigProblem_.empty() ? konfigProblem_ : requestProblem_;
    if (!unwritten.empty()) {
        ExchangeResult = WinIPFileNotStored;
        callProblem_ = unwritten;
        return;
    }
    // Only the call leaves this thread: it gets copies of the paths and touches nothing else of the module.
    WinIPLibrary& library = Library();
    uint8_t result = 0;
    const auto call = [&library, &result, function, request = RequestFile, response = ResponseFile] {
        result = library.Call(function, request, response);
    };
    if (callRunner)
        callRunner->Run(call);
    else
        call();
    ExchangeResult = result;
    callProblem_ = library.Problem();
    // The announcement of a path too long carries the library's text for the code; the path goes to the history.
    if (ExchangeResult == WinIPFileNameError && !callProblem_.empty())
        LogLine(callProblem_);
}

std::string TfmE::ResultText(unsigned code) const
{
    if ((code == WinIPNotLoaded || code == WinIPBadGoodsCode || code == WinIPRegistersBusy) && !callProblem_.empty())
        return callProblem_;
    const std::string description = LookupLine(IntToStrPad(code, 3, " ") + "\t", ResultTexts, true);
    if (code == WinIPFileNotStored && !callProblem_.empty())
        return (description.empty() ? FileNotStoredText : description) + " " + callProblem_;
    return description;
}

namespace
{
std::string ErrorText(const TfmE& module, const std::string& operation)
{
    return "[" + operation + "] Error " + std::to_string(ExchangeResult) + " : " + module.ResultText(ExchangeResult);
}
} // namespace

std::string TfmE::ErrAnnouncement(const std::string& operation)
{
    if (ExchangeResult == 0) {
        Komunikat("", false);
        return {};
    }
    const std::string text = ErrorText(*this, operation);
    Komunikat(text, true);
    WriteErrorReportLine(text);
    return text;
}

std::string TfmE::ErrAnnouncement2(const std::string& operation)
{
    if (ExchangeResult == 0) {
        const std::string text = "[" + operation + NoErrorsText;
        Komunikat(text, false);
        return text;
    }
    const std::string text = ErrorText(*this, operation);
    WriteErrorReportLine(text);
    Komunikat(text, true);
    return text;
}

std::string TfmE::TransmissionTimeLine() const
{
    // Only times of day are kept: an operation that ends after midnight has the day's length to add.
    constexpr int MsecPerDay = 24 * 60 * 60 * 1000;
    int elapsed = MsecOfDay(TimeNow()) - MsecOfDay(OpStartTime);
    if (elapsed < 0)
        elapsed += MsecPerDay;
    const int seconds = elapsed / 1000;
    return "Czas transmisji: " + std::to_string(seconds) + " sek.";
}

// ---------------------------------------------------------------------------------------------------------------
// Sales readout, counter reset and the sales report

namespace
{
// The sum of a readout's values.
Decimal ReadoutTotal(const std::vector<std::string>& lines)
{
    std::vector<CodeTotals> totals;
    std::string ignored;
    ReadoutFileTotals(lines, totals, ignored);
    int64_t sum = 0;
    for (const CodeTotals& item : totals)
        sum += item.value;
    return Decimal{sum, 4}.Rescaled(2);
}
} // namespace

ReadoutResult TfmE::ElzabSprz()
{
    ReadoutResult result;
    RegisterLock lock(lockMode);
    if (!Locked(lock, "OTSpMax")) {
        result.code = ExchangeResult;
        result.failure = ResultText(ExchangeResult);
        return result;
    }
    TwKonfig();
    if (view)
        view->MemoClear();
    ExchangeResult = 0;
    Komunikat("", false);

    // With the marker file present the response left by an earlier readout is shown again, without a call: a
    // support tool, never a readout of the register.
    result.test = FileExists(FindCaseless(".", "Test.dat"));
    if (result.test)
        ResponseFile = ExeSubdir("out") + "OTSpMax.out";
    else
        aOtSpMaxExecute();

    std::string content;
    if (ExchangeResult != 0 || !ReadWholeFile(ResponseFile, content)) {
        result.code = ExchangeResult;
        result.failure = ExchangeResult != 0 ? ErrorText(*this, "OTSpMax") : std::string();
        return result;
    }
    result.ok = true;
    result.lines = ContentLines(content);
    result.total = ReadoutTotal(result.lines);
    if (result.test) {
        testReplayed = true;
        ShowSalesReport(ResponseFile, std::string());
        if (view)
            view->MemoInsertFirst(TestReplayMark);
        Komunikat(TestReplayMark, false);
        return result;
    }
    UpdateWorkPaths();
    ErrorReportScope report;
    result.storedFile = StoreNumbered("OTSpMax", content, DayDir);
    if (!result.storedFile.empty()) {
        ReadingFile = result.storedFile;
        std::vector<CodeTotals> totals;
        std::string problem;
        result.recorded = ReadoutFileTotals(result.lines, totals, problem) &&
                          Record(result.storedFile, content, LedgerKind::Readout, totals, problem);
        if (!result.recorded)
            result.failure = "Odczyt zapisano jako "_cp + result.storedFile +
                             ", ale nie w rejestrze odczytów bazy danych ("_cp + problem +
                             "), więc nie można go przesłać do Wolnar."_cp;
    } else {
        result.failure = ResultText(ExchangeResult);
    }
    // The operator still sees what the register reported, marked as not stored; a recorded readout names the goods
    // its hand-over will book.
    ShowSalesReport(ResponseFile, result.recorded ? result.storedFile : std::string());
    if (result.storedFile.empty() && view)
        view->MemoInsertFirst(NotStoredMark + callProblem_);
    if (!result.recorded && !result.storedFile.empty()) {
        Komunikat(result.failure, true);
        WriteErrorReportLine(result.failure);
    }
    return result;
}

std::string TfmE::StoreNumbered(const std::string& operation, const std::string& content, const std::string& folder)
{
    std::string stored, reason;
    const std::string prefix = ReadoutNamePrefix(RegisterCode, SalesDate);
    // A number the database recorded is never given again, even when its file has been deleted or moved away.
    const int recorded = HighestRecordedSequence(static_cast<int>(LeadingInt(RegisterCode)), prefix);
    if (StoreNumberedFile(content, folder, DayDir, prefix, recorded, stored, reason))
        return stored;
    ExchangeResult = WinIPFileNotStored;
    callProblem_ = (stored.empty() ? folder : stored) + " (" + reason + ")";
    ErrAnnouncement(operation);
    return {};
}

bool TfmE::Record(const std::string& path, const std::string& content, LedgerKind kind,
                  const std::vector<CodeTotals>& totals, std::string& failure)
{
    if (!dm || !dm->Connected()) {
        failure = "brak połączenia z bazą danych"_cp;
        return false;
    }
    return RecordStoredFile(static_cast<int>(LeadingInt(RegisterCode)), CurrentRegisterId, path, content, kind,
                            SalesDate, totals, failure);
}

std::string ResetReportsDir()
{
    return ResetReportsDirOf(DayDir);
}

void TfmE::aOtSpMaxExecute()
{
    RegisterLock lock(lockMode);
    if (!Locked(lock, "OTSpMax"))
        return;
    TwKonfig();
    OpStartTime = TimeNow();
    if (view) {
        view->MemoClear();
        view->MemoInsertFirst("Start " + LongTimeText(OpStartTime));
    }
    TwInFile("OTSpMax");
    TwOutFile("OTSpMax");
    {
        ErrorReportScope report;
        CallLibrary(WinIPFunction::OTSpMax);
        ErrAnnouncement("OTSpMax");
    }
    if (view)
        view->MemoInsertFirst(TransmissionTimeLine());
}

void TfmE::WCzytaj(const std::string& path)
{
    ShowSalesReport(path, path);
}

void TfmE::ShowSalesReport(const std::string& path, const std::string& storedPath)
{
    if (view)
        view->MemoClear();
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        throw std::runtime_error(UnreadableFileText + path);
    const std::unique_ptr<IGoodsLookup> goods = StoredFileGoods(storedPath);
    BuildSalesReport(lines, *goods, [this](const std::vector<std::string>& report) {
        if (view)
            view->MemoAppend(report);
    });
}

ResetResult TfmE::aZerujLicznikiExecute()
{
    ResetResult result;
    const auto refuse = [&result](const std::string& text) {
        result.failure = text;
        Komunikat(text, true);
        WriteErrorReportLine(text);
        return result;
    };
    RegisterLock lock(lockMode);
    if (!Locked(lock, "OSprzed")) {
        result.code = ExchangeResult;
        result.failure = ResultText(ExchangeResult);
        return result;
    }
    OpStartTime = TimeNow();
    if (view) {
        view->MemoClear();
        view->MemoInsertFirst("Start:" + LongTimeText(OpStartTime));
    }
    ErrorReportScope report;
    if (testReplayed)
        return refuse("Pokazano odczyt testowy (Test.dat), nie odczyt kasy: zerowanie liczników po nim jest "
                      "niedozwolone. Usuń Test.dat i uruchom program ponownie."_cp);
    // The sales the reset zeroes go to Wolnar only through the ledger: without its tables nothing may be zeroed.
    if (!dm || !dm->Connected())
        return refuse("Brak połączenia z bazą danych - liczników nie wyzerowano."_cp);
    if (const std::vector<std::string> missing = MissingLedgerObjects(); !missing.empty())
        return refuse("Liczników nie wyzerowano. "_cp + MissingObjectsText(missing));
    aOSprzedExecute();
    if (ExchangeResult != 0) {
        result.code = ExchangeResult;
        result.failure = ErrorText(*this, "OSprzed");
        return result;
    }
    // The counters are reset only after the sales they hold are read, stored and recorded: the reset zeroes sales
    // that no readout may hold.
    if (DayDir.empty())
        UpdateWorkPaths();
    std::string content, problem;
    std::vector<CodeTotals> totals;
    if (!ReadWholeFile(ResponseFile, content))
        return refuse("Nie można odczytać raportu sprzedaży "_cp + ResponseFile + " - liczników nie wyzerowano."_cp);
    if (!ParseResetReport(ContentLines(content), totals, problem))
        return refuse("Raport sprzedaży kasy jest nieczytelny ("_cp + problem + ") - liczników nie wyzerowano."_cp);
    const std::string stored = StoreNumbered("OSprzed", content, ResetReportsDir());
    if (stored.empty()) {
        result.code = ExchangeResult;
        result.failure = ResultText(ExchangeResult);
        return result;
    }
    if (!Record(stored, content, LedgerKind::ResetReport, totals, problem))
        return refuse("Raportu sprzedaży "_cp + stored + " nie zapisano w rejestrze odczytów (" + problem +
                      ") - liczników nie wyzerowano."_cp);
    result.reportFile = stored;
    TwInFile("KSprOp");
    CallLibrary(WinIPFunction::KSprOp);
    ErrAnnouncement("KSprOp");
    if (view)
        view->MemoInsertFirst(TransmissionTimeLine());
    // A failed reset closes nothing: the report stays an ordinary readout of the period.
    if (ExchangeResult != 0) {
        result.code = ExchangeResult;
        result.failure = ErrorText(*this, "KSprOp");
        return result;
    }
    result.ok = true;
    if (!MarkPeriodEnd(static_cast<int>(LeadingInt(RegisterCode)), std::filesystem::path(stored).filename().string(),
                       problem))
        refuse("Liczniki wyzerowano, ale nie zapisano w bazie danych końca okresu ("_cp + problem +
               "). Następny odczyt tej kasy zostanie uznany za zerowanie w kasie; postępuj według komunikatu przy "
               "jego przesłaniu."_cp);
    return result;
}

void TfmE::aOSprzedExecute()
{
    RegisterLock lock(lockMode);
    if (!Locked(lock, "OSprzed"))
        return;
    TwKonfig();
    TwInFile("OSprzed");
    TwOutFile("OSprzed");
    CallLibrary(WinIPFunction::OSprzed);
    ErrAnnouncement("OSprzed");
}

// ---------------------------------------------------------------------------------------------------------------
// Register goods list and deletion

RegisterGoodsResult TfmE::WczytajTowary()
{
    RegisterGoodsResult result;
    RegisterLock lock(lockMode);
    if (!Locked(lock, "TowarMax", &result))
        return result;
    ErrorReportScope report;
    Komunikat("Wczytywanie danych", false);
    // The list shown is the register's only after a read that succeeded: a failure leaves the area empty and the
    // failure on the line, so an older list is never taken for the present one. An unexpected error says so on the
    // line before it goes on to the error handler.
    const auto show = [this](const std::vector<std::string>& lines) {
        try {
            if (view)
                view->SetRegisterGoods(lines);
        } catch (const std::exception& error) {
            Komunikat(GoodsListFailedText(RegisterCode, OperatorText(error)), true);
            throw;
        }
    };
    show({});
    TwKonfig();
    TwInFile("TowarMax");
    TwOutFile("TowarMax");
    CallLibrary(WinIPFunction::TowarMax);
    result.code = ExchangeResult;
    if (ExchangeResult != 0) {
        // One red line says it all: the operation and the register's error.
        result.text = ErrorText(*this, "TowarMax");
        WriteErrorReportLine(result.text);
        Komunikat(GoodsListFailedText(RegisterCode, result.text), true);
        return result;
    }
    if (!ReadLines(ResponseFile, result.lines)) {
        const std::string text = UnreadableFileText + ResponseFile;
        Komunikat(GoodsListFailedText(RegisterCode, text), true);
        throw std::runtime_error(text);
    }
    show(result.lines);
    ShowReadOutcome(GoodsListReadText(RegisterCode, GoodsInList(result.lines)));
    result.ok = true;
    return result;
}

// The register no longer holds the good of `code` (every good for -1): the memory of sent goods forgets it.
void TfmE::ForgetSent(int code)
{
    if (!dm || !dm->Connected() || !SentTableExists())
        return;
    dm->RunSQL(code < 0 ? SentClearCommand(CurrentRegisterId) : SentDeleteCommand(CurrentRegisterId, code));
}

DeletionResult TfmE::aKasujTowarExecute()
{
    DeletionResult result;
    RegisterLock lock(lockMode);
    if (!Locked(lock, "KTowar", &result))
        return result;
    OpStartTime = TimeNow();
    Komunikat("", false);

    const std::vector<PickedGood> picked = view ? view->PickedGoods() : std::vector<PickedGood>();
    if (picked.empty()) {
        result.text = "Brak zaznaczonych pozycji";
        Komunikat(result.text, true);
        return result;
    }
    TwKonfig();
    ErrorReportScope report;
    std::vector<std::string> deleted;
    for (const auto& good : picked) {
        TwInFile("KTowar");
        const std::string digits = TrimBlanks(good.code);
        if (AllDigits(digits)) {
            // The one record line names the good by its code field: "$" and five digits.
            RequestLines.push_back("$" + PadLeft(digits, 5, "0"));
            WriteRequestFile();
            CallLibrary(WinIPFunction::KTowar);
        } else {
            // A register code is a number; anything else cannot name a good, so the library is not asked.
            ExchangeResult = WinIPBadGoodsCode;
            callProblem_ = NotANumberText + good.code;
        }
        result.code = ExchangeResult;
        if (ExchangeResult != 0) {
            // One red line: the register's error and what was deleted before it.
            result.text = ErrorText(*this, "KTowar");
            WriteErrorReportLine(result.text);
            Komunikat(result.text + "; " + DeletedGoodsText(RegisterCode, result.deleted, picked.size()), true);
            return result;
        }
        result.text = ErrAnnouncement2("KTowar");
        ForgetSent(std::stoi(digits.substr(digits.size() > 5 ? digits.size() - 5 : 0)));
        result.deleted.push_back(PadLeft(digits, 5, "0"));
        if (view)
            view->UnpickRow(good.row);
    }
    Komunikat(DeletedGoodsText(RegisterCode, result.deleted, picked.size()), false);
    result.ok = true;
    return result;
}

OperationResult TfmE::aKasujWszystkieTowaryExecute()
{
    OperationResult result;
    RegisterLock lock(lockMode);
    if (!Locked(lock, "KTowMax", &result))
        return result;
    TwKonfig();
    TwInFile("KTowMax");
    CallLibrary(WinIPFunction::KTowMax);
    ErrorReportScope report;
    result.text = ErrAnnouncement2("KTowMax");
    result.code = ExchangeResult;
    result.ok = ExchangeResult == 0;
    if (result.ok) {
        ForgetSent(-1);
        Komunikat("Skasowano wszystkie towary w kasie "_cp + RegisterCode, false);
    }
    return result;
}
