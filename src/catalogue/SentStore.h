#pragma once
// The memory of sent goods in the database (table WYSLANE, one row per register and register code) and the
// selection of a given set of goods for export. All through the database module `dm`.
#include "catalogue/SentGoods.h"

#include <string>
#include <vector>

// The lists the record line depends on, as the export reads them now: "VAT", the first 32 characters of
// "ELZB_JM", and PriceField (or "cena_3" when it is empty).
RecordLists CurrentRecordLists();

// Whether WYSLANE exists; an older database gets it at the next administrator's log-in.
bool SentTableExists();
// "Brak tabeli WYSLANE (pamięć wysłanych towarów) - zaloguj się jako administrator (SYSDBA), aby ją utworzyć."
std::string MissingSentTableText();

// What is remembered for the register (COM_DEF.ID). Raises DbError.
SentMemory LoadSentMemory(int registerId);
// "update or insert" of one remembered good, stamped with the current time.
std::string SentUpsertCommand(int registerId, int code, const SentEntry& entry);
std::string SentDeleteCommand(int registerId, int code);
std::string SentClearCommand(int registerId);
// Replaces everything remembered for the register, in one transaction. False when it failed (logged).
bool ReplaceSentMemory(int registerId, const SentMemory& memory);

// The selection for export becomes exactly these goods (all other marks cleared), in one transaction. False when
// it failed (logged); the selection is then unchanged.
bool SelectOnly(const std::vector<std::string>& symbols);

// Adds to `commands` the updates that set "wybor" to `value` for the goods, a bounded number of symbols each.
void AppendMarkCommands(std::vector<std::string>& commands, const std::vector<std::string>& symbols, int value);

// The whole catalogue table as sending needs it: every good, active or not, with its price lock (0 without a
// BLOK_CEN row). Raises FieldError when the price field is not a field of the table, DbError on a database error.
DataSet ReadWholeCatalogue(const std::string& priceField);

// The goods of the catalogue table, active or not, under every register code that two of them may share (symbol
// and "nieaktywny" only); a code held by one good only may be absent. Raises DbError.
CatalogueCodes ReadCatalogueCodes();

// What the export keeps of one run for the register: the memory as loaded at the start (when the table exists),
// kept up to date with every call, and the commands that change it.
class SentRecorder
{
public:
    explicit SentRecorder(int registerId);
    // The command recording that the register accepted `recordLine` for `asort` in a call of `kind`; empty when
    // nothing is recorded (no table, or a price-only call for a code the memory does not know). The run's memory
    // follows at once.
    std::string Accepted(const std::string& asort, const std::string& recordLine, SendKind kind);
    // Deletes what is remembered for the code, in a transaction of its own. False (logged) when that failed.
    bool Forget(int code);
    bool Available() const { return available_; }
    const SentMemory& Memory() const { return memory_; }

private:
    int registerId_;
    bool available_ = false;
    SentMemory memory_;
};
