#include "catalogue/SentStore.h"

#include "app/ConstUnit.h"
#include "db/dbDDM.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <algorithm>
#include <cctype>

namespace
{

// How many symbols one "in (...)" list carries. The server allows at most 1500, but it checks every row it finds
// against the whole list again, so that a list costs the square of its length: 4,000 marks cost about three times as
// much in lists of 1,000 as in lists of 50.
constexpr std::size_t SymbolsPerCommand = 50;

// A text literal with every apostrophe doubled: the stored record line must read back exactly as it was.
std::string Literal(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

} // namespace

RecordLists CurrentRecordLists()
{
    RecordLists lists;
    lists.rates = dm->ReadParS("VAT", "", "GLOBAL", "TARLA");
    lists.units = ExportUnitList(dm->ReadParS("ELZB_JM", "", "GLOBAL", "TARLA"));
    lists.priceField = PriceField.empty() ? "cena_3" : PriceField;
    return lists;
}

bool SentTableExists()
{
    return dm->JestTabela("WYSLANE");
}

std::string MissingSentTableText()
{
    return "Brak tabeli WYSLANE (pamięć wysłanych towarów) - zaloguj się jako administrator (SYSDBA), aby ją utworzyć."_cp;
}

SentMemory LoadSentMemory(int registerId)
{
    SentMemory memory;
    // In key order, so that every entry goes in at the end of the map without a search; the rows are not kept.
    dm->ForEachRow("select kod,asort,rekord from wyslane where id_kasy=" + SqlInt(registerId) + " order by kod",
                   [&](Row& row) {
                       memory.insert_or_assign(memory.end(), static_cast<int>(row.at(0).AsInteger()),
                                               SentEntry{row.at(1).AsString(), row.at(2).AsString()});
                   });
    return memory;
}

std::string SentUpsertCommand(int registerId, int code, const SentEntry& entry)
{
    return "update or insert into wyslane (id_kasy,kod,asort,rekord,data) values (" + SqlInt(registerId) + "," +
           SqlInt(code) + "," + Literal(entry.asort) + "," + Literal(entry.line) +
           ",current_timestamp) matching (id_kasy,kod)";
}

std::string SentDeleteCommand(int registerId, int code)
{
    return "delete from wyslane where id_kasy=" + SqlInt(registerId) + " and kod=" + SqlInt(code);
}

std::string SentClearCommand(int registerId)
{
    return "delete from wyslane where id_kasy=" + SqlInt(registerId);
}

bool ReplaceSentMemory(int registerId, const SentMemory& memory)
{
    std::vector<std::string> commands{SentClearCommand(registerId)};
    commands.reserve(memory.size() + 1);
    for (const auto& [code, entry] : memory)
        commands.push_back("insert into wyslane (id_kasy,kod,asort,rekord,data) values (" + SqlInt(registerId) + "," +
                           SqlInt(code) + "," + Literal(entry.asort) + "," + Literal(entry.line) +
                           ",current_timestamp)");
    return dm->RunSQLBatch(commands);
}

void AppendMarkCommands(std::vector<std::string>& commands, const std::vector<std::string>& symbols, int value)
{
    for (std::size_t start = 0; start < symbols.size(); start += SymbolsPerCommand) {
        std::string list;
        const std::size_t end = std::min(symbols.size(), start + SymbolsPerCommand);
        for (std::size_t i = start; i < end; ++i)
            list += (list.empty() ? "" : ",") + SqlQuote(symbols[i]);
        commands.push_back("update blok_cen set wybor=" + SqlInt(value) + " where asort in (" + list + ")");
    }
}

bool SelectOnly(const std::vector<std::string>& symbols)
{
    std::vector<std::string> commands{"update blok_cen set wybor=0 where wybor<>0"};
    AppendMarkCommands(commands, symbols, 1);
    return dm->RunSQLBatch(commands);
}

DataSet ReadWholeCatalogue(const std::string& priceField)
{
    const bool plainName = !priceField.empty() && std::all_of(priceField.begin(), priceField.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
    const std::vector<std::string> fields = dm->ListaPol(GoodsTable, false, false);
    const bool present = std::any_of(fields.begin(), fields.end(), [&](const std::string& field) {
        return UpperAscii(field) == UpperAscii(priceField);
    });
    if (!plainName || !present)
        throw FieldError("Brak pola " + priceField + " w kartotece towarów "_cp + GoodsTable);
    DataSet rows;
    dm->OpenSds(rows, "select coalesce(b.blok,0) as blok,k.asort,k.nazwa,k.stawka_vat,k.jm,k.nieaktywny,k." +
                          priceField + " from " + GoodsTable + " k left join BLOK_CEN b using(asort)");
    return rows;
}

namespace
{

// A symbol that is a plain number of one to five digits without a leading zero: of such symbols no two share a
// register code. The condition is left to the server, so that only the other goods travel.
const std::string PlainSymbol = "asort similar to '[1-9][0-9]{0,4}'";

// Adds to `codes` the goods of the rows (asort, nieaktywny) that have a register code; returns their codes.
std::vector<int> AddOwners(CatalogueCodes& codes, const DataSet& rows)
{
    std::vector<int> added;
    for (const Row& row : rows.Rows) {
        int64_t symbol = -1;
        try {
            if (!row.at(0).IsNull())
                symbol = row.at(0).AsInteger();
        } catch (const FieldError&) {
        }
        if (symbol < 0)
            continue; // no register code
        // As the catalogue view counts it: nieaktywny<>1 leaves out NULL too.
        const Value& inactive = row.at(1);
        added.push_back(RegisterCodeOf(symbol));
        codes.Add(added.back(), row.at(0).AsString(), !inactive.IsNull() && inactive.AsInteger() != 1);
    }
    return added;
}

} // namespace

CatalogueCodes ReadCatalogueCodes()
{
    // Two goods share a code only when at least one of them has a symbol that is not plain ("100123" or "0123"
    // beside "123"): those goods are read, then the one plain symbol each of their codes can have. Only when
    // there are many of them is the rest of the table read instead.
    constexpr std::size_t MostLookedUp = 2000;
    CatalogueCodes codes;
    DataSet rows;
    dm->OpenSds(rows, "select asort,nieaktywny from " + GoodsTable + " where not " + PlainSymbol);
    std::vector<int> shared = AddOwners(codes, rows);
    std::sort(shared.begin(), shared.end());
    shared.erase(std::unique(shared.begin(), shared.end()), shared.end());
    if (shared.size() > MostLookedUp) {
        dm->OpenSds(rows, "select asort,nieaktywny from " + GoodsTable + " where " + PlainSymbol);
        AddOwners(codes, rows);
        return codes;
    }
    std::vector<std::string> plain;
    for (const int code : shared)
        if (code > 0)
            plain.push_back(std::to_string(code));
    for (std::size_t start = 0; start < plain.size(); start += SymbolsPerCommand) {
        std::string list;
        for (std::size_t i = start; i < plain.size() && i < start + SymbolsPerCommand; ++i)
            list += (list.empty() ? "" : ",") + SqlQuote(plain[i]);
        dm->OpenSds(rows, "select asort,nieaktywny from " + GoodsTable + " where asort in (" + list + ")");
        AddOwners(codes, rows);
    }
    return codes;
}

SentRecorder::SentRecorder(int registerId) : registerId_(registerId)
{
    available_ = SentTableExists();
    if (available_)
        memory_ = LoadSentMemory(registerId);
    else
        LogLine("Brak tabeli WYSLANE: eksport bez zapamiętania wysłanych towarów"_cp);
}

std::string SentRecorder::Accepted(const std::string& asort, const std::string& recordLine, SendKind kind)
{
    SentEntry stored;
    int code = 0;
    if (!available_ || !RememberSent(memory_, asort, recordLine, kind == SendKind::Full, stored, code))
        return {};
    return SentUpsertCommand(registerId_, code, stored);
}

bool SentRecorder::Forget(int code)
{
    memory_.erase(code);
    return !available_ || dm->RunSQL(SentDeleteCommand(registerId_, code));
}
