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
#include "util/MyUtil.h"
#include "util/Screen.h"

#include <string>
#include <unordered_map>
#include <vector>

// Polish texts are Windows-1250 bytes; each escaped literal is followed by its readable form.

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
            throw FieldError("Brak pola " + priceField + " w kartotece towar\xF3w " + GoodsTable); // towarów
        const int column = rows_.Fields.IndexOrThrow("asort");
        rowOf_.reserve(rows_.Rows.size());
        for (int i = 0; i < rows_.RecordCount(); ++i)
            rowOf_.emplace(rows_.Rows[i][column].AsString(), i);

        DataSet order;
        dm->OpenSds(order, "select asort from blok_cen where wybor=1");
        for (const Row& row : order.Rows)
            symbols.push_back(row.at(0).AsString());
    }

    // The record line of the good, or nothing when it has no active catalogue row.
    bool RecordLine(const std::string& symbol, const ExportLists& lists, std::string& line) const
    {
        const auto it = rowOf_.find(symbol);
        if (it == rowOf_.end())
            return false;
        line = BuildGoodsRecordLine(GoodsRecordFromRow(rows_, it->second, lists.priceField), lists.rates, lists.units);
        return true;
    }

    std::vector<std::string> symbols;

private:
    DataSet rows_;
    std::unordered_map<std::string, int> rowOf_;
};

void AnnounceSkipped(const std::string& symbol)
{
    // Towar ... nieaktywny lub brak w kartotece - pominięty
    const std::string text = "Towar " + symbol + " nieaktywny lub brak w kartotece - pomini\xEAty";
    if (ErrorReport.handle)
        WriteTextLine(DateTimeText(Now()) + ": " + text, ErrorReport);
    Komunikat(text, true);
}

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

bool WriteLines(const std::string& path, const std::vector<std::string>& lines)
{
    TextFile file;
    bool written = OpenTextFile(path, 2, file);
    for (const std::string& line : lines)
        written = written && WriteTextLine(line, file);
    return CloseTextFile(file) && written;
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
    for (size_t i = 0; i < total; ++i) {
        if (exportPage && exportPage->StopRequested()) {
            // Eksport zatrzymany: n / m
            Komunikat("Eksport zatrzymany: " + std::to_string(i) + " / " + std::to_string(total), true);
            break;
        }
        const std::string& symbol = selected.symbols[i];
        std::string line;
        if (!selected.RecordLine(symbol, lists, line)) {
            AnnounceSkipped(symbol);
            Unselect(symbol);
            ShowProgress(exportPage, i + 1, total);
            continue;
        }
        ShowGood(symbol);
        // Each call carries the header and this good's record only.
        TwInFile(operation);
        RequestLines.push_back(line);
        WriteRequestFile();
        CallLibrary(function);
        ErrAnnouncement2(operation);
        ShowProgress(exportPage, i + 1, total);
        if (ExchangeResult != 0 && stopOnError)
            break; // this good keeps its selection
        // Only what the register accepted is remembered; a refused call leaves the memory as it was.
        Unselect(symbol, ExchangeResult == 0 ? sent.Accepted(symbol, line) : std::string());
    }
    UntickGroups(exportPage);
}

void TfmE::aExpoTowarEureka()
{
    const std::string fileName = exportPage ? exportPage->EurekaFileName() : std::string();
    const ExportLists lists = ReadExportLists();
    Komunikat("", false);
    OpStartTime = TimeNow();

    const SelectedGoods selected(lists.priceField);
    std::vector<std::string> lines;
    std::vector<bool> skipped(selected.symbols.size());
    for (size_t i = 0; i < selected.symbols.size(); ++i) {
        std::string line;
        if (selected.RecordLine(selected.symbols[i], lists, line))
            lines.push_back(line);
        else
            skipped[i] = true;
    }

    // The file comes first: when it cannot be written, every selection stays for another try.
    if (!WriteLines(fileName, lines)) {
        Komunikat("Nie mo\xBFna zapisa\xE6 pliku " + fileName, true); // Nie można zapisać pliku
        return;
    }

    {
        ErrorReportScope report;
        const size_t total = selected.symbols.size();
        for (size_t i = 0; i < total; ++i) {
            const std::string& symbol = selected.symbols[i];
            if (skipped[i])
                AnnounceSkipped(symbol);
            else
                ShowGood(symbol);
            Unselect(symbol);
            ShowProgress(exportPage, i + 1, total);
        }
    }
    UntickGroups(exportPage);
    ShowMessage("powsta\xB3 plik " + fileName); // powstał plik
    dm->WriteParS("PLIK_EUREKA", fileName, ParLocation, ParSection);
}
