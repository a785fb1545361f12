#pragma once
// A readout of sales totals and its report priced against the goods catalogue. The parser and the report builder
// touch neither files nor the database: the catalogue is reached through IGoodsLookup (catalogue/GoodsLookup.h),
// whose database implementation is CatalogueGoodsLookup (catalogue/CatalogueGoodsLookup.h). The window's report and the
// hand-over to the trade system use the same parser and the same lookup, so both name the same good for a code.
#include "catalogue/GoodsLookup.h"
#include "util/Decimal.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A readout file: three header lines, then one line per good: a leading character and the code, tab, the
// quantity, tab, the value in hundredths, and further fields that are not read.
inline constexpr std::size_t ReadoutHeaderLines = 3;

struct ReadoutLine {
    std::string code; // field 1 without its first character
    double quantity = 0;
    double value = 0; // in the currency unit (the file holds hundredths)
};

// One goods line of a readout file; missing fields read as empty code and 0, a number accepts "." or ",".
ReadoutLine ParseReadoutLine(const std::string& line);
// The goods lines of a readout file (the lines after the header), in file order.
std::vector<ReadoutLine> ParseReadout(const std::vector<std::string>& fileLines);

// How many readout lines the report looks up (and hands out) at once.
inline constexpr std::size_t ReportBatchSize = 400;

// The report line of goods line `number` (1 for the fourth line of the file): number (4), code (last 7), quantity
// ("##### ##0.000"), unit (5), value ("##### ##0.00"), two blanks, the catalogue name, or
// " !!! Brak odpowiednika w kartotece asort." when there is no good or its name is empty.
std::string ReportLine(int number, const ReadoutLine& line, const CatalogueGood* good);

// The priced report of a readout file's lines (header included): one line per goods line, handed to `emit` in
// pieces of at most ReportBatchSize lines, in order, so that a long report can be shown as it is built. Nothing is
// emitted for a file of three lines or fewer. Exceptions of the lookup reach the caller.
void BuildSalesReport(const std::vector<std::string>& fileLines, IGoodsLookup& goods,
                      const std::function<void(const std::vector<std::string>&)>& emit);
