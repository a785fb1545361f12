#pragma once
// The hand-over of a stored readout file to the trade system Wolnar, through the application's tables ODCZYT
// (the file's lines) and PARAGONY (the sales per goods code), all in one transaction. The table
// PRZESLANE_ODCZYTY keeps one row per file handed over; its key (PLIK, KASA) is inserted first, so a file never
// goes twice, not even from two workstations at once. What the rows mean for the trade system is described in
// docs/przekazanie-do-wolnar.md.
#include "util/DateTime.h"
#include "util/Decimal.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// What a readout file's name tells: register number (3 digits), sales date (8 digits), sequence (3 digits),
// "NNN_yyyymmdd_SSS.txt".
struct ReadoutName {
    int registerNo = 0;
    Date salesDate;
    int sequence = 0;
    // The 12-character key of the readout in PARAGONY.ODCZYT and PRZESLANE_ODCZYTY.ODCZYT: register number
    // (3 digits), sales date as yymmdd, sequence (3 digits). "001_20261210_002.txt" gives "001261210002".
    std::string Key() const;
};
// Nothing when the name is not a readout file's name.
std::optional<ReadoutName> ParseReadoutName(const std::string& fileName);

struct HandOverResult {
    bool ok = false;
    std::string message; // what the operator was shown, Windows-1250
    int lines = 0;       // rows written to PARAGONY
    Decimal total;       // their total value, 4 decimals
};

// Hands the readout file over. The operator is told the outcome on the status line (Komunikat: green with the
// number of sales lines and their total value, or red with the reason), which also goes to the work history. On
// any failure nothing is written. Never raises for a database or file problem.
HandOverResult SendReadingToTrade(const std::string& path);

// The readouts of a register already handed over: file name -> time of the hand-over. Empty when the table of
// hand-overs does not exist yet.
std::map<std::string, DateTime> HandedOverReadouts(int registerNo);

// The times at which the program reset the counters of a register: the stored sales reports of the resets under
// the register's folder (`registerDir`, "Dane/KasaNN/"), by the time each was written. Used to tell whether the
// counters were reset between two readouts. Reports of resets that did not take place (NotResetReportName) and
// hidden files (a temporary file left by an interrupted write) do not count.
std::vector<DateTime> CounterResetTimes(const std::string& registerDir);

// The name a stored sales report gets when the counter reset it was stored for fails: "_niewyzerowane" before the
// extension, in the same folder ("Zerowania/001_20261210_002.txt" -> "Zerowania/001_20261210_002_niewyzerowane.txt").
std::string NotResetReportName(const std::string& reportPath);
