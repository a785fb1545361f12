// The goods export: the selected goods to the chosen register, one library call per good, or all of them into
// one goods file for the register program Eureka.
#include "exchange/FmElzab.h"

#include "app/ConstUnit.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dmutils.h"
#include "catalogue/GoodsRecord.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
#include "exchange/ErrorReportScope.h"
#include "exchange/ExportView.h"
#include "exchange/GoodsExport.h"
#include "exchange/WinIP.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/SafeFile.h"
#include "util/Screen.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{

const std::string ParLocation = "GLOBAL";
const std::string ParSection = "TARLA";

// What every record of one export run shares.
struct ExportLists {
    std::string units;      // first 32 characters of "ELZB_JM"
    std::string rates;      // "VAT"
    std::string priceField; // PriceField, or "cena_3" when it is empty
};

ExportLists ReadExportLists()
{
    ExportLists lists;
    lists.units = ExportUnitList(dm->ReadParS("ELZB_JM", "", ParLocation, ParSection));
    lists.rates = dm->ReadParS("VAT", "", ParLocation, ParSection);
    lists.priceField = PriceField.empty() ? "cena_3" : PriceField;
    return lists;
}

// A price-only call for a good the register does not hold.
constexpr uint8_t UnknownGoodResult = 110;

// How many symbols one "in (...)" list carries; the server allows at most 1500.
constexpr std::size_t SymbolsPerQuery = 1000;

// The symbols the operator marked, in the order of BLOK_CEN.
std::vector<std::string> MarkedSymbols()
{
    DataSet order;
    dm->OpenSds(order, "select asort from blok_cen where wybor=1");
    std::vector<std::string> symbols;
    symbols.reserve(order.Rows.size());
    for (const Row& row : order.Rows)
        symbols.push_back(row.at(0).AsString());
    return symbols;
}

// The active catalogue rows of the given goods. The record of a good is built from its own row, whatever the
// catalogue view on the page shows.
class CatalogueRows
{
public:
    CatalogueRows(const std::vector<std::string>& symbols, const std::string& priceField)
    {
        const std::string query = "select b.blok,k.* from " + GoodsTable +
                                  " k join BLOK_CEN b using(asort) where nieaktywny<>1 and k.asort in (";
        for (std::size_t start = 0; start < symbols.size(); start += SymbolsPerQuery) {
            std::string list;
            for (std::size_t i = start; i < symbols.size() && i < start + SymbolsPerQuery; ++i)
                list += (list.empty() ? "" : ",") + SqlQuote(symbols[i]);
            DataSet part;
            dm->OpenSds(part, query + list + ")");
            if (part.Fields.IndexOf(priceField) < 0)
                throw FieldError("Brak pola " + priceField + " w kartotece towarów "_cp + GoodsTable);
            const GoodsRecordColumns columns = GoodsRecordColumns::Of(part.Fields, priceField);
            for (int row = 0; row < part.RecordCount(); ++row) {
                GoodsRecordInput good = GoodsRecordFromRow(part, row, columns);
                const std::string symbol = good.asort;
                goods_.emplace(symbol, std::move(good));
            }
        }
    }
    // Null when the good has no active catalogue row.
    const GoodsRecordInput* Find(const std::string& symbol) const
    {
        const auto it = goods_.find(symbol);
        return it == goods_.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<std::string, GoodsRecordInput> goods_;
};

void AnnounceSkipped(const std::string& symbol)
{
    const std::string text = "Towar " + symbol + " nieaktywny lub brak w kartotece - pominięty"_cp;
    WriteErrorReportLine(text);
    Komunikat(text, true);
}

// A good whose values cannot go into a record is never sent or written; it keeps its selection.
void AnnounceRefused(const std::string& symbol, const std::string& refusal)
{
    const std::string text = "Towar " + symbol + ": " + refusal + " - nie wysłany"_cp;
    WriteErrorReportLine(text);
    Komunikat(text, true);
}

// A refusal's text as the summary names it: at most 60 characters, cut at the end.
std::string ShortReason(const std::string& reason)
{
    constexpr size_t Longest = 60;
    return reason.size() <= Longest ? reason : reason.substr(0, Longest - 3) + "...";
}

// Where the operator finds the details of what went wrong: only a file that exists is named. The error report is
// never created by the program (support switches it on by creating it); without it, the work history has them.
std::string DetailsWhere()
{
    if (FileExists(ErrorReportFile))
        return " - szczegóły w raporcie błędów "_cp + ErrorReportFile;
    return " - szczegóły w historii pracy "_cp + (WorkLog ? WorkLog->FileName : std::string());
}

// What one export run did, for its closing line on the status line.
class ExportTally
{
public:
    explicit ExportTally(size_t total) : total_(total) {}
    void Sent() { ++sent_; }
    // Its price went, but the register holds another name, VAT rate or unit: counted apart, in red.
    void PriceOnlyStale(const std::string& symbol) { stale_.push_back(symbol); }
    void Notice(const std::string& text) { notices_.push_back(text); }
    // A good that was not sent: skipped (no active catalogue row) or failed (refused, or its call failed).
    void NotSent(const std::string& symbol, uint8_t code, const std::string& reason)
    {
        notSent_.push_back(symbol + ": " + ShortReason(reason));
        if (code != 0 && firstError_ == 0)
            firstError_ = code;
    }
    void Stopped() { stopped_ = true; }
    // The operator asked to stop before the good at `handled` (counted from 0).
    void StoppedByOperator(size_t handled) { stoppedByOperatorAt_ = handled; }
    // The code of the first failed good, 0 when no call failed and no good was refused.
    uint8_t FirstError() const { return firstError_; }

    // "Eksport zakończony: wysłano n z m" in green; when any good was not sent, in red, with the symbols of those
    // that failed or were skipped and the error report's name, and the same line in the error report.
    // Announces the closing line and gives it to `result`.
    void Announce(GoodsExportResult& result) const
    {
        result.summary = Text(result.summaryIsError);
        if (result.summaryIsError && !stoppedByOperatorAt_)
            WriteErrorReportLine(result.summary);
        Komunikat(result.summary, result.summaryIsError);
    }

private:
    static std::string Named(const std::vector<std::string>& symbols, const char* separator = ", ")
    {
        constexpr size_t Named = 10;
        std::string text = " (";
        for (size_t i = 0; i < symbols.size() && i < Named; ++i)
            text += (i ? separator : "") + symbols[i];
        return text + (symbols.size() > Named ? ", ...)" : ")");
    }
    std::string NoticesText() const
    {
        std::string text;
        for (const std::string& notice : notices_)
            text += "; " + notice;
        return text;
    }

    std::string Text(bool& error) const
    {
        error = true;
        if (stoppedByOperatorAt_ && notSent_.empty() && stale_.empty()) {
            // Eksport zatrzymany: n / m; every good handled was sent, the rest keep their selection.
            return "Eksport zatrzymany: " + std::to_string(*stoppedByOperatorAt_) + " / " + std::to_string(total_) +
                   NoticesText();
        }
        std::string text = "Eksport zakończony: wysłano "_cp + std::to_string(sent_) + " z " + std::to_string(total_);
        if (sent_ == total_) {
            error = false;
            return text + NoticesText();
        }
        const size_t notSent = total_ - sent_ - stale_.size();
        if (notSent > 0) {
            text += ", nie wysłano "_cp + std::to_string(notSent);
            if (!notSent_.empty())
                text += Named(notSent_, "; ");
        }
        if (!stale_.empty())
            text += ", cena wysłana, ale w kasie inne dane - wyślij pełne dane: "_cp + std::to_string(stale_.size()) +
                    Named(stale_);
        if (stoppedByOperatorAt_)
            text += ", zatrzymany przez operatora";
        if (stopped_)
            text += ", zatrzymany po błędzie"_cp;
        return text + NoticesText() + DetailsWhere();
    }

    size_t total_;
    size_t sent_ = 0;
    std::vector<std::string> notSent_;
    uint8_t firstError_ = 0;
    bool stopped_ = false;
    std::optional<size_t> stoppedByOperatorAt_;
    std::vector<std::string> stale_;
    std::vector<std::string> notices_;
};

// The page's grid follows the export: its cursor stands on the good being handled.
void ShowGood(const std::string& symbol)
{
    if (!dmu)
        return;
    const int row = dmu->GoodsRowOf(symbol);
    if (row < 0)
        return;
    dmu->SDSTowary.SetRecNo(row);
    if (dmu->goodsPage)
        dmu->goodsPage->GoodsCurrentRow(row);
}

std::string UnselectCommand(const std::string& symbol)
{
    return "update blok_cen set wybor=0 where asort=" + SqlQuote(symbol);
}

// Clears the good's selection (when `unmark`) and refreshes its row of the catalogue view in place. `remember` (the
// memory of what the register accepted) goes in the same transaction, so a mark is never cleared without it.
// False when the database refused.
bool RecordSent(const std::string& symbol, bool unmark, const std::string& remember)
{
    std::vector<std::string> commands;
    if (unmark)
        commands.push_back(UnselectCommand(symbol));
    if (!remember.empty())
        commands.push_back(remember);
    if (commands.empty())
        return true;
    const bool written = commands.size() == 1 ? dm->RunSQL(commands.front()) : dm->RunSQLBatch(commands);
    if (written && unmark && dmu)
        dmu->RefreshGoodsRow(symbol);
    return written;
}

void Unselect(const std::string& symbol)
{
    dm->RunSQL(UnselectCommand(symbol));
    if (dmu)
        dmu->RefreshGoodsRow(symbol);
}

void ShowProgress(IExportPage* page, size_t done, size_t total, const std::string& symbol)
{
    if (page)
        page->ShowProgress(done, total, symbol);
}

// Said in red, in the error report too: "Towar 5: text".
void AnnounceGood(const std::string& symbol, const std::string& text)
{
    const std::string line = "Towar " + symbol + ": " + text;
    WriteErrorReportLine(line);
    Komunikat(line, true);
}

// The export unticks every goods group; the view then shows all groups, as the group list does.
void UntickGroups(IExportPage* page)
{
    if (page)
        page->UntickGroups();
    GroupFilter.clear();
}

// The Eureka file replaces the old one only when written completely; `reason` says why it was not.
bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::string& reason)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return WriteFileReplacing(path, text, reason);
}

} // namespace

GoodsExportResult TfmE::ExportGoods(const GoodsExportRequest& request)
{
    GoodsExportResult result;
    RegisterLock lock(lockMode);
    if (!Locked(lock, request.busyOperation)) {
        result.summary = ResultText(ExchangeResult);
        result.summaryIsError = true;
        return result;
    }
    result.ran = true;
    // The list is read under the lock: an export that ran before has already cleared what it sent.
    if (request.goods)
        result.goods = request.goods();
    const ExportLists lists = ReadExportLists();
    TwKonfig();
    Komunikat("", false);
    OpStartTime = TimeNow();

    ErrorReportScope report;
    TwInFile(request.busyOperation);
    std::vector<std::string> symbols;
    symbols.reserve(result.goods.size());
    for (const GoodToSend& item : result.goods)
        symbols.push_back(item.symbol);
    const CatalogueRows rows(symbols, lists.priceField);
    // Who else stands under each code, over the whole catalogue table; and what the register holds under it.
    const CatalogueCodes codes = ReadCatalogueCodes();
    SentRecorder memory(CurrentRegisterId);

    const size_t total = result.goods.size();
    ExportTally tally(total);
    for (size_t i = 0; i < total; ++i) {
        if (request.stopRequested && request.stopRequested()) {
            tally.StoppedByOperator(i);
            result.stoppedByOperator = true;
            break;
        }
        const std::string& symbol = result.goods[i].symbol;
        SendKind kind = result.goods[i].kind;
        const auto progress = [&] {
            if (request.progress)
                request.progress(i + 1, total, symbol);
        };
        const GoodsRecordInput* good = rows.Find(symbol);
        if (good == nullptr) {
            AnnounceSkipped(symbol);
            // The grid does not show the good, so nobody could clear its selection there.
            if (request.clearMarks)
                Unselect(symbol);
            tally.NotSent(symbol, 0, "nieaktywny lub brak w kartotece");
            result.skipped.push_back(symbol);
            progress();
            continue;
        }
        ShowGood(symbol);
        // A good that cannot be sent, or whose call could put its price on another good, is named and keeps its
        // mark; the export goes on with the next one.
        std::string refusal = GoodsRecordRefusal(*good, lists.rates);
        // The code the register gives a record with a bad price, or ours for a code that is not the good's.
        uint8_t refusalCode = WinIPBadPrice;
        const int code = refusal.empty() ? RegisterCodeOf(good->code) : -1;
        CallCheck check;
        if (refusal.empty()) {
            check = CheckCall(symbol, code, kind, memory.Memory(), codes);
            refusal = check.refusal;
            refusalCode = WinIPBadGoodsCode;
        }
        if (!refusal.empty()) {
            AnnounceRefused(symbol, refusal);
            tally.NotSent(symbol, refusalCode, refusal);
            result.notSent.push_back({symbol, refusal, refusalCode});
            progress();
            continue;
        }
        if (check.replacesOther) {
            // The memory must not name the old good once the register may hold the new one: its row goes first,
            // committed on its own.
            if (!memory.Forget(code)) {
                const std::string reason =
                    "nie usunięto z pamięci wysłanych towarów poprzedniego towaru kodu "_cp + RegisterCodeText(code);
                AnnounceRefused(symbol, reason);
                tally.NotSent(symbol, WinIPFileNotStored, reason);
                result.notSent.push_back({symbol, reason, WinIPFileNotStored});
                progress();
                continue;
            }
            const std::string notice = "kod " + RegisterCodeText(code) + " miał w kasie "_cp +
                                       (check.previousOwner.empty() ? std::string("nieznany towar")
                                                                    : "wycofany towar " + check.previousOwner) +
                                       ", teraz ma go towar " + symbol;
            WriteErrorReportLine("Towar " + symbol + ": " + notice);
            tally.Notice(notice);
            result.notices.push_back(notice);
        }

        const std::string line = BuildGoodsRecordLine(*good, lists.rates, lists.units);
        const auto call = [&](SendKind callKind) {
            const bool full = callKind == SendKind::Full;
            const std::string operation = full ? "ZTowar" : "ZCTowar";
            // Each call carries the header and this good's record only.
            TwInFile(operation);
            RequestLines.push_back(line);
            WriteRequestFile();
            CallLibrary(full ? WinIPFunction::ZTowar : WinIPFunction::ZCTowar);
            ErrAnnouncement2(operation);
        };
        call(kind);
        if (ExchangeResult == UnknownGoodResult && kind == SendKind::PriceOnly) {
            const auto held = memory.Memory().find(code);
            if (held != memory.Memory().end() && held->second.asort == symbol) {
                // The memory said the register holds the good: the register was changed outside the program.
                memory.Forget(code);
                const std::string notice = "kasa nie ma towaru " + symbol +
                                           ", choć pamięć wysłanych towarów go notowała (kasę zmieniono poza "
                                           "programem) - pamięć poprawiona"_cp;
                WriteErrorReportLine("Towar " + symbol + ": " + notice);
                tally.Notice(notice);
                result.notices.push_back(notice);
                if (request.fullWhenMissing) {
                    kind = SendKind::Full;
                    call(kind);
                }
            }
        }
        progress();
        if (ExchangeResult == 0) {
            // The register has accepted the good; only what it accepted is remembered.
            const std::string remember = memory.Accepted(symbol, line, kind);
            RegisterGood record;
            ParseRecordLine(line, record);
            const std::string stale =
                kind == SendKind::PriceOnly ? HeldDataDiffering(record, memory.Memory(), symbol) : std::string();
            if (!RecordSent(symbol, request.clearMarks && stale.empty(), remember)) {
                const std::string reason =
                    "kasa przyjęła towar, ale nie zapisano pamięci wysłanych towarów (szczegóły w historii pracy)"_cp;
                AnnounceGood(symbol, reason);
                tally.NotSent(symbol, WinIPFileNotStored, reason);
                result.notSent.push_back({symbol, reason, WinIPFileNotStored});
                continue;
            }
            if (!stale.empty()) {
                // The price went; the register's name, rate or unit stay wrong until full data goes. The good keeps
                // its mark, and the memory keeps it "changed".
                AnnounceGood(symbol, "cena wysłana; w kasie inna "_cp + stale + " - wyślij pełne dane"_cp);
                tally.PriceOnlyStale(symbol);
                result.priceOnlyStale.push_back(symbol);
                continue;
            }
            tally.Sent();
            result.sent.push_back(symbol);
            continue;
        }
        // A good that was not sent keeps its selection for another try.
        std::string reason = ResultText(ExchangeResult);
        if (reason.empty()) // no result text for the code
            reason = "błąd "_cp + std::to_string(ExchangeResult);
        // A price sent for a good the register does not hold: the good needs its full data.
        if (kind == SendKind::PriceOnly && ExchangeResult == UnknownGoodResult)
            reason += " - wyślij pełne dane"_cp;
        tally.NotSent(symbol, ExchangeResult, reason);
        result.notSent.push_back({symbol, reason, ExchangeResult});
        if (request.stopOnFirstError) {
            tally.Stopped(); // the goods not yet sent keep their selection too
            result.stoppedOnError = true;
            break;
        }
    }
    tally.Announce(result);
    ExchangeResult = tally.FirstError();
    return result;
}

GoodsExportRequest TfmE::ChangedGoodsRequest(std::optional<SendKind> forced)
{
    GoodsExportRequest request;
    request.goods = [forced] {
        const ChangedGoods changed = dmu->FindChangedInView();
        Tdmu::AnnounceChanged(changed);
        std::vector<GoodToSend> goods = ToSendList(changed);
        if (forced)
            for (GoodToSend& good : goods)
                good.kind = *forced;
        return goods;
    };
    request.clearMarks = false;
    request.stopOnFirstError = false;
    request.fullWhenMissing = forced != SendKind::PriceOnly;
    request.busyOperation = forced == SendKind::PriceOnly ? "ZCTowar" : "ZTowar";
    return request;
}

GoodsExportResult TfmE::aExpoTowarExecute()
{
    const SendKind kind = exportPage && exportPage->FullData() ? SendKind::Full : SendKind::PriceOnly;
    GoodsExportRequest request;
    // The operator's marks, read once under the register lock.
    request.goods = [kind] {
        std::vector<GoodToSend> goods;
        for (std::string& symbol : MarkedSymbols())
            goods.push_back({std::move(symbol), kind});
        return goods;
    };
    request.busyOperation = kind == SendKind::Full ? "ZTowar" : "ZCTowar";
    if (exportPage) {
        request.stopOnFirstError = exportPage->StopOnFirstError();
        request.stopRequested = [page = exportPage] { return page->StopRequested(); };
        request.progress = [page = exportPage](size_t done, size_t total, const std::string& symbol) {
            page->ShowProgress(done, total, symbol);
        };
    }
    GoodsExportResult result = ExportGoods(request);
    if (result.ran)
        UntickGroups(exportPage);
    return result;
}

void TfmE::aExpoTowarEureka()
{
    const ExportLists lists = ReadExportLists();
    Komunikat("", false);
    OpStartTime = TimeNow();

    const std::vector<std::string> symbols = MarkedSymbols();
    const CatalogueRows rows(symbols, lists.priceField);
    enum class Outcome { Written, Skipped, Refused };
    std::vector<std::string> lines;
    std::vector<Outcome> outcome(symbols.size(), Outcome::Written);
    std::vector<std::string> refusals(symbols.size());
    for (size_t i = 0; i < symbols.size(); ++i) {
        const GoodsRecordInput* good = rows.Find(symbols[i]);
        if (good == nullptr) {
            outcome[i] = Outcome::Skipped;
            continue;
        }
        refusals[i] = GoodsRecordRefusal(*good, lists.rates);
        if (!refusals[i].empty())
            outcome[i] = Outcome::Refused;
        else
            lines.push_back(BuildGoodsRecordLine(*good, lists.rates, lists.units));
    }

    // The file comes first: when it cannot be written, every selection stays for another try, and the file that
    // was there before stays as it was.
    const std::string fileName = exportPage ? exportPage->EurekaFileName() : std::string();
    std::string reason;
    if (!WriteLines(fileName, lines, reason)) {
        Komunikat("Nie można zapisać pliku "_cp + fileName + " (" + reason + ")", true);
        return;
    }

    bool refused = false;
    {
        ErrorReportScope report;
        const size_t total = symbols.size();
        for (size_t i = 0; i < total; ++i) {
            const std::string& symbol = symbols[i];
            if (outcome[i] == Outcome::Skipped) {
                AnnounceSkipped(symbol);
            } else {
                ShowGood(symbol);
                if (outcome[i] == Outcome::Refused) {
                    // Not in the file: the good keeps its selection.
                    AnnounceRefused(symbol, refusals[i]);
                    refused = true;
                    ShowProgress(exportPage, i + 1, total, symbol);
                    continue;
                }
            }
            Unselect(symbol);
            ShowProgress(exportPage, i + 1, total, symbol);
        }
    }
    UntickGroups(exportPage);
    if (refused) {
        ExchangeResult = WinIPBadPrice;
        Komunikat("Plik " + fileName +
                      " zapisany bez towarów, których nie można wysłać - szczegóły w raporcie błędów "_cp +
                      ErrorReportFile,
                  true);
    }
    ShowMessage("powstał plik "_cp + fileName);
    dm->WriteParS("PLIK_EUREKA", fileName, ParLocation, ParSection);
}
