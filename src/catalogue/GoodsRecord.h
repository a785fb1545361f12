#pragma once
// The goods record line that the export sends to a register (one request per good) and writes to the Eureka
// file: ten tab-separated fields built from one catalogue row and the two numbering lists of the parameter store.
// Also the one rule of which goods can be sent at all.
#include "db/DataSet.h"
#include "util/Decimal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A register keeps the first 19 characters of a goods name.
inline constexpr int RegisterNameLength = 19;

// The largest price a register takes: nine digits of hundredths, 9 999 999.99.
inline constexpr int64_t MaxRecordPriceHundredths = 999999999;

// A register knows a good by the last five digits of its symbol: 123 and 100123 share the code $00123.
int RegisterCodeOf(int64_t symbol);
// "$00123"
std::string RegisterCodeText(int code);

// One good as a register holds it, or as a record line would store it.
struct RegisterGood {
    int code = 0;
    std::string name;  // at most 19 characters, trailing blanks removed
    int vat = 0;       // number in the rate list, 1..7 (A..G)
    int unit = 0;      // number in the unit list
    int lock = 0;      // price lock 0 or 1
    int64_t price = 0; // hundredths
    bool operator==(const RegisterGood&) const = default;
};

// The layout of a record line, without line end:
// "$" + code (5 digits) TAB name (padded to 19 characters, as given) TAB VAT number TAB "1" TAB "3" TAB unit number
// TAB price lock TAB "0000000000000" TAB price in hundredths TAB "0".
std::string RecordLayout(const RegisterGood& good);
// The same layout added to the end of `line`.
void AppendRecordLayout(std::string& line, const RegisterGood& good);

// The catalogue values of one good, as the record needs them. An absent value is a NULL in the catalogue.
struct GoodsRecordInput {
    std::string asort;               // the symbol as stored
    int64_t code = 0;                // "asort" as a whole number
    bool wholeSymbol = true;         // false when "asort" is not a whole number (then `code` means nothing)
    std::string name;                // "nazwa", Windows-1250
    std::optional<Decimal> vatRate;  // "stawka_vat"
    std::optional<std::string> unit; // "jm" as stored
    int64_t priceLock = 0;           // "blok"
    std::optional<Decimal> price;    // the price field
};

// Whether the good can be sent to a register (or written to the Eureka file): empty when it can, otherwise why
// not, in Polish. A good can be sent when its symbol is a whole number whose code is not $00000, its name is not
// empty, a price is present and its hundredths (cut toward zero) lie within 0 ... 9 999 999.99 (a negative price
// is refused even when it cuts to 0.00), a VAT rate is present and on `rateList`, and a unit is present. A unit
// missing from the unit list is no reason: its number is 0.
std::string GoodsRecordRefusal(const GoodsRecordInput& good, const std::string& rateList);

// The record line of a good that GoodsRecordRefusal accepts, name in code page 852. Every byte of the name below
// 0x20 (tab, CR, LF, ...) becomes a blank, so that a record is always one line of ten fields. The VAT number is the
// position of the rate, written "0.00", in `rateList`; the unit number the position of the unit in `unitList`
// (both ";"-ended lists, letter case ignored); 0 when absent, and 0 for an empty unit.
std::string BuildGoodsRecordLine(const GoodsRecordInput& good, const std::string& rateList,
                                 const std::string& unitList);

// The VAT and unit numbers of many goods from the same two lists, each distinct rate and unit looked up once: the
// same numbers VatNumber and BuildGoodsRecordLine give.
class RecordNumbering
{
public:
    RecordNumbering(std::string rateList, std::string unitList);
    int Vat(const Decimal& vatRate);
    int Unit(const std::string& unit); // 0 for an empty (blank) unit
    const std::string& Rates() const { return rates_; }

private:
    std::string rates_, units_;
    std::vector<std::pair<Decimal, int>> vat_; // by exact unscaled value and scale
    std::vector<std::pair<std::string, int>> unit_;
};

// GoodsRecordRefusal with the rate list of `numbering`.
std::string GoodsRecordRefusal(const GoodsRecordInput& good, RecordNumbering& numbering);
// What the register holds after accepting the record line of a good that GoodsRecordRefusal accepts: the line
// BuildGoodsRecordLine lays out, read back (name in Windows-1250, cut to 19 characters, trailing blanks removed).
RegisterGood HeldRecord(const GoodsRecordInput& good, RecordNumbering& numbering);

// The position of the VAT rate, written "0.00", in the ";"-ended rate list (the parameter "VAT"), letter case
// ignored; 0 when absent.
int VatNumber(const Decimal& vatRate, const std::string& rateList);

// The values of row `row` of a catalogue result holding "asort", "nazwa", "stawka_vat", "jm", "blok" and the field
// `priceField`. Raises FieldError (Polish message) when a field is missing.
GoodsRecordInput GoodsRecordFromRow(const DataSet& goods, int row, const std::string& priceField);

// The columns of those fields in one result, found once for reading many rows.
struct GoodsRecordColumns {
    int asort = -1, name = -1, vatRate = -1, unit = -1, priceLock = -1, price = -1;
    // Raises FieldError (Polish message) when a field is missing.
    static GoodsRecordColumns Of(const FieldList& fields, const std::string& priceField);
};
GoodsRecordInput GoodsRecordFromRow(const DataSet& goods, int row, const GoodsRecordColumns& columns);

// The unit list of the export: the first 32 characters of the parameter "ELZB_JM".
std::string ExportUnitList(const std::string& elzbJm);
