#pragma once
// The ledger of stored readouts: the database's record of every readout file and every counter reset's sales
// report that the program stored, in the order the database gave them (a generator's number), never the order of
// file times or workstation clocks. The hand-over to Wolnar (exchange/TradeHandOver.h) accepts only files that have
// their row, with the same size and checksum, and counts from the totals kept here.
//
// Tables (application catalogue, db/USql.cpp):
//  ODCZYTY_KAS       one row per stored file: NR (generator G_NR_ODCZYTY_KAS), KASA (register number), ID_KASY
//                    (COM_DEF.ID), PLIK, SCIEZKA (path under DataDir), RODZAJ ('O' readout, 'Z' reset report),
//                    KONIEC_OKRESU (1 once the reset after the report succeeded), OKRES (counting period), DATASPRZ,
//                    ZAPISANO (the server's CURRENT_TIMESTAMP), ROZMIAR, SUMA_KONTROLNA;
//  ODCZYTY_KAS_SUMY  per row and code: the totals (ILOSC, WARTOSC), the register's name for the code, and the good
//                    (ASORT) that the memory of sent goods named for the register and code when the file was stored;
//  KASY_OKRESY       one row per register, always there once the register stored anything: its current period and
//                    whether a reset closed it. Every writer locks this row first, so the work of one register is
//                    done one transaction at a time, from any number of workstations;
//  PRZEKAZANE_SUMY   per register, period and code: the largest totals handed over so far.
// A counting period runs from one counter reset of a register to the next: a reset made by the program closes the
// period (its report is the period's last row), and the next stored file starts a new one.
#include "exchange/ResetReport.h"
#include "util/DateTime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class LedgerKind { Readout, ResetReport };

// Size and checksum of a file's content (64-bit FNV-1a as 16 hex digits).
struct Fingerprint {
    int64_t size = 0;
    std::string checksum;
    bool operator==(const Fingerprint&) const = default;
};
Fingerprint FingerprintOf(const std::string& content);

// The whole content of a regular file. A FIFO, a device or a folder is refused before it is opened (a FIFO would
// block the reader). False with the reason in Polish.
bool ReadRegularFile(const std::string& path, std::string& content, std::string& problem);
// The lines of a file's content, CR LF or LF ended, without their ends.
std::vector<std::string> ContentLines(const std::string& content);

// The ledger's tables and generator that the database lacks ("tabela X", "generator Y").
std::vector<std::string> MissingLedgerObjects();
// "Zaloguj się jako administrator..." sentence for a list of missing objects.
std::string MissingObjectsText(const std::vector<std::string>& missing);

struct LedgerEntry {
    int64_t number = 0; // NR
    int registerNo = 0;
    int registerId = 0;
    std::string fileName;
    std::string path; // absolute
    LedgerKind kind = LedgerKind::Readout;
    bool periodEnd = false;
    int period = 0;
    Date salesDate;
    DateTime storedAt; // server time
    Fingerprint fingerprint;
    std::optional<DateTime> handedOverAt; // from PRZESLANE_ODCZYTY
};

// Records a file the program has just stored, with its totals, in the register's current period (a new one when
// the last reset closed it). The good of each code is the one WYSLANE holds for (registerId, code). False with the
// reason; conflicts with another workstation are retried.
bool RecordStoredFile(int registerNo, int registerId, const std::string& path, const std::string& content,
                      LedgerKind kind, const Date& salesDate, const std::vector<CodeTotals>& totals,
                      std::string& problem);
// The reset after the report `fileName` of the register succeeded: its row ends the period.
bool MarkPeriodEnd(int registerNo, const std::string& fileName, std::string& problem);

// The highest sequence SSS of the names "prefix" + SSS... (app/ReadoutFiles.h) that the database has recorded for
// the register: stored files (ODCZYTY_KAS) and hand-overs (PRZESLANE_ODCZYTY), also of files deleted or moved
// away since. 0 when there are none, or when the tables are missing or cannot be read.
int HighestRecordedSequence(int registerNo, const std::string& prefix);

// The rows of a file name (every register); DbError to the caller.
std::vector<LedgerEntry> FindLedgerEntries(const std::string& fileName);
// The recorded rows not yet handed over, of the registers given (all when empty), in register, period and number
// order.
std::vector<LedgerEntry> PendingEntries(const std::vector<int>& registerNos);
// The rows of one register (readouts and reset reports), in number order.
std::vector<LedgerEntry> RegisterEntries(int registerNo);

// Makes sure the register's row of KASY_OKRESY exists (a short transaction of its own).
void EnsureRegisterRow(int registerNo);

// Runs `work` in a transaction of its own, again (up to a few times) when it meets a row another transaction
// holds. The last DbError goes to the caller.
void WithRetries(const std::function<void()>& work);

// True when the ledger's tables are missing (false also when that cannot be told).
bool LedgerMissing();
// Records the files already stored under DataDir that have no row yet, in number order per register and day, with
// their periods taken from the stored reset reports; then seeds the largest totals handed over from what
// PRZESLANE_ODCZYTY shows. Run by the administrator's structure test after it created the tables. Returns the
// number of files recorded. Run only when the ledger has just been made: later, a file without its row is a copy or
// a made-up file, which must stay refused.
int RecordExistingFiles();
