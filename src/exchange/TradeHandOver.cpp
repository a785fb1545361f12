#include "exchange/TradeHandOver.h"

#include "app/ConstUnit.h"
#include "catalogue/CatalogueGoodsLookup.h"
#include "catalogue/GoodsRecord.h"
#include "db/dbDDM.h"
#include "exchange/SalesReport.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/Plural.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>

namespace fs = std::filesystem;

namespace
{

// The widths of the columns the hand-over fills.
constexpr std::size_t LineWidth = 150;  // ODCZYT.LINIA
constexpr std::size_t NameWidth = 24;   // PARAGONY.NAZWA
constexpr std::size_t SymbolWidth = 20; // PARAGONY.ASORT
// NUMERIC(15,4) holds eleven digits before the point; amounts are kept in ten-thousandths.
constexpr double LargestAmount = 99999999999.0;
constexpr int64_t Scale = 10000;

const std::string HandOverTable = "PRZESLANE_ODCZYTY";
const std::string NotResetMark = "_niewyzerowane";

std::string Digits(int value, int width)
{
    return IntToStrPad(value, width, "0");
}

std::string TimestampLiteral(const DateTime& t)
{
    char text[40];
    std::snprintf(text, sizeof text, "'%04d-%02d-%02d %02d:%02d:%02d.%03d'", t.date.year, t.date.month, t.date.day,
                  t.time.hour, t.time.minute, t.time.second, t.time.msec);
    return text;
}

std::string DateLiteral(const Date& d)
{
    char text[20];
    std::snprintf(text, sizeof text, "'%04d-%02d-%02d'", d.year, d.month, d.day);
    return text;
}

auto Order(const DateTime& t)
{
    return std::make_tuple(t.date.year, t.date.month, t.date.day, t.time.hour, t.time.minute, t.time.second,
                           t.time.msec);
}

// The local time at which the file was last written.
std::optional<DateTime> FileTime(const std::string& path)
{
    struct stat info {
    };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    std::tm local{};
    localtime_r(&info.st_mtim.tv_sec, &local);
    return DateTime{{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                    {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(info.st_mtim.tv_nsec / 1000000)}};
}

std::string Amount(int64_t units)
{
    return Decimal{units, 4}.ToString();
}

// Quantity and value of one code, in ten-thousandths.
struct Totals {
    int64_t quantity = 0;
    int64_t value = 0;
};

struct CodeTotals {
    std::string code;
    std::string registerName; // field 4 of the code's first line
    Totals totals;
};

// The readout's sales per code, in the order the codes first appear; lines of the same code are added up.
class SalesByCode
{
public:
    // False (with the reason) when an amount does not fit the columns.
    bool Add(const std::string& line, std::string& problem)
    {
        const ReadoutLine parsed = ParseReadoutLine(line);
        if (!(std::fabs(parsed.quantity) < LargestAmount) || !(std::fabs(parsed.value) < LargestAmount)) {
            problem = "Ilość lub wartość towaru "_cp + parsed.code + " poza zakresem";
            return false;
        }
        auto [it, added] = index_.emplace(parsed.code, codes_.size());
        if (added)
            codes_.push_back({parsed.code, TabField(line, 4), {}});
        Totals& totals = codes_[it->second].totals;
        totals.quantity += std::llround(parsed.quantity * Scale);
        totals.value += std::llround(parsed.value * Scale);
        return true;
    }
    const std::vector<CodeTotals>& Codes() const { return codes_; }
    const Totals* Find(const std::string& code) const
    {
        const auto it = index_.find(code);
        return it == index_.end() ? nullptr : &codes_[it->second].totals;
    }

private:
    std::vector<CodeTotals> codes_;
    std::map<std::string, std::size_t> index_;
};

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
    return missing;
}

std::optional<DateTime> AsDateTime(const Value& value)
{
    if (const auto* t = std::get_if<DateTime>(&value.Data()))
        return *t;
    return std::nullopt;
}

// When the file was handed over for this register; nothing when it was not.
std::optional<DateTime> HandedOverAt(const std::string& fileName, int registerNo)
{
    dm->OpenSQT("select DATA from " + HandOverTable + " where PLIK=" + SqlQuote(fileName) +
                " and KASA=" + SqlInt(registerNo));
    std::optional<DateTime> result;
    if (!dm->SQT.Eof())
        result = AsDateTime(dm->SQT.FieldByName("DATA")).value_or(DateTime{});
    dm->SQT.Close();
    return result;
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

std::vector<DateTime> CounterResetTimes(const std::string& registerDir)
{
    std::vector<DateTime> times;
    std::error_code error;
    for (const auto& day : fs::directory_iterator(registerDir, error)) {
        if (!day.is_directory(error))
            continue;
        const std::string folder = FindCaseless(day.path().string(), "Zerowania");
        for (const auto& report : fs::directory_iterator(folder, error)) {
            const std::string name = report.path().filename().string();
            if (!report.is_regular_file(error) || name.starts_with(".") ||
                UpperAscii(report.path().stem().string()).ends_with(UpperAscii(NotResetMark)))
                continue;
            if (const auto time = FileTime(report.path().string()))
                times.push_back(*time);
        }
    }
    return times;
}

std::string NotResetReportName(const std::string& reportPath)
{
    const fs::path path(reportPath);
    return (path.parent_path() / (path.stem().string() + NotResetMark + path.extension().string())).string();
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

// The readout of the register handed over last: its file name and the time it was taken.
struct PreviousReadout {
    std::string fileName;
    std::optional<DateTime> takenAt;
};

std::optional<PreviousReadout> LastHandedOver(int registerNo)
{
    dm->OpenSQT("select first 1 PLIK, CZAS_ODCZYTU from " + HandOverTable + " where KASA=" + SqlInt(registerNo) +
                " order by DATA desc, PLIK desc");
    std::optional<PreviousReadout> result;
    if (!dm->SQT.Eof())
        result = PreviousReadout{Trim(dm->SQT.FieldByName("PLIK").AsString()),
                                 AsDateTime(dm->SQT.FieldByName("CZAS_ODCZYTU"))};
    dm->SQT.Close();
    return result;
}

// The lines of a readout handed over before, as ODCZYT holds them.
std::vector<std::string> HandedOverLines(const std::string& fileName)
{
    DataSet rows;
    dm->OpenSds(rows, "select LINIA from ODCZYT where PLIK=" + SqlQuote(fileName) + " order by ID");
    std::vector<std::string> lines;
    for (int row = 0; row < rows.RecordCount(); ++row)
        lines.push_back(rows.At(row, "LINIA").AsString());
    return lines;
}

bool ResetBetween(const std::vector<DateTime>& resets, const DateTime& a, const DateTime& b)
{
    const auto [from, to] = Order(a) < Order(b) ? std::pair(Order(a), Order(b)) : std::pair(Order(b), Order(a));
    for (const DateTime& reset : resets)
        if (from < Order(reset) && Order(reset) <= to)
            return true;
    return false;
}

// value / quantity in ten-thousandths, rounded half away from zero; nothing for no quantity or a price that does
// not fit the column.
std::optional<int64_t> UnitPrice(const Totals& t)
{
    if (t.quantity == 0)
        return std::nullopt;
    const __int128 scaled = static_cast<__int128>(t.value) * Scale;
    __int128 price = scaled / t.quantity;
    const __int128 rest = scaled % t.quantity;
    if (rest != 0 && 2 * (rest < 0 ? -rest : rest) >= (t.quantity < 0 ? -t.quantity : t.quantity))
        price += (scaled < 0) != (t.quantity < 0) ? -1 : 1;
    if (price >= static_cast<__int128>(LargestAmount) * Scale || price <= -static_cast<__int128>(LargestAmount) * Scale)
        return std::nullopt;
    return static_cast<int64_t>(price);
}

std::string Nullable(const std::optional<std::string>& literal)
{
    return literal ? *literal : "null";
}

} // namespace

HandOverResult SendReadingToTrade(const std::string& path)
{
    const std::string fileName = fs::path(path).filename().string();
    const std::optional<ReadoutName> name = ParseReadoutName(fileName);
    if (!name)
        return Fail("Plik " + fileName + " nie jest odczytem kasy (nazwa NNN_RRRRMMDD_KKK.txt) - nie przesłano"_cp);

    // The sales report stored at a counter reset has a readout's name but lies in the reset folder of its day.
    if (UpperAscii(fs::path(path).parent_path().filename().string()) == "ZEROWANIA")
        return Fail("Plik " + fileName + " jest raportem zerowania liczników, nie odczytem - nie przesłano"_cp);
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        return Fail("Nie można odczytać pliku "_cp + path + " - nie przesłano"_cp);
    SalesByCode sales;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string problem = LineProblem(lines[i]);
        if (problem.empty() && i >= ReadoutHeaderLines)
            sales.Add(lines[i], problem);
        if (!problem.empty())
            return Fail("Wiersz " + std::to_string(i + 1) + " pliku " + fileName + " " + problem +
                        " - nic nie przesłano"_cp);
    }
    const std::optional<DateTime> takenAt = FileTime(path);

    try {
        const std::vector<std::string> missing = MissingObjects();
        if (!missing.empty()) {
            std::string list;
            for (const auto& object : missing)
                list += (list.empty() ? "" : ", ") + object;
            // odczyt ponownie.
            return Fail(
                "Nie przesłano odczytu "_cp + fileName + ". Brak w bazie danych: " + list +
                ". Zaloguj się jako administrator (SYSDBA) - program je utworzy; potem prześlij odczyt ponownie."_cp);
        }
        if (const auto at = HandedOverAt(fileName, name->registerNo))
            return Fail(AlreadySentText(fileName, *at));

        // A readout holds the totals since the last counter reset: after a readout of the same register handed
        // over before, with no reset by the program in between, only the increase goes over.
        std::optional<PreviousReadout> previous = LastHandedOver(name->registerNo);
        const std::optional<std::string> lastFile =
            previous ? std::optional(previous->fileName) : std::optional<std::string>();
        if (previous && previous->takenAt && takenAt) {
            const std::string registerDir = fs::path(path).parent_path().parent_path().string();
            if (ResetBetween(CounterResetTimes(registerDir), *previous->takenAt, *takenAt))
                previous.reset();
        }
        SalesByCode before;
        if (previous) {
            const std::vector<std::string> previousLines = HandedOverLines(previous->fileName);
            if (previousLines.empty())
                return Fail("Nie przesłano odczytu "_cp + fileName +
                            ": brak wierszy przesłanego wcześniej odczytu "_cp + previous->fileName +
                            " w tabeli ODCZYT, więc nie wiadomo, ile sprzedano od tamtego odczytu."_cp);
            for (std::size_t i = ReadoutHeaderLines; i < previousLines.size(); ++i) {
                std::string ignored;
                before.Add(previousLines[i], ignored);
            }
        }

        std::vector<CodeTotals> increases;
        for (const CodeTotals& now : sales.Codes()) {
            CodeTotals increase = now;
            if (const Totals* then = before.Find(now.code)) {
                increase.totals.quantity -= then->quantity;
                increase.totals.value -= then->value;
            }
            if (increase.totals.quantity != 0 || increase.totals.value != 0)
                increases.push_back(increase);
        }
        for (const CodeTotals& then : before.Codes()) {
            const Totals* now = sales.Find(then.code);
            const Totals current = now ? *now : Totals{};
            if (current.quantity < then.totals.quantity || current.value < then.totals.value)
                return Fail(
                    "Sprzedaż towaru "_cp + then.code + " w odczycie " + fileName +
                    " jest mniejsza niż w przesłanym wcześniej odczycie "_cp + previous->fileName +
                    ": liczniki kasy wyzerowano poza programem albo odczyt jest starszy. Nic nie przesłano."_cp);
        }

        CatalogueGoodsLookup goods("Kartas" + std::to_string(name->salesDate.year), true);
        std::vector<std::string> codes;
        for (const auto& increase : increases)
            codes.push_back(increase.code);
        goods.Prepare(codes);
        const std::string rateList = dm->ReadParS("VAT", "", "GLOBAL", "TARLA");

        const DateTime now = Now();
        const std::string key = SqlQuote(name->Key());
        const std::string salesDate = DateLiteral(name->salesDate);
        int64_t total = 0;
        std::vector<std::string> commands;
        commands.push_back(""); // the row of PRZESLANE_ODCZYTY, filled in below once the total is known
        // The increase is counted from the register's last hand-over: touching its row makes a hand-over of another
        // file of the register, running at the same time on another workstation, wait and then fail, so that the
        // two are never counted from the same readout.
        if (lastFile)
            commands.push_back("update " + HandOverTable + " set LINIE=LINIE where PLIK=" + SqlQuote(*lastFile) +
                               " and KASA=" + SqlInt(name->registerNo));
        for (const std::string& line : lines)
            commands.push_back("insert into ODCZYT (PLIK,LINIA,DATA) values (" + SqlQuote(fileName) + "," +
                               SqlQuote(line) + "," + TimestampLiteral(now) + ")");
        for (const CodeTotals& increase : increases) {
            const CatalogueGood* good = goods.Find(increase.code);
            std::optional<std::string> symbol, rate, vatNumber, plu;
            if (good && good->symbol.size() <= SymbolWidth)
                symbol = SqlQuote(good->symbol);
            if (good) {
                if (good->vatRate)
                    rate = good->vatRate->ToString();
                vatNumber = std::to_string(VatNumber(good->vatRate.value_or(Decimal{}), rateList));
            }
            if (!increase.code.empty() && increase.code.size() <= 9 &&
                increase.code.find_first_not_of("0123456789") == std::string::npos)
                plu = std::to_string(std::stol(increase.code));
            const std::string itemName = good && !good->name.empty() ? good->name : increase.registerName;
            const std::optional<int64_t> price = UnitPrice(increase.totals);
            commands.push_back(
                "insert into PARAGONY (ODCZYT,DATASPRZ,DATA,STORNO,PLU,ASORT,NAZWA,NR_VAT,STAWKA_VAT,ILOSC,WARTOSC,"
                "CENA,KASA,KOMPLET) values (" +
                key + "," + salesDate + "," + DateLiteral(now.date) + ",0," + Nullable(plu) + "," + Nullable(symbol) +
                "," + SqlQuote(itemName.substr(0, NameWidth)) + "," + Nullable(vatNumber) + "," + Nullable(rate) + "," +
                Amount(increase.totals.quantity) + "," + Amount(increase.totals.value) + "," +
                Nullable(price ? std::optional(Amount(*price)) : std::nullopt) + "," + SqlInt(name->registerNo) +
                ",1)");
            total += increase.totals.value;
        }
        // First in the transaction: a second hand-over of the file, from here or another workstation, stops at
        // the key and writes nothing.
        commands.front() = "insert into " + HandOverTable +
                           " (PLIK,KASA,ODCZYT,DATASPRZ,CZAS_ODCZYTU,DATA,LINIE,WARTOSC) values (" +
                           SqlQuote(fileName) + "," + SqlInt(name->registerNo) + "," + key + "," + salesDate + "," +
                           Nullable(takenAt ? std::optional(TimestampLiteral(*takenAt)) : std::nullopt) + "," +
                           TimestampLiteral(now) + "," + std::to_string(increases.size()) + "," + Amount(total) + ")";

        std::string failure;
        if (!dm->RunSQLBatch(commands, &failure)) {
            if (const auto at = HandedOverAt(fileName, name->registerNo))
                return Fail(AlreadySentText(fileName, *at));
            return Fail("Przesłanie odczytu "_cp + fileName + " do Wolnar nie powiodło się, nic nie zapisano: "_cp +
                        failure);
        }
        HandOverResult result{true, {}, static_cast<int>(increases.size()), Decimal{total, 4}};
        result.message = "Przesłano odczyt "_cp + fileName + " do Wolnar: " + std::to_string(result.lines) + " " +
                         PolishPlural<std::string>(result.lines, "pozycja", "pozycje", "pozycji") +
                         " sprzedaży o wartości "_cp + FormatFloat("0.00", result.total) + " zł"_cp;
        if (previous)
            result.message += " (przyrost od odczytu " + previous->fileName + ")";
        Komunikat(result.message, false);
        return result;
    } catch (const std::exception& e) {
        return Fail("Przesłanie odczytu "_cp + fileName + " do Wolnar nie powiodło się, nic nie zapisano: "_cp +
                    OperatorText(e));
    }
}
