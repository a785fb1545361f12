#pragma once
// The hand-over of a stored readout file to the trade system Wolnar, through the application's tables ODCZYT
// (the file's lines) and PARAGONY (the sales per goods code), all in one transaction. The table
// PRZESLANE_ODCZYTY keeps one row per file handed over; its key (PLIK, KASA) is inserted first, so a file never
// goes twice, not even from two workstations at once. What the rows mean for the trade system is described in
// docs/przekazanie-do-wolnar.md.
#include "catalogue/GoodsLookup.h"
#include "util/DateTime.h"
#include "util/Decimal.h"

#include <map>
#include <memory>
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
    // The file was handed over before it and a later readout of its period already held its sales: recorded as
    // handed over, nothing added (a plain line, not an error).
    bool alreadyIncluded = false;
    // Refused because the counters were zeroed at the register itself (the way out is in the message).
    bool resetAtRegister = false;
};

struct HandOverOptions {
    // The readout starts a new counting period of its register (after a reset made at the register): it and the
    // readouts stored after it in its period move to the new period, and it then counts whole.
    bool newPeriod = false;
};

// Hands over a stored readout or reset report. Only a file recorded in the ledger of stored readouts
// (exchange/ReadoutLedger.h) with the same size and checksum is accepted; what goes over is, per code, the file's
// total minus the largest total of the code already handed over in its counting period, so that the order of the
// hand-overs does not matter. The register's row of KASY_OKRESY is locked for the whole writing transaction, so
// hand-overs of one register from several workstations run one after the other. A total below what a readout
// stored earlier in the period showed means the counters were zeroed at the register: refused, with the way out.
// The operator is told the outcome on the status line (Komunikat), which also goes to the work history. On any
// failure nothing is written. Never raises for a database or file problem.
HandOverResult SendReadingToTrade(const std::string& path, const HandOverOptions& options = {});

// The readouts of a register already handed over: file name -> time of the hand-over. Empty when the table of
// hand-overs does not exist yet.
std::map<std::string, DateTime> HandedOverReadouts(int registerNo);

// The goods a sales report of `storedPath` names, the same as its hand-over books: for each code the good that the
// memory of sent goods named when the file was stored, else the catalogue's good for the code. A file that is not
// recorded (a replayed response, a copy, a database without the ledger) gets the catalogue's goods of its codes.
std::unique_ptr<IGoodsLookup> StoredFileGoods(const std::string& storedPath);
