#pragma once
// The goods lookup of the sales report and of the hand-over to the trade system, on the catalogue table of the
// database module (dm).
#include "catalogue/GoodsLookup.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// Finds the catalogue goods of readout codes with a few queries per batch of codes, giving for each code the good
// that one query per code would give:
//  1. the good whose "asort" equals the code (compared as the database compares texts: trailing blanks ignored);
//  2. when there is none and the code is all digits, the good whose "asort" is the code's integer value written
//     without leading zeros: the export sends symbol 123 as $00123, so the register reports 00123 for it;
//  3. failing that too, the smallest "asort" made of digits with leading zeros that has the same integer value
//     (0123 for 00123). These symbols are fetched once per lookup, through the index ("starting with '0'").
// Database errors (DbError) reach the caller.
class CatalogueGoodsLookup : public IGoodsLookup
{
public:
    // `goodsTable`: the catalogue table of the sales year ("Kartas" + year). With `withVatRates` the goods' VAT
    // rates ("stawka_vat") are read too; the report does not need them.
    explicit CatalogueGoodsLookup(std::string goodsTable, bool withVatRates = false);

    // Looks up every code of the list not looked up before.
    void Prepare(const std::vector<std::string>& codes) override;
    const CatalogueGood* Find(const std::string& code) const override;

private:
    void AddSymbol(const std::string& symbol, std::vector<std::string>& symbols);
    void QuerySymbols(const std::vector<std::string>& symbols);
    void LoadZeroPadded();
    template <class Handle> void ForEachGood(const std::string& condition, Handle handle) const;

    std::string goodsTable_;
    bool withVatRates_;
    // Symbol without trailing blanks -> its good, or nothing; holds both the codes and their integer values.
    std::map<std::string, std::optional<CatalogueGood>> bySymbol_;
    // Integer value (digits without leading zeros) -> the smallest symbol of digits with leading zeros.
    std::optional<std::map<std::string, CatalogueGood>> zeroPadded_;
};
