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

// The selected goods: their symbols in the order of BLOK_CEN, and the catalogue row of each that is active. The
// record of a good is built from its own row, whatever the catalogue view on the page shows.
class SelectedGoods
{
public:
    explicit SelectedGoods(const std::string& priceField)
    {
        dm->OpenSds(rows_, "select b.blok,b.wybor,k.* from " + GoodsTable +
                               " k join BLOK_CEN b using(asort) where nieaktywny<>1 and b.wybor=1");
        if (rows_.Fields.IndexOf(priceField) < 0)
            throw FieldError("Brak pola " + priceField + " w kartotece towarów "_cp + GoodsTable);
        const int column = rows_.Fields.IndexOrThrow("asort");
        rowOf_.reserve(rows_.Rows.size());
        for (int i = 0; i < rows_.RecordCount(); ++i)
            rowOf_.emplace(rows_.Rows[i][column].AsString(), i);

        DataSet order;
        dm->OpenSds(order, "select asort from blok_cen where wybor=1");
        for (const Row& row : order.Rows)
            symbols.push_back(row.at(0).AsString());
    }

    enum class Record { Built, Skipped, Refused };
    // The record line of the good; Skipped when it has no active catalogue row, Refused (with the reason) when its
    // values cannot go into a record, such as a price outside the register's range.
    Record RecordLine(const std::string& symbol, const ExportLists& lists, std::string& line,
                      std::string& refusal) const
    {
        const auto it = rowOf_.find(symbol);
        if (it == rowOf_.end())
            return Record::Skipped;
        const GoodsRecordInput good = GoodsRecordFromRow(rows_, it->second, lists.priceField);
        refusal = GoodsRecordRefusal(good);
        if (!refusal.empty())
            return Record::Refused;
        line = BuildGoodsRecordLine(good, lists.rates, lists.units);
        return Record::Built;
    }

    std::vector<std::string> symbols;

private:
    DataSet rows_;
    std::unordered_map<std::string, int> rowOf_;
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

// Where the operator finds the details of what went wrong: only a file that exists is named.
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
    // that failed or were skipped and why, and where the details are: the error report when it exists (it is never
    // created by the program), the work history otherwise. The same line goes to the error report.
    void Announce() const
    {
        if (stoppedByOperatorAt_ && notSent_.empty()) {
            // Eksport zatrzymany: n / m; every good handled was sent, the rest keep their selection.
            Komunikat("Eksport zatrzymany: " + std::to_string(*stoppedByOperatorAt_) + " / " + std::to_string(total_),
                      true);
            return;
        }
        std::string text = "Eksport zakończony: wysłano "_cp + std::to_string(sent_) + " z " + std::to_string(total_);
        if (sent_ == total_) {
            Komunikat(text, false);
            return;
        }
        text += ", nie wysłano "_cp + std::to_string(total_ - sent_);
        if (!notSent_.empty()) {
            constexpr size_t Named = 10;
            text += " (";
            for (size_t i = 0; i < notSent_.size() && i < Named; ++i)
                text += (i ? "; " : "") + notSent_[i];
            text += notSent_.size() > Named ? ", ...)" : ")";
        }
        if (stoppedByOperatorAt_)
            text += ", zatrzymany przez operatora";
        if (stopped_)
            text += ", zatrzymany po błędzie"_cp;
        text += DetailsWhere();
        WriteErrorReportLine(text);
        Komunikat(text, true);
    }

private:
    size_t total_;
    size_t sent_ = 0;
    std::vector<std::string> notSent_;
    uint8_t firstError_ = 0;
    bool stopped_ = false;
    std::optional<size_t> stoppedByOperatorAt_;
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

// Clears the good's selection and refreshes its row of the catalogue view in place. `remember` (the memory of
// what the register accepted) goes in the same transaction, so a mark is never cleared without it.
void Unselect(const std::string& symbol, const std::string& remember = {})
{
    const std::string unselect = "update blok_cen set wybor=0 where asort=" + SqlQuote(symbol);
    if (remember.empty())
        dm->RunSQL(unselect);
    else
        dm->RunSQLBatch({unselect, remember});
    if (dmu)
        dmu->RefreshGoodsRow(symbol);
}

void ShowProgress(IExportPage* page, size_t done, size_t total)
{
    if (page)
        page->ShowProgress(std::to_string(done) + " / " + std::to_string(total));
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

void TfmE::aExpoTowarExecute()
{
    RegisterLock lock(lockMode);
    if (!Locked(lock, exportPage && exportPage->FullData() ? "ZTowar" : "ZCTowar"))
        return;
    const ExportLists lists = ReadExportLists();
    TwKonfig();
    Komunikat("", false);
    OpStartTime = TimeNow();
    const bool full = exportPage && exportPage->FullData();
    const std::string operation = full ? "ZTowar" : "ZCTowar";
    const WinIPFunction function = full ? WinIPFunction::ZTowar : WinIPFunction::ZCTowar;
    const bool stopOnError = exportPage && exportPage->StopOnFirstError();

    ErrorReportScope report;
    TwInFile(operation);
    const SelectedGoods selected(lists.priceField);
    SentRecorder sent(CurrentRegisterId, full);
    const size_t total = selected.symbols.size();
    ExportTally tally(total);
    for (size_t i = 0; i < total; ++i) {
        if (exportPage && exportPage->StopRequested()) {
            tally.StoppedByOperator(i);
            break;
        }
        const std::string& symbol = selected.symbols[i];
        std::string line, refusal;
        const auto record = selected.RecordLine(symbol, lists, line, refusal);
        if (record == SelectedGoods::Record::Skipped) {
            AnnounceSkipped(symbol);
            // The grid does not show the good, so nobody could clear its selection there.
            Unselect(symbol);
            tally.NotSent(symbol, 0, "nieaktywny lub brak w kartotece");
            ShowProgress(exportPage, i + 1, total);
            continue;
        }
        ShowGood(symbol);
        if (record == SelectedGoods::Record::Refused) {
            AnnounceRefused(symbol, refusal);
            // The code the register gives a record with a bad price; no call is made.
            ExchangeResult = WinIPBadPrice;
        } else {
            // Each call carries the header and this good's record only.
            TwInFile(operation);
            RequestLines.push_back(line);
            WriteRequestFile();
            CallLibrary(function);
            ErrAnnouncement2(operation);
        }
        ShowProgress(exportPage, i + 1, total);
        if (ExchangeResult == 0) {
            // The register has accepted the good; only what it accepted is remembered.
            tally.Sent();
            Unselect(symbol, sent.Accepted(symbol, line));
            continue;
        }
        // A good that was not sent keeps its selection for another try.
        std::string reason = record == SelectedGoods::Record::Refused ? refusal : ResultText(ExchangeResult);
        if (reason.empty())
            reason = "błąd "_cp + std::to_string(ExchangeResult);
        // A price sent for a good the register does not hold: the good needs its full data.
        if (!full && ExchangeResult == 110)
            reason += " - wyślij pełne dane"_cp;
        tally.NotSent(symbol, ExchangeResult, reason);
        if (stopOnError) {
            tally.Stopped(); // the goods not yet sent keep their selection too
            break;
        }
    }
    tally.Announce();
    ExchangeResult = tally.FirstError();
    UntickGroups(exportPage);
}

void TfmE::aExpoTowarEureka()
{
    const ExportLists lists = ReadExportLists();
    Komunikat("", false);
    OpStartTime = TimeNow();

    const SelectedGoods selected(lists.priceField);
    enum class Outcome { Written, Skipped, Refused };
    std::vector<std::string> lines;
    std::vector<Outcome> outcome(selected.symbols.size(), Outcome::Written);
    std::vector<std::string> refusals(selected.symbols.size());
    for (size_t i = 0; i < selected.symbols.size(); ++i) {
        std::string line;
        switch (selected.RecordLine(selected.symbols[i], lists, line, refusals[i])) {
        case SelectedGoods::Record::Built:
            lines.push_back(line);
            break;
        case SelectedGoods::Record::Skipped:
            outcome[i] = Outcome::Skipped;
            break;
        case SelectedGoods::Record::Refused:
            outcome[i] = Outcome::Refused;
            break;
        }
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
        const size_t total = selected.symbols.size();
        for (size_t i = 0; i < total; ++i) {
            const std::string& symbol = selected.symbols[i];
            if (outcome[i] == Outcome::Skipped) {
                AnnounceSkipped(symbol);
            } else {
                ShowGood(symbol);
                if (outcome[i] == Outcome::Refused) {
                    // Not in the file: the good keeps its selection.
                    AnnounceRefused(symbol, refusals[i]);
                    refused = true;
                    ShowProgress(exportPage, i + 1, total);
                    continue;
                }
            }
            Unselect(symbol);
            ShowProgress(exportPage, i + 1, total);
        }
    }
    UntickGroups(exportPage);
    if (refused) {
        ExchangeResult = WinIPBadPrice;
        Komunikat("Plik " + fileName + " zapisany bez towarów o błędnej cenie"_cp + DetailsWhere(), true);
    }
    ShowMessage("powstał plik "_cp + fileName);
    dm->WriteParS("PLIK_EUREKA", fileName, ParLocation, ParSection);
}
