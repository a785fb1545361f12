#pragma once
// The sales totals of a register, per goods code, as a readout file or a counter reset's sales report holds them,
// read into exact amounts. These totals are what the ledger of stored readouts keeps and what the hand-over to
// Wolnar counts.
//
// The sales report that __OSprzed returns before a counter reset (the stand-in's layout, docs/symulator-kas.md):
//   four header lines (title; "Kasa nr N, date"; an empty line; the column names), or three and "Brak sprzedaży";
//   goods lines: "$" and five digits, the name (which may hold blanks), the VAT letter, the quantity and the value
//   in złoty; the last three fields are read from the right, since names hold blanks and numbers may overflow their
//   columns; then the totals per VAT rate and "Razem:", which must equal the sum of the goods lines.
// A real register's layout replaces ParseResetReport alone.
#include <cstdint>
#include <string>
#include <vector>

// Amounts in ten-thousandths (4 decimals), as NUMERIC(…,4) columns hold them.
inline constexpr int64_t TotalsScale = 10000;

struct CodeTotals {
    std::string code;         // the register's code without its leading character ("00123")
    std::string registerName; // the name the register gave, for a good the catalogue lacks
    int64_t quantity = 0;
    int64_t value = 0; // złoty
};

// The goods lines of a readout file (three header lines, then "$code<TAB>quantity<TAB>value in grosze<TAB>name"),
// lines of one code added up, in the order codes first appear. False with the reason when an amount is out of range.
bool ReadoutFileTotals(const std::vector<std::string>& lines, std::vector<CodeTotals>& totals, std::string& problem);

// The goods lines of a counter reset's sales report. False with the reason (line number and what is wrong) when the
// report does not have the layout above or its lines do not add up to "Razem:".
bool ParseResetReport(const std::vector<std::string>& lines, std::vector<CodeTotals>& totals, std::string& problem);

// "12.3400" for 123400.
std::string TotalsAmountText(int64_t tenThousandths);
