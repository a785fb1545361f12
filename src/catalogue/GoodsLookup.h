#pragma once
// The catalogue's goods as the sales report and the hand-over to the trade system look them up by a register's
// code; the database implementation is CatalogueGoodsLookup (catalogue/CatalogueGoodsLookup.h).
#include "util/Decimal.h"

#include <optional>
#include <string>
#include <vector>

// A good of the catalogue as the report and the hand-over need it.
struct CatalogueGood {
    std::string symbol;             // "asort" without trailing blanks
    std::string unit;               // "jm"
    std::string name;               // "nazwa"
    std::optional<Decimal> vatRate; // "stawka_vat"; none when NULL
};

// Finds the catalogue good of a register's code. Prepare is given the codes before Find asks for them, so that an
// implementation can look many codes up at once; Find of a code never prepared may give null.
class IGoodsLookup
{
public:
    virtual ~IGoodsLookup() = default;
    virtual void Prepare(const std::vector<std::string>& codes) = 0;
    // The good of the code; null when the catalogue has none.
    virtual const CatalogueGood* Find(const std::string& code) const = 0;
};
