#pragma once
// Response texts of the simulated register, in Windows-1250 with CR LF line ends (the application shows them or
// reads them as such). Layouts are described in docs/symulator-kas.md.
#include <ctime>
#include <string>

#include "winip/SimRegister.h"

namespace winip
{

// __TowarMax: the goods held, one line per good in code order, under a short heading.
std::string GoodsListText(const SimRegister& reg);

// __OTSpMax: three header lines, then per good sold "$" + code, quantity, value in hundredths, name (tabs).
std::string SalesTotalsText(const SimRegister& reg, std::time_t now);

// __OSprzed: the sales report printed before the totals are zeroed: goods, totals per VAT rate, grand total.
std::string SalesReportText(const SimRegister& reg, std::time_t now);

} // namespace winip
