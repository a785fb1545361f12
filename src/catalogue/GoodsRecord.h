#pragma once
// The goods record line that the export sends to a register (one request per good) and writes to the Eureka
// file: ten tab-separated fields built from one catalogue row and the two numbering lists of the parameter store.
#include "db/DataSet.h"
#include "util/Decimal.h"

#include <cstdint>
#include <string>

// A register keeps the first 19 characters of a goods name.
inline constexpr int RegisterNameLength = 19;

// The catalogue values of one good, as the record needs them.
struct GoodsRecordInput {
    int64_t code = 0;      // "asort" as a whole number
    std::string name;      // "nazwa", Windows-1250
    Decimal vatRate;       // "stawka_vat"
    std::string unit;      // "jm" as stored
    int64_t priceLock = 0; // "blok"
    Decimal price;         // the price field
};

// The largest price a register takes: nine digits of hundredths, 9 999 999.99.
inline constexpr int64_t MaxRecordPriceHundredths = 999999999;

// The record line, without line end:
// "$" + code (5 digits) TAB name (code page 852, 19 characters) TAB VAT number TAB "1" TAB "3" TAB unit number
// TAB price lock TAB "0000000000000" TAB price in hundredths (cut toward zero) TAB "0".
// Every byte of the name below 0x20 (tab, CR, LF, ...) becomes a blank, so that a record is always one line of
// ten fields. Check GoodsRecordRefusal first: a price outside the register's range has no record.
// The VAT number is the position of the rate, written "0.00", in `rateList`; the unit number the position of the
// unit in `unitList` (both ";"-ended lists, letter case ignored); 0 when absent.
std::string BuildGoodsRecordLine(const GoodsRecordInput& good, const std::string& rateList,
                                 const std::string& unitList);

// The position of the VAT rate, written "0.00", in the ";"-ended rate list (the parameter "VAT"), letter case
// ignored; 0 when absent.
int VatNumber(const Decimal& vatRate, const std::string& rateList);

// Empty when the good can go into a record; otherwise why not, in Polish: a negative price, or one above
// MaxRecordPriceHundredths ("cena 12345678.00 poza zakresem kasy 0.00 - 9999999.99").
std::string GoodsRecordRefusal(const GoodsRecordInput& good);

// The values of row `row` of a catalogue result holding "asort", "nazwa", "stawka_vat", "jm", "blok" and the field
// `priceField`. Raises FieldError (Polish message) when a field is missing or "asort" is not a whole number.
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
