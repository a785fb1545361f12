#include "catalogue/CatalogueGoodsLookup.h"

#include "db/dbDDM.h"
#include "util/MyUtil.h"

#include <algorithm>
#include <utility>

namespace
{

// How many codes one catalogue query carries.
constexpr std::size_t LookupBatchSize = 400;
// A code longer than this cannot be a goods symbol; it is reported as unknown without asking the database.
constexpr std::size_t LongestGoodsSymbol = 250;

std::string WithoutLeadingZeros(const std::string& digits)
{
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

// The integer value of a code of digits, without leading zeros ("0" for zero).
std::string Canonical(const std::string& digits)
{
    const std::string value = WithoutLeadingZeros(digits);
    return value.empty() ? "0" : value;
}

} // namespace

CatalogueGoodsLookup::CatalogueGoodsLookup(std::string goodsTable, bool withVatRates)
    : goodsTable_(std::move(goodsTable)), withVatRates_(withVatRates)
{
}

void CatalogueGoodsLookup::Prepare(const std::vector<std::string>& codes)
{
    std::vector<std::string> symbols;
    for (const auto& code : codes)
        AddSymbol(TrimBlanksRight(code), symbols);
    QuerySymbols(symbols);

    symbols.clear();
    for (const auto& code : codes)
        if (AllDigits(code) && !bySymbol_.at(TrimBlanksRight(code)))
            AddSymbol(Canonical(code), symbols);
    QuerySymbols(symbols);

    if (!zeroPadded_)
        for (const auto& code : codes)
            if (AllDigits(code) && !Find(code)) {
                LoadZeroPadded();
                break;
            }
}

const CatalogueGood* CatalogueGoodsLookup::Find(const std::string& code) const
{
    const auto exact = bySymbol_.find(TrimBlanksRight(code));
    if (exact == bySymbol_.end())
        return nullptr;
    if (exact->second)
        return &*exact->second;
    if (!AllDigits(code))
        return nullptr;
    if (const auto canonical = bySymbol_.find(Canonical(code)); canonical != bySymbol_.end() && canonical->second)
        return &*canonical->second;
    if (!zeroPadded_)
        return nullptr;
    const auto it = zeroPadded_->find(WithoutLeadingZeros(code));
    return it == zeroPadded_->end() ? nullptr : &it->second;
}

void CatalogueGoodsLookup::AddSymbol(const std::string& symbol, std::vector<std::string>& symbols)
{
    if (bySymbol_.emplace(symbol, std::nullopt).second && symbol.size() <= LongestGoodsSymbol)
        symbols.push_back(symbol);
}

template <class Handle> void CatalogueGoodsLookup::ForEachGood(const std::string& condition, Handle handle) const
{
    dm->OpenSQT("select asort,jm,nazwa" + std::string(withVatRates_ ? ",stawka_vat" : "") + " from " + goodsTable_ +
                " where " + condition);
    struct CloseQuery {
        ~CloseQuery() { dm->SQT.Close(); }
    } close;
    for (; !dm->SQT.Eof(); dm->SQT.Next()) {
        CatalogueGood good{TrimBlanksRight(dm->SQT.FieldByName("asort").AsString()),
                           dm->SQT.FieldByName("jm").AsString(), dm->SQT.FieldByName("nazwa").AsString(), std::nullopt};
        if (withVatRates_) {
            const Value& rate = dm->SQT.FieldByName("stawka_vat");
            if (!rate.IsNull())
                good.vatRate = rate.AsDecimal();
        }
        handle(std::move(good));
    }
}

// The goods of the symbols, LookupBatchSize symbols per query.
void CatalogueGoodsLookup::QuerySymbols(const std::vector<std::string>& symbols)
{
    for (std::size_t start = 0; start < symbols.size(); start += LookupBatchSize) {
        const std::size_t end = std::min(symbols.size(), start + LookupBatchSize);
        std::string condition = "asort in (";
        for (std::size_t i = start; i < end; ++i)
            condition += SqlQuoteItem(symbols[i], i + 1 == end);
        ForEachGood(condition + ")", [this](CatalogueGood good) {
            auto it = bySymbol_.find(good.symbol);
            if (it != bySymbol_.end() && !it->second)
                it->second = std::move(good);
        });
    }
}

void CatalogueGoodsLookup::LoadZeroPadded()
{
    zeroPadded_.emplace();
    ForEachGood("asort starting with '0'", [this](CatalogueGood good) {
        if (!AllDigits(good.symbol))
            return;
        const auto [it, added] = zeroPadded_->emplace(WithoutLeadingZeros(good.symbol), good);
        if (!added && good.symbol < it->second.symbol)
            it->second = std::move(good);
    });
}
