#include "exchange/FmElzab.h"

#include "app/ConstUnit.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
#include "exchange/ErrorReportScope.h"
#include "exchange/ExchangeView.h"
#include "exchange/WinIP.h"
#include "util/MyUtil.h"
#include "util/Screen.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

std::unique_ptr<TfmE> fmE;

namespace
{

const std::string MissingGoodName = " !!! Brak odpowiednika w kartotece asort.";
// "] - Transmisja bez błędów", "Nie można odczytać pliku ", "Kod towaru nie jest liczbą: " in Windows-1250
const std::string NoErrorsText = "] - Transmisja bez b\xB3\xEA"
                                 "d\xF3w";
const std::string UnreadableFileText = "Nie mo\xBFna odczyta\xE6 pliku ";
const std::string NotANumberText = "Kod towaru nie jest liczb\xB9: ";

// How many codes one catalogue query of the sales report carries.
constexpr std::size_t LookupBatchSize = 400;
// A code longer than this cannot be a goods symbol; it is reported as unknown without asking the database.
constexpr std::size_t LongestGoodsSymbol = 250;

// Runs the action when the scope is left, also by an exception.
template <class Action> class ScopeExit
{
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
};

void WriteErrorReportLine(const std::string& text)
{
    if (ErrorReport.handle)
        WriteTextLine(DateTimeText(Now()) + ": " + text, ErrorReport);
}

// The existing subdirectory of ExeDir called `name` in any letter case ("in", "out"), with a trailing "/".
std::string ExeSubdir(const std::string& name)
{
    return FindCaseless(ExeDir, name) + "/";
}

std::string TrimBlanksRight(const std::string& text)
{
    const auto end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string TrimBlanks(const std::string& text)
{
    const auto begin = text.find_first_not_of(' ');
    return begin == std::string::npos ? std::string() : TrimBlanksRight(text.substr(begin));
}

bool AllDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string WithoutLeadingZeros(const std::string& digits)
{
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

// ---- the sales report

struct CatalogueGood {
    std::string symbol; // "asort" without trailing blanks
    std::string unit;
    std::string name;
};

struct ReadoutLine {
    std::string code;
    double quantity = 0;
    double value = 0;
};

ReadoutLine ParseReadoutLine(const std::string& line)
{
    ReadoutLine result;
    result.code = TailFrom(TabField(line, 1), 2);
    result.quantity = TextToFloat(TabField(line, 2), 0);
    result.value = TextToFloat(TabField(line, 3), 0) / 100;
    return result;
}

// Finds the catalogue goods of readout codes with a few queries per batch of codes, giving for each code the good
// that one query per code would give:
//  1. the good whose "asort" equals the code (compared as the database compares texts: trailing blanks ignored);
//  2. when there is none and the code is all digits, the good whose "asort" is the code's integer value written
//     without leading zeros: the export sends symbol 123 as $00123, so the register reports 00123 for it;
//  3. failing that too, the smallest "asort" made of digits with leading zeros that has the same integer value
//     (0123 for 00123). These symbols are fetched once per report, through the index ("starting with '0'").
class GoodsLookup
{
public:
    // Looks up every code of the list not looked up before.
    void Prepare(const std::vector<std::string>& codes)
    {
        std::vector<std::string> symbols;
        for (const auto& code : codes)
            AddSymbol(TrimBlanksRight(code), symbols);
        QuerySymbols(symbols);

        symbols.clear();
        for (const auto& code : codes)
            if (AllDigits(code) && !bySymbol_.at(TrimBlanksRight(code)))
                AddSymbol(Canonical(code), symbols);
        QuerySymbols(symbols);

        if (!zeroPadded_)
            for (const auto& code : codes)
                if (AllDigits(code) && !Find(code)) {
                    LoadZeroPadded();
                    break;
                }
    }

    // The good of a code given to Prepare before; null when the catalogue has none.
    const CatalogueGood* Find(const std::string& code) const
    {
        if (const auto& exact = bySymbol_.at(TrimBlanksRight(code)))
            return &*exact;
        if (!AllDigits(code))
            return nullptr;
        if (const auto& canonical = bySymbol_.at(Canonical(code)))
            return &*canonical;
        if (!zeroPadded_)
            return nullptr;
        const auto it = zeroPadded_->find(WithoutLeadingZeros(code));
        return it == zeroPadded_->end() ? nullptr : &it->second;
    }

private:
    // The integer value of a code of digits, without leading zeros ("0" for zero).
    static std::string Canonical(const std::string& digits)
    {
        const std::string value = WithoutLeadingZeros(digits);
        return value.empty() ? "0" : value;
    }

    void AddSymbol(const std::string& symbol, std::vector<std::string>& symbols)
    {
        if (bySymbol_.emplace(symbol, std::nullopt).second && symbol.size() <= LongestGoodsSymbol)
            symbols.push_back(symbol);
    }

    template <class Handle> static void ForEachGood(const std::string& sql, Handle handle)
    {
        dm->OpenSQT(sql);
        ScopeExit close([] { dm->SQT.Close(); });
        for (; !dm->SQT.Eof(); dm->SQT.Next())
            handle(CatalogueGood{TrimBlanksRight(dm->SQT.FieldByName("asort").AsString()),
                                 dm->SQT.FieldByName("jm").AsString(), dm->SQT.FieldByName("nazwa").AsString()});
    }

    // The goods of the symbols, LookupBatchSize symbols per query.
    void QuerySymbols(const std::vector<std::string>& symbols)
    {
        for (std::size_t start = 0; start < symbols.size(); start += LookupBatchSize) {
            const std::size_t end = std::min(symbols.size(), start + LookupBatchSize);
            std::string sql = "select asort,jm,nazwa from " + GoodsTable + " where asort in (";
            for (std::size_t i = start; i < end; ++i)
                sql += SqlQuoteItem(symbols[i], i + 1 == end);
            ForEachGood(sql + ")", [this](CatalogueGood good) {
                auto it = bySymbol_.find(good.symbol);
                if (it != bySymbol_.end() && !it->second)
                    it->second = std::move(good);
            });
        }
    }

    void LoadZeroPadded()
    {
        zeroPadded_.emplace();
        ForEachGood("select asort,jm,nazwa from " + GoodsTable + " where asort starting with '0'",
                    [this](CatalogueGood good) {
                        if (!AllDigits(good.symbol))
                            return;
                        const auto [it, added] = zeroPadded_->emplace(WithoutLeadingZeros(good.symbol), good);
                        if (!added && good.symbol < it->second.symbol)
                            it->second = std::move(good);
                    });
    }

    // Symbol without trailing blanks -> its good, or nothing; holds both the codes and their integer values.
    std::map<std::string, std::optional<CatalogueGood>> bySymbol_;
    // Integer value (digits without leading zeros) -> the smallest symbol of digits with leading zeros.
    std::optional<std::map<std::string, CatalogueGood>> zeroPadded_;
};

// A number in its picture, right-aligned in the picture's width so that the report's columns stand one under the
// other and a code is never read together with the quantity beside it. A number wider than its picture is
// written whole.
std::string InPictureWidth(const std::string& picture, double value)
{
    const std::string text = FormatFloat(picture, value);
    return text.size() < picture.size() ? std::string(picture.size() - text.size(), ' ') + text : text;
}

std::string ReportLine(int number, const ReadoutLine& line, const CatalogueGood* good)
{
    const std::string unit = good ? good->unit : std::string();
    const std::string name = good && !good->name.empty() ? good->name : MissingGoodName;
    return IntToStrPad(number, 4, " ") + PadLeft(line.code, 7, " ") + InPictureWidth("##### ##0.000", line.quantity) +
           PadLeft(unit, 5, " ") + InPictureWidth("##### ##0.00", line.value) + "  " + name;
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

void TfmE::TwKonfig()
{
    const std::string line = "$" + RegisterSystemNo + "\tCOM" + PortNumber + ":" + BaudRate + ":STX0:1:E\t" +
                             RegisterTimeout + "\tK10\t\r\n";
    SaveText(line, FindCaseless(".", "KONFIG.txt"));
}

void TfmE::TwInFile(const std::string& operation)
{
    ExchangeResult = 0;
    RequestFile = ExeSubdir("in") + operation + ".in";
    RequestLines = {"#" + RegisterSystemNo, "#", "#"};
    WriteRequestFile();
}

void TfmE::WriteRequestFile()
{
    std::string text;
    for (const auto& line : RequestLines)
        text += line + "\r\n";
    SaveText(text, RequestFile);
}

void TfmE::TwOutFile(const std::string& operation)
{
    ResponseFile = ExeSubdir("out") + operation + ".out";
    std::error_code ignored;
    std::filesystem::remove(ResponseFile, ignored);
}

void TfmE::CallLibrary(WinIPFunction function)
{
    ExchangeResult = Library().Call(function, RequestFile, ResponseFile);
    callProblem_ = Library().Problem();
    // The announcement of a path too long carries the library's text for the code; the path goes to the history.
    if (ExchangeResult == WinIPFileNameError && !callProblem_.empty())
        LogLine(callProblem_);
}

std::string TfmE::ResultText(unsigned code) const
{
    if ((code == WinIPNotLoaded || code == WinIPBadGoodsCode) && !callProblem_.empty())
        return callProblem_;
    return LookupLine(IntToStrPad(code, 3, " ") + "\t", ResultTexts, true);
}

namespace
{
std::string ErrorText(const TfmE& module, const std::string& operation)
{
    return "[" + operation + "] Error " + std::to_string(ExchangeResult) + " : " + module.ResultText(ExchangeResult);
}
} // namespace

void TfmE::ErrAnnouncement(const std::string& operation)
{
    if (ExchangeResult == 0) {
        Komunikat("", false);
        return;
    }
    const std::string text = ErrorText(*this, operation);
    Komunikat(text, true);
    WriteErrorReportLine(text);
}

void TfmE::ErrAnnouncement2(const std::string& operation)
{
    if (ExchangeResult == 0) {
        Komunikat("[" + operation + NoErrorsText, false);
        return;
    }
    const std::string text = ErrorText(*this, operation);
    WriteErrorReportLine(text);
    Komunikat(text, true);
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
    TwKonfig();
    if (view)
        view->MemoClear();
    ExchangeResult = 0;
    Komunikat("", false);
    if (view)
        view->SetReadButtonsEnabled(false);
    ScopeExit enableButtons([this] {
        if (view)
            view->SetReadButtonsEnabled(true);
    });

    // With the marker file present the response left by an earlier readout is processed again, without a call.
    if (FileExists(FindCaseless(".", "Test.dat")))
        ResponseFile = ExeSubdir("out") + "OTSpMax.out";
    else
        aOtSpMaxExecute();

    if (ExchangeResult == 0 && FileExists(ResponseFile)) {
        UpdateWorkPaths();
        CopyFileNoOverwrite(ResponseFile, ReadingFile);
        WCzytaj(ResponseFile);
    }
}

void TfmE::aOtSpMaxExecute()
{
    TwKonfig();
    OpStartTime = TimeNow();
    if (view) {
        view->MemoClear();
        view->MemoInsertFirst("Start " + LongTimeText(OpStartTime));
    }
    ProcessMessages();
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
    if (lines.size() < 4)
        return;

    GoodsLookup goods;
    for (std::size_t start = 3; start < lines.size(); start += LookupBatchSize) {
        const std::size_t end = std::min(lines.size(), start + LookupBatchSize);
        std::vector<ReadoutLine> batch;
        std::vector<std::string> codes;
        for (std::size_t i = start; i < end; ++i) {
            batch.push_back(ParseReadoutLine(lines[i]));
            codes.push_back(batch.back().code);
        }
        goods.Prepare(codes);
        std::vector<std::string> report;
        for (std::size_t i = 0; i < batch.size(); ++i)
            report.push_back(ReportLine(static_cast<int>(start + i - 2), batch[i], goods.Find(batch[i].code)));
        if (view)
            view->MemoAppend(report);
    }
}

void TfmE::aZerujLicznikiExecute()
{
    OpStartTime = TimeNow();
    if (view) {
        view->MemoClear();
        view->MemoInsertFirst("Start:" + LongTimeText(OpStartTime));
    }
    ProcessMessages();
    EnsureDir(RegisterDir);
    ErrorReportScope report;
    aOSprzedExecute();
    // The counters are reset only after the register has handed over its sales.
    if (ExchangeResult == 0) {
        TwInFile("KSprOp");
        CallLibrary(WinIPFunction::KSprOp);
        ErrAnnouncement("KSprOp");
        if (view)
            view->MemoInsertFirst(TransmissionTimeLine());
    }
}

void TfmE::aOSprzedExecute()
{
    TwKonfig();
    TwInFile("OSprzed");
    TwOutFile("OSprzed");
    CallLibrary(WinIPFunction::OSprzed);
    ErrAnnouncement("OSprzed");
}

// ---------------------------------------------------------------------------------------------------------------
// Register goods list and deletion

void TfmE::WczytajTowary()
{
    ErrorReportScope report;
    // Also after an unexpected error: an error shown below stays only in the history and the error report.
    ScopeExit clearStatus([] { Komunikat("", false); });
    Komunikat("Wczytywanie danych", false);
    TwKonfig();
    EnsureDir(RegisterDir);
    TwInFile("TowarMax");
    TwOutFile("TowarMax");
    CallLibrary(WinIPFunction::TowarMax);
    ErrAnnouncement("TowarMax");
    if (ExchangeResult != 0)
        return;
    std::vector<std::string> lines;
    if (!ReadLines(ResponseFile, lines))
        throw std::runtime_error(UnreadableFileText + ResponseFile);
    if (view)
        view->SetRegisterGoods(lines);
}

// The register no longer holds the good of `code` (every good for -1): the memory of sent goods forgets it.
void TfmE::ForgetSent(int code)
{
    if (!dm || !dm->Connected() || !SentTableExists())
        return;
    dm->RunSQL(code < 0 ? SentClearCommand(CurrentRegisterId) : SentDeleteCommand(CurrentRegisterId, code));
}

void TfmE::aKasujTowarExecute()
{
    if (view)
        view->SetDeleteButtonsEnabled(false);
    ScopeExit enableButtons([this] {
        if (view)
            view->SetDeleteButtonsEnabled(true);
    });
    OpStartTime = TimeNow();
    Komunikat("", false);
    ProcessMessages();

    const std::vector<PickedGood> picked = view ? view->PickedGoods() : std::vector<PickedGood>();
    if (picked.empty()) {
        Komunikat("Brak zaznaczonych pozycji", true);
        return;
    }
    TwKonfig();
    ErrorReportScope report;
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
        ErrAnnouncement2("KTowar");
        if (ExchangeResult != 0)
            break;
        ForgetSent(std::stoi(digits.substr(digits.size() > 5 ? digits.size() - 5 : 0)));
        if (view)
            view->UnpickRow(good.row);
        ProcessMessages();
    }
}

void TfmE::aKasujWszystkieTowaryExecute()
{
    TwKonfig();
    TwInFile("KTowMax");
    CallLibrary(WinIPFunction::KTowMax);
    ErrorReportScope report;
    ErrAnnouncement2("KTowMax");
    if (ExchangeResult == 0)
        ForgetSent(-1);
}
