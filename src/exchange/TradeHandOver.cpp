#include "exchange/TradeHandOver.h"

#include "app/ConstUnit.h"
#include "catalogue/CatalogueGoodsLookup.h"
#include "catalogue/GoodsRecord.h"
#include "db/dbDDM.h"
#include "exchange/ReadoutLedger.h"
#include "exchange/SalesReport.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/Plural.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{

// The widths of the columns the hand-over fills.
constexpr std::size_t LineWidth = 150;  // ODCZYT.LINIA
constexpr std::size_t NameWidth = 24;   // PARAGONY.NAZWA
constexpr std::size_t SymbolWidth = 20; // PARAGONY.ASORT
// NUMERIC(15,4) of PARAGONY holds eleven digits before the point.
constexpr int64_t LargestParagonyUnits = 999999999999999;

const std::string HandOverTable = "PRZESLANE_ODCZYTY";

std::string Digits(int value, int width)
{
    return IntToStrPad(value, width, "0");
}

std::string DateLiteral(const Date& d)
{
    char text[20];
    std::snprintf(text, sizeof text, "'%04d-%02d-%02d'", d.year, d.month, d.day);
    return text;
}

std::string TimestampLiteral(const DateTime& t)
{
    char text[40];
    std::snprintf(text, sizeof text, "'%04d-%02d-%02d %02d:%02d:%02d.%03d'", t.date.year, t.date.month, t.date.day,
                  t.time.hour, t.time.minute, t.time.second, t.time.msec);
    return text;
}

std::string Amount(int64_t units)
{
    return TotalsAmountText(units);
}

int64_t Units(const Value& value)
{
    return value.IsNull() ? 0 : value.AsDecimal().Rescaled(4).unscaled;
}

// A readout line that the database could not take as it is.
std::string LineProblem(const std::string& line)
{
    if (line.size() > LineWidth)
        return "ma więcej niż 150 znaków"_cp;
    for (const unsigned char c : line)
        if (c < 0x20 && c != '\t')
            return "zawiera znaki sterujące"_cp;
    return {};
}

// The catalogue objects the hand-over relies on that the database lacks.
std::vector<std::string> MissingObjects()
{
    std::vector<std::string> missing;
    for (const char* table : {"ODCZYT", "PARAGONY", "PRZESLANE_ODCZYTY"})
        if (!dm->JestTabela(table))
            missing.push_back(std::string("tabela ") + table);
    for (const char* generator : {"G_ID_ODCZYT", "G_ID_PARAGONY"})
        if (!dm->JestGenerator(generator))
            missing.push_back(std::string("generator ") + generator);
    for (const char* trigger : {"TRI_ODCZYT", "TRI_PARAGONY"})
        if (!dm->JestWyzwalacz(trigger))
            missing.push_back(std::string("wyzwalacz ") + trigger);
    for (const std::string& object : MissingLedgerObjects())
        missing.push_back(object);
    return missing;
}

std::optional<DateTime> AsDateTime(const Value& value)
{
    if (const auto* t = std::get_if<DateTime>(&value.Data()))
        return *t;
    return std::nullopt;
}

std::string AlreadySentText(const std::string& fileName, const DateTime& at)
{
    return "Odczyt " + fileName + " został już przesłany "_cp + DateTimeText(at);
}

HandOverResult Fail(const std::string& text)
{
    Komunikat(text, true);
    return {false, text, 0, {}};
}

} // namespace

std::string ReadoutName::Key() const
{
    return Digits(registerNo, 3) + Digits(salesDate.year % 100, 2) + Digits(salesDate.month, 2) +
           Digits(salesDate.day, 2) + Digits(sequence, 3);
}

std::optional<ReadoutName> ParseReadoutName(const std::string& fileName)
{
    // NNN_yyyymmdd_SSS.txt
    if (fileName.size() != 20 || fileName[3] != '_' || fileName[12] != '_' || UpperAscii(fileName.substr(16)) != ".TXT")
        return std::nullopt;
    const std::string digits = fileName.substr(0, 3) + fileName.substr(4, 8) + fileName.substr(13, 3);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    ReadoutName name;
    name.registerNo = std::stoi(digits.substr(0, 3));
    name.salesDate = {std::stoi(digits.substr(3, 4)), std::stoi(digits.substr(7, 2)), std::stoi(digits.substr(9, 2))};
    name.sequence = std::stoi(digits.substr(11, 3));
    if (name.salesDate.month < 1 || name.salesDate.month > 12 || name.salesDate.day < 1 || name.salesDate.day > 31)
        return std::nullopt;
    return name;
}

std::map<std::string, DateTime> HandedOverReadouts(int registerNo)
{
    std::map<std::string, DateTime> result;
    if (!dm || !dm->Connected())
        return result;
    try {
        if (!dm->JestTabela(HandOverTable))
            return result;
        DataSet rows;
        dm->OpenSds(rows, "select PLIK, DATA from " + HandOverTable + " where KASA=" + SqlInt(registerNo));
        for (int row = 0; row < rows.RecordCount(); ++row)
            result[Trim(rows.At(row, "PLIK").AsString())] = AsDateTime(rows.At(row, "DATA")).value_or(DateTime{});
    } catch (const DbError& e) {
        LogLine(e.what());
    }
    return result;
}

namespace
{

// A code's totals as the ledger keeps them for one stored file.
struct LedgerTotals {
    int64_t quantity = 0;
    int64_t value = 0;
    std::string symbol; // the good the memory of sent goods named; empty when none
    std::string registerName;
};

std::map<std::string, LedgerTotals> TotalsOf(int64_t number)
{
    DataSet rows;
    dm->OpenSds(rows, "select KOD, ILOSC, WARTOSC, ASORT, NAZWA from ODCZYTY_KAS_SUMY where NR=" + SqlInt(number));
    std::map<std::string, LedgerTotals> totals;
    for (int row = 0; row < rows.RecordCount(); ++row)
        totals[rows.At(row, "KOD").AsString()] = {Units(rows.At(row, "ILOSC")), Units(rows.At(row, "WARTOSC")),
                                                  Trim(rows.At(row, "ASORT").AsString()),
                                                  rows.At(row, "NAZWA").AsString()};
    return totals;
}

// The recorded row of the file, checked against its content; nothing with the reason.
std::optional<LedgerEntry> RecordedEntry(const std::string& fileName, const Fingerprint& print, std::string& problem)
{
    const std::vector<LedgerEntry> entries = FindLedgerEntries(fileName);
    if (entries.empty()) {
        problem = "Plik "_cp + fileName +
                  " nie jest zapisanym przez program odczytem ani raportem zerowania (brak w rejestrze odczytów) - "
                  "nie przesłano"_cp;
        return std::nullopt;
    }
    for (const LedgerEntry& entry : entries)
        if (entry.fingerprint == print)
            return entry;
    problem = "Plik "_cp + fileName +
              " różni się od odczytu zapisanego przez program (rozmiar lub suma kontrolna) - nie przesłano"_cp;
    return std::nullopt;
}

// The goods of the codes: the good the memory of sent goods named when the file was stored, else the catalogue's
// good for the code.
class BookedGoods
{
public:
    BookedGoods(const Date& salesDate, const std::map<std::string, LedgerTotals>& totals)
        : byCode_("Kartas" + std::to_string(salesDate.year), true),
          bySymbol_("Kartas" + std::to_string(salesDate.year), true)
    {
        std::vector<std::string> codes, symbols;
        for (const auto& [code, t] : totals) {
            if (t.symbol.empty())
                codes.push_back(code);
            else
                symbols.push_back(t.symbol);
        }
        byCode_.Prepare(codes);
        bySymbol_.Prepare(symbols);
    }
    const CatalogueGood* Find(const std::string& code, const LedgerTotals& t) const
    {
        return t.symbol.empty() ? byCode_.Find(code) : bySymbol_.Find(t.symbol);
    }

private:
    CatalogueGoodsLookup byCode_;
    CatalogueGoodsLookup bySymbol_;
};

// BookedGoods for a sales report: the codes the file recorded find their booked good; any other code the
// catalogue's good.
class RecordedFileGoods : public IGoodsLookup
{
public:
    RecordedFileGoods(const Date& salesDate, std::map<std::string, LedgerTotals> totals)
        : totals_(std::move(totals)), booked_(salesDate, totals_),
          others_("Kartas" + std::to_string(salesDate.year), true)
    {
    }
    void Prepare(const std::vector<std::string>& codes) override
    {
        std::vector<std::string> unrecorded;
        for (const std::string& code : codes)
            if (totals_.count(code) == 0)
                unrecorded.push_back(code);
        others_.Prepare(unrecorded);
    }
    const CatalogueGood* Find(const std::string& code) const override
    {
        const auto recorded = totals_.find(code);
        return recorded != totals_.end() ? booked_.Find(code, recorded->second) : others_.Find(code);
    }

private:
    std::map<std::string, LedgerTotals> totals_;
    BookedGoods booked_;
    CatalogueGoodsLookup others_;
};

// value / quantity in ten-thousandths, rounded half away from zero; nothing for no quantity or a price that does
// not fit the column.
std::optional<int64_t> UnitPrice(int64_t quantity, int64_t value)
{
    if (quantity == 0)
        return std::nullopt;
    const __int128 scaled = static_cast<__int128>(value) * TotalsScale;
    __int128 price = scaled / quantity;
    const __int128 rest = scaled % quantity;
    if (rest != 0 && 2 * (rest < 0 ? -rest : rest) >= (quantity < 0 ? -quantity : quantity))
        price += (scaled < 0) != (quantity < 0) ? -1 : 1;
    if (price > LargestParagonyUnits || price < -LargestParagonyUnits)
        return std::nullopt;
    return static_cast<int64_t>(price);
}

std::string Nullable(const std::optional<std::string>& literal)
{
    return literal ? *literal : "null";
}

// What the hand-over of one file writes, worked out inside the writing transaction.
struct Plan {
    int period = 0;
    std::vector<std::pair<std::string, LedgerTotals>> increases; // code -> quantity and value to book
    bool periodHadHandOvers = false;
    std::string includedIn; // a later file of the period already handed over, when nothing is added
    std::string resetText;  // the refusal after a reset at the register
};

std::string ResetAtRegisterText(const std::string& fileName, const std::string& code, const std::string& earlier)
{
    return "Sprzedaż towaru "_cp + code + " w odczycie " + fileName + " jest mniejsza niż w zapisanym wcześniej "_cp +
           earlier +
           ": liczniki wyzerowano w kasie, poza programem. Nic nie przesłano. Sprzedaż od ostatniego przesłania do "
           "tamtego zerowania jest tylko na wydruku z kasy - wprowadź ją do Wolnar ręcznie. Potem rozpocznij tym "
           "odczytem nowy okres: tarlo-cli przeslij --nowy-okres "_cp +
           fileName + " (albo potwierdź to w oknie programu); odczyt zostanie wtedy przesłany w całości."_cp;
}

// A reset report of the period with higher totals: the counters were zeroed after it, but its period was not
// closed. Either the program zeroed them and could not record the period's end (the report then holds the sales up
// to the reset, and nothing may be entered by hand), or __KSprOp failed and the counters were zeroed at the register
// later; the operator knows which of the two it was.
std::string ZeroedAfterResetReportText(const std::string& fileName, const std::string& code, const std::string& report)
{
    return "Sprzedaż towaru "_cp + code + " w odczycie " + fileName + " jest mniejsza niż w raporcie zerowania "_cp +
           report +
           ", a okres tego raportu nie został zamknięty. Nic nie przesłano. Jeśli liczniki wyzerował "
           "program (zgłosił wtedy, że nie zapisano końca okresu), sprzedaż do zerowania jest w raporcie "_cp +
           report +
           ": przekaż go i niczego nie wprowadzaj do Wolnar ręcznie. Jeśli wyzerowano je w kasie, sprzedaż od "
           "tego raportu do zerowania jest tylko na wydruku z kasy - wprowadź ją do Wolnar ręcznie. Potem "
           "rozpocznij tym odczytem nowy okres: tarlo-cli przeslij --nowy-okres "_cp +
           fileName + " (albo potwierdź to w oknie programu)."_cp;
}

// The files of the period stored before this one: a code's total below any of theirs means a reset at the
// register.
std::string ResetAtRegister(DbWork& work, const LedgerEntry& entry, int period,
                            const std::map<std::string, LedgerTotals>& totals)
{
    const DataSet earlier = work.Query("select L.PLIK, L.RODZAJ, S.KOD, S.ILOSC, S.WARTOSC from ODCZYTY_KAS L join "
                                       "ODCZYTY_KAS_SUMY S on S.NR=L.NR where "
                                       "L.KASA=" +
                                       SqlInt(entry.registerNo) + " and L.OKRES=" + SqlInt(period) + " and L.NR<" +
                                       SqlInt(entry.number) + " order by L.NR");
    for (int row = 0; row < earlier.RecordCount(); ++row) {
        const std::string code = earlier.At(row, "KOD").AsString();
        const auto now = totals.find(code);
        const int64_t quantity = now == totals.end() ? 0 : now->second.quantity;
        const int64_t value = now == totals.end() ? 0 : now->second.value;
        if (quantity < Units(earlier.At(row, "ILOSC")) || value < Units(earlier.At(row, "WARTOSC"))) {
            const std::string file = Trim(earlier.At(row, "PLIK").AsString());
            return Trim(earlier.At(row, "RODZAJ").AsString()) == "Z"
                       ? ZeroedAfterResetReportText(entry.fileName, code, file)
                       : ResetAtRegisterText(entry.fileName, code, file);
        }
    }
    return {};
}

// Moves the file and the files stored after it in its period to a new period of the register. Refused when one of
// them was handed over already: its sales would then count in both periods.
int StartNewPeriod(DbWork& work, const LedgerEntry& entry, int period)
{
    const std::string later = " from ODCZYTY_KAS L where L.KASA=" + SqlInt(entry.registerNo) +
                              " and L.OKRES=" + SqlInt(period) + " and L.NR>=" + SqlInt(entry.number);
    const DataSet handed =
        work.Query("select first 1 L.PLIK" + later +
                   " and exists(select 1 from PRZESLANE_ODCZYTY P where P.PLIK=L.PLIK and P.KASA=L.KASA)");
    if (handed.RecordCount() > 0)
        throw std::runtime_error("Nie można rozpocząć nowego okresu odczytem "_cp + entry.fileName +
                                 ": zapisany po nim odczyt "_cp + Trim(handed.At(0, "PLIK").AsString()) +
                                 " został już przesłany."_cp);
    const DataSet highest =
        work.Query("select max(OKRES) as M from ODCZYTY_KAS where KASA=" + SqlInt(entry.registerNo));
    const int newPeriod = static_cast<int>(highest.At(0, "M").AsInteger()) + 1;
    work.Execute("update ODCZYTY_KAS set OKRES=" + SqlInt(newPeriod) + " where KASA=" + SqlInt(entry.registerNo) +
                 " and OKRES=" + SqlInt(period) + " and NR>=" + SqlInt(entry.number));
    work.Execute("update KASY_OKRESY set OKRES=" + SqlInt(newPeriod) +
                 ", ZAMKNIETY=0 where KASA=" + SqlInt(entry.registerNo) + " and OKRES<=" + SqlInt(period));
    LogLine("Nowy okres "_cp + std::to_string(newPeriod) + " kasy " + std::to_string(entry.registerNo) +
            " od odczytu "_cp + entry.fileName);
    return newPeriod;
}

Plan MakePlan(DbWork& work, const LedgerEntry& entry, const std::map<std::string, LedgerTotals>& totals,
              const HandOverOptions& options)
{
    Plan plan;
    plan.period = static_cast<int>(
        work.Query("select OKRES from ODCZYTY_KAS where NR=" + SqlInt(entry.number)).At(0, "OKRES").AsInteger());
    if (options.newPeriod)
        plan.period = StartNewPeriod(work, entry, plan.period);
    plan.resetText = ResetAtRegister(work, entry, plan.period, totals);
    if (!plan.resetText.empty())
        return plan;
    // The largest totals of the period already handed over.
    const DataSet largest =
        work.Query("select KOD, ILOSC, WARTOSC from PRZEKAZANE_SUMY where KASA=" + SqlInt(entry.registerNo) +
                   " and OKRES=" + SqlInt(plan.period));
    std::map<std::string, std::pair<int64_t, int64_t>> before;
    for (int row = 0; row < largest.RecordCount(); ++row)
        before[largest.At(row, "KOD").AsString()] = {Units(largest.At(row, "ILOSC")),
                                                     Units(largest.At(row, "WARTOSC"))};
    plan.periodHadHandOvers = !before.empty();
    for (const auto& [code, now] : totals) {
        const auto then = before.find(code);
        LedgerTotals increase = now;
        if (then != before.end()) {
            increase.quantity = std::max<int64_t>(0, now.quantity - then->second.first);
            increase.value = std::max<int64_t>(0, now.value - then->second.second);
        }
        if (increase.quantity != 0 || increase.value != 0)
            plan.increases.emplace_back(code, increase);
    }
    if (plan.increases.empty()) {
        const DataSet later = work.Query(
            "select first 1 L.PLIK from ODCZYTY_KAS L join PRZESLANE_ODCZYTY P on P.PLIK=L.PLIK and P.KASA=L.KASA "
            "where L.KASA=" +
            SqlInt(entry.registerNo) + " and L.OKRES=" + SqlInt(plan.period) + " and L.NR>" + SqlInt(entry.number) +
            " order by L.NR desc");
        if (later.RecordCount() > 0)
            plan.includedIn = Trim(later.At(0, "PLIK").AsString());
    }
    return plan;
}

// The 12-character key: register number, sales date as yymmdd, the file's sequence.
std::string KeyOf(const LedgerEntry& entry)
{
    const std::optional<ReadoutName> name = ParseReadoutName(entry.fileName);
    return Digits(entry.registerNo, 3) + Digits(entry.salesDate.year % 100, 2) + Digits(entry.salesDate.month, 2) +
           Digits(entry.salesDate.day, 2) + Digits(name ? name->sequence : 0, 3);
}

struct Written {
    int lines = 0;
    int64_t total = 0;
};

// The largest totals of the period become this file's totals where they are larger.
std::string RaiseLargestCommand(const LedgerEntry& entry, int period, const std::string& code,
                                const LedgerTotals& increase)
{
    const std::string current = " from PRZEKAZANE_SUMY where KASA=" + SqlInt(entry.registerNo) +
                                " and OKRES=" + SqlInt(period) + " and KOD=" + SqlQuote(code) + "),0)+";
    return "update or insert into PRZEKAZANE_SUMY (KASA,OKRES,KOD,ILOSC,WARTOSC) values (" + SqlInt(entry.registerNo) +
           "," + SqlInt(period) + "," + SqlQuote(code) + ",coalesce((select ILOSC" + current +
           Amount(increase.quantity) + ",coalesce((select WARTOSC" + current + Amount(increase.value) +
           ") matching (KASA,OKRES,KOD)";
}

Written WritePlan(DbWork& work, const LedgerEntry& entry, const std::vector<std::string>& fileLines, const Plan& plan,
                  const BookedGoods& goods, const std::string& rateList)
{
    const std::string key = SqlQuote(KeyOf(entry));
    const std::string salesDate = DateLiteral(entry.salesDate);
    Written written;
    for (const auto& [code, increase] : plan.increases)
        written.total += increase.value;
    written.lines = static_cast<int>(plan.increases.size());
    // First: a second hand-over of the file, from here or another workstation, stops at the key.
    work.Execute("insert into " + HandOverTable +
                 " (PLIK,KASA,ODCZYT,DATASPRZ,CZAS_ODCZYTU,DATA,LINIE,WARTOSC) values (" + SqlQuote(entry.fileName) +
                 "," + SqlInt(entry.registerNo) + "," + key + "," + salesDate + "," + TimestampLiteral(entry.storedAt) +
                 ",CURRENT_TIMESTAMP," + std::to_string(written.lines) + "," + Amount(written.total) + ")");
    for (const std::string& line : fileLines)
        work.Execute("insert into ODCZYT (PLIK,LINIA,DATA) values (" + SqlQuote(entry.fileName) + "," + SqlQuote(line) +
                     ",CURRENT_TIMESTAMP)");
    for (const auto& [code, increase] : plan.increases) {
        const CatalogueGood* good = goods.Find(code, increase);
        std::optional<std::string> symbol, rate, vatNumber, plu;
        if (good && good->symbol.size() <= SymbolWidth)
            symbol = SqlQuote(good->symbol);
        if (good) {
            if (good->vatRate)
                rate = good->vatRate->ToString();
            vatNumber = std::to_string(VatNumber(good->vatRate.value_or(Decimal{}), rateList));
        }
        if (!code.empty() && code.size() <= 9 && code.find_first_not_of("0123456789") == std::string::npos)
            plu = std::to_string(std::stol(code));
        const std::string itemName = good && !good->name.empty() ? good->name : increase.registerName;
        const std::optional<int64_t> price = UnitPrice(increase.quantity, increase.value);
        work.Execute("insert into PARAGONY (ODCZYT,DATASPRZ,DATA,STORNO,PLU,ASORT,NAZWA,NR_VAT,STAWKA_VAT,ILOSC,"
                     "WARTOSC,CENA,KASA,KOMPLET) values (" +
                     key + "," + salesDate + ",CURRENT_DATE,0," + Nullable(plu) + "," + Nullable(symbol) + "," +
                     SqlQuote(itemName.substr(0, NameWidth)) + "," + Nullable(vatNumber) + "," + Nullable(rate) + "," +
                     Amount(increase.quantity) + "," + Amount(increase.value) + "," +
                     Nullable(price ? std::optional(Amount(*price)) : std::nullopt) + "," + SqlInt(entry.registerNo) +
                     ",1)");
        work.Execute(RaiseLargestCommand(entry, plan.period, code, increase));
    }
    return written;
}

// The increases of one checked file, in one transaction under the register's row.
HandOverResult HandOver(const LedgerEntry& entry, const std::vector<std::string>& fileLines,
                        const HandOverOptions& options)
{
    const std::map<std::string, LedgerTotals> totals = TotalsOf(entry.number);
    for (const auto& [code, t] : totals)
        if (t.quantity > LargestParagonyUnits || t.value > LargestParagonyUnits)
            return Fail("Ilość lub wartość towaru "_cp + code + " w odczycie " + entry.fileName +
                        " poza zakresem - nic nie przesłano"_cp);
    const BookedGoods goods(entry.salesDate, totals);
    const std::string rateList = dm->ReadParS("VAT", "", "GLOBAL", "TARLA");
    EnsureRegisterRow(entry.registerNo);

    std::optional<DateTime> alreadyAt;
    Plan plan;
    Written written;
    WithRetries([&] {
        alreadyAt.reset();
        DbWork work;
        // The register's row first: a hand-over of the same register elsewhere waits here until this one ends.
        work.Execute("update KASY_OKRESY set KASA=KASA where KASA=" + SqlInt(entry.registerNo));
        const DataSet handed =
            work.Query("select DATA from " + HandOverTable + " where PLIK=" + SqlQuote(entry.fileName) +
                       " and KASA=" + SqlInt(entry.registerNo));
        if (handed.RecordCount() > 0) {
            alreadyAt = AsDateTime(handed.At(0, "DATA")).value_or(DateTime{});
            return;
        }
        plan = MakePlan(work, entry, totals, options);
        if (!plan.resetText.empty())
            return;
        written = WritePlan(work, entry, fileLines, plan, goods, rateList);
        work.Commit();
    });
    if (alreadyAt)
        return Fail(AlreadySentText(entry.fileName, *alreadyAt));
    if (!plan.resetText.empty()) {
        HandOverResult refused = Fail(plan.resetText);
        refused.resetAtRegister = true;
        return refused;
    }
    HandOverResult result{true, {}, written.lines, Decimal{written.total, 4}};
    if (!plan.includedIn.empty()) {
        result.alreadyIncluded = true;
        result.message = "Odczyt "_cp + entry.fileName + " był już ujęty w przesłanym później odczycie "_cp +
                         plan.includedIn + " - zapisano go jako przesłany, nic nie dopisano"_cp;
    } else {
        result.message = "Przesłano odczyt "_cp + entry.fileName + " do Wolnar: " + std::to_string(result.lines) + " " +
                         PolishPlural<std::string>(result.lines, "pozycja", "pozycje", "pozycji") +
                         " sprzedaży o wartości "_cp + FormatFloat("0.00", result.total.ToDouble()) + " zł"_cp;
        if (plan.periodHadHandOvers)
            result.message += " (przyrost od przesłanych wcześniej odczytów)"_cp;
    }
    Komunikat(result.message, false);
    return result;
}

} // namespace

HandOverResult SendReadingToTrade(const std::string& path, const HandOverOptions& options)
{
    const std::string fileName = fs::path(path).filename().string();
    std::string content, problem;
    if (!ReadRegularFile(path, content, problem))
        return Fail(problem + " - nie przesłano"_cp);
    const std::vector<std::string> lines = ContentLines(content);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (const std::string lineProblem = LineProblem(lines[i]); !lineProblem.empty())
            return Fail("Wiersz " + std::to_string(i + 1) + " pliku " + fileName + " " + lineProblem +
                        " - nic nie przesłano"_cp);
    try {
        const std::vector<std::string> missing = MissingObjects();
        if (!missing.empty())
            return Fail("Nie przesłano odczytu "_cp + fileName + ". " + MissingObjectsText(missing));
        const std::optional<LedgerEntry> entry = RecordedEntry(fileName, FingerprintOf(content), problem);
        if (!entry)
            return Fail(problem);
        return HandOver(*entry, lines, options);
    } catch (const std::exception& e) {
        // Another workstation handed the same file over meanwhile: its key stopped this one.
        try {
            for (const LedgerEntry& entry : FindLedgerEntries(fileName))
                if (entry.handedOverAt)
                    return Fail(AlreadySentText(fileName, *entry.handedOverAt));
        } catch (const std::exception&) {
        }
        return Fail("Przesłanie odczytu "_cp + fileName + " do Wolnar nie powiodło się, nic nie zapisano: "_cp +
                    OperatorText(e));
    }
}

std::unique_ptr<IGoodsLookup> StoredFileGoods(const std::string& storedPath)
{
    try {
        std::string content, problem;
        const std::string fileName = std::filesystem::path(storedPath).filename().string();
        if (ParseReadoutName(fileName) && !LedgerMissing() && ReadRegularFile(storedPath, content, problem)) {
            if (const std::optional<LedgerEntry> entry = RecordedEntry(fileName, FingerprintOf(content), problem))
                return std::make_unique<RecordedFileGoods>(entry->salesDate, TotalsOf(entry->number));
        }
    } catch (const std::exception&) {
        // The report is still shown, with the catalogue's goods.
    }
    return std::make_unique<CatalogueGoodsLookup>(GoodsTable);
}
