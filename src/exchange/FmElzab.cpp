#include "exchange/FmElzab.h"

#include "app/ConstUnit.h"
#include "catalogue/CatalogueGoodsLookup.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
#include "exchange/CallRunner.h"
#include "exchange/ErrorReportScope.h"
#include "exchange/ExchangeView.h"
#include "exchange/OperationStatus.h"
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
const std::string ResetReportsFolder = "Zerowania";

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

void TfmE::ElzabSprz()
{
    RegisterLock lock(lockMode);
    if (!Locked(lock, "OTSpMax"))
        return;
    TwKonfig();
    if (view)
        view->MemoClear();
    ExchangeResult = 0;
    Komunikat("", false);

    // With the marker file present the response left by an earlier readout is processed again, without a call.
    if (FileExists(FindCaseless(".", "Test.dat")))
        ResponseFile = ExeSubdir("out") + "OTSpMax.out";
    else
        aOtSpMaxExecute();

    if (ExchangeResult == 0 && FileExists(ResponseFile)) {
        UpdateWorkPaths();
        ErrorReportScope report;
        const bool stored = StoreNewCopy("OTSpMax", ResponseFile, DayDir, ReadingFile);
        // The operator still sees what the register reported, marked as not stored.
        WCzytaj(ResponseFile);
        if (!stored && view)
            view->MemoInsertFirst(NotStoredMark + callProblem_);
    }
}

bool TfmE::StoreNewCopy(const std::string& operation, const std::string& source, const std::string& directory,
                        const std::string& target)
{
    std::string reason;
    if (!EnsureDirReporting(directory, reason))
        reason = CannotMakeFolderText + directory + ": " + reason;
    else if (CopyToNewFile(source, target, reason))
        return true;
    ExchangeResult = WinIPFileNotStored;
    callProblem_ = target + " (" + reason + ")";
    ErrAnnouncement(operation);
    return false;
}

std::string ResetReportsDir()
{
    return DayDir + ResetReportsFolder + "/";
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
    EnsureDir(RegisterDir);
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
    if (view)
        view->MemoClear();
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        throw std::runtime_error(UnreadableFileText + path);
    CatalogueGoodsLookup goods(GoodsTable);
    BuildSalesReport(lines, goods, [this](const std::vector<std::string>& report) {
        if (view)
            view->MemoAppend(report);
    });
}

namespace
{
// The counters were not reset after all: the sales report stored for the reset gets the name of a report without a
// reset, so that the hand-over to Wolnar does not take it for one and count the same sales again.
void MarkNotReset(const std::string& report)
{
    const std::string renamed = NotResetReportName(report);
    std::string reason;
    if (RenameNoOverwrite(report, renamed, reason)) {
        LogLine("Liczników nie wyzerowano: raport "_cp + report + " zapisano jako " + renamed);
        return;
    }
    // Liczników nie wyzerowano, a nie udało się zmienić nazwy raportu ... na ... (powód): przekazanie odczytów do
    const std::string text =
        "Liczników nie wyzerowano, a nie udało się zmienić nazwy raportu "_cp + report + " na " +
        std::filesystem::path(renamed).filename().string() + " (" + reason +
        "): przekazanie odczytów do Wolnar uzna go za zerowanie. Zmień jego nazwę ręcznie przed przekazaniem następnego odczytu tej kasy."_cp;
    Komunikat(text, true);
    WriteErrorReportLine(text);
}
} // namespace

void TfmE::aZerujLicznikiExecute()
{
    RegisterLock lock(lockMode);
    if (!Locked(lock, "OSprzed"))
        return;
    OpStartTime = TimeNow();
    if (view) {
        view->MemoClear();
        view->MemoInsertFirst("Start:" + LongTimeText(OpStartTime));
    }
    EnsureDir(RegisterDir);
    ErrorReportScope report;
    aOSprzedExecute();
    std::string stored; // the stored sales report
    // The counters are reset only after the register has handed over its sales and they are stored: the reset
    // zeroes sales that no readout may hold.
    if (ExchangeResult == 0) {
        if (DayDir.empty())
            UpdateWorkPaths();
        const std::string directory = ResetReportsDir();
        const std::string prefix = IntToStrPad(LeadingInt(RegisterCode), 3, "0") + "_" + DateText(SalesDate) + "_";
        // A number once given to a report of a failed reset is not given again.
        const auto taken = [](const std::string& name) {
            return FileExists(name) || FileExists(NotResetReportName(name));
        };
        for (int sequence = 1; sequence <= 999 && (stored.empty() || taken(stored)); ++sequence)
            stored = directory + prefix + IntToStrPad(sequence, 3, "0") + ".txt";
        StoreNewCopy("OSprzed", ResponseFile, directory, stored);
    }
    if (ExchangeResult == 0) {
        TwInFile("KSprOp");
        CallLibrary(WinIPFunction::KSprOp);
        ErrAnnouncement("KSprOp");
        if (ExchangeResult != 0)
            MarkNotReset(stored);
        if (view)
            view->MemoInsertFirst(TransmissionTimeLine());
    }
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
    // failure on the line, so an older list is never taken for the present one.
    if (view)
        view->SetRegisterGoods({});
    TwKonfig();
    EnsureDir(RegisterDir);
    TwInFile("TowarMax");
    TwOutFile("TowarMax");
    CallLibrary(WinIPFunction::TowarMax);
    result.text = ErrAnnouncement("TowarMax");
    result.code = ExchangeResult;
    if (ExchangeResult != 0) {
        Komunikat(GoodsListFailedText(RegisterCode, result.text), true);
        return result;
    }
    if (!ReadLines(ResponseFile, result.lines))
        throw std::runtime_error(UnreadableFileText + ResponseFile);
    if (view)
        view->SetRegisterGoods(result.lines);
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
        result.text = ErrAnnouncement2("KTowar");
        result.code = ExchangeResult;
        if (ExchangeResult != 0) {
            Komunikat(result.text + "; " + DeletedGoodsText(RegisterCode, result.deleted, picked.size()), true);
            return result;
        }
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
