#include "winip/SimReports.h"
#include "util/Cp1250Literal.h"

#include <cstdarg>
#include <cstdio>
#include <map>

namespace winip
{

namespace
{

constexpr const char* kEol = "\r\n";

// One formatted line, CR LF added.
[[gnu::format(printf, 1, 2)]] std::string Line(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return std::string(buffer) + kEol;
}

std::string DateTimeText(std::time_t now)
{
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return text;
}

std::string NameOf(const SimRegister& reg, int code)
{
    const auto it = reg.goods.find(code);
    return it == reg.goods.end() ? std::string() : NameForText(it->second.name);
}

} // namespace

std::string GoodsListText(const SimRegister& reg)
{
    std::string text = Line("Wykaz towarów w kasie nr %d"_cp, reg.Number());
    text += Line("Liczba towarów: %zu (pojemność %zu)"_cp, reg.goods.size(), kGoodsCapacity);
    text += kEol;
    text += Line("%-6s  %-19s  %3s  %2s  %-7s  %10s", "Kod", "Nazwa", "VAT", "JM", "Blokada", "Cena");
    for (const auto& [code, good] : reg.goods)
        text += Line("%-6s  %-19s  %3s  %2d  %-7s  %10s", CodeText(code).c_str(), NameForText(good.name).c_str(),
                     VatLetter(good.vat).c_str(), good.unit, good.lock ? "tak" : "nie", MoneyText(good.price).c_str());
    return text;
}

std::string SalesTotalsText(const SimRegister& reg, std::time_t now)
{
    std::string text = Line("Kasa nr %d - sumy sprzedaży towarów"_cp, reg.Number());
    text += Line("Odczyt: %s", DateTimeText(now).c_str());
    text += Line("%s", "Kod\tIlość\tWartość [gr]\tNazwa"_cp);
    for (const auto& [code, sale] : reg.sales)
        text += CodeText(code) + "\t" + QuantityText(sale.quantity) + "\t" + std::to_string(sale.value) + "\t" +
                NameOf(reg, code) + kEol;
    return text;
}

std::string SalesReportText(const SimRegister& reg, std::time_t now)
{
    std::string text = Line("%s", "RAPORT SPRZEDAŻY TOWARÓW"_cp);
    text += Line("Kasa nr %d, %s", reg.Number(), DateTimeText(now).c_str());
    text += kEol;
    if (reg.sales.empty()) {
        text += Line("%s", "Brak sprzedaży"_cp);
        return text;
    }
    text += Line("%-6s  %-19s  %3s  %11s  %12s", "Kod", "Nazwa", "VAT", "Ilość"_cp, "Wartość"_cp);
    std::map<std::string, long long> perRate;
    long long total = 0;
    for (const auto& [code, sale] : reg.sales) {
        const auto good = reg.goods.find(code);
        const std::string rate = good == reg.goods.end() ? "?" : VatLetter(good->second.vat);
        perRate[rate] += sale.value;
        total += sale.value;
        text += Line("%-6s  %-19s  %3s  %11s  %12s", CodeText(code).c_str(), NameOf(reg, code).c_str(), rate.c_str(),
                     QuantityText(sale.quantity).c_str(), MoneyText(sale.value).c_str());
    }
    text += kEol;
    for (const auto& [rate, value] : perRate)
        text += Line("%-21s%12s", ("Sprzedaż w stawce "_cp + rate + ":").c_str(), MoneyText(value).c_str());
    text += Line("%-21s%12s", "Razem:", MoneyText(total).c_str());
    return text;
}

} // namespace winip
