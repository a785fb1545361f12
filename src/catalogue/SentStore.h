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

// What the export keeps of one run for the register: the memory as loaded at the start (when the table exists)
// and the command that records an accepted good.
class SentRecorder
{
public:
    SentRecorder(int registerId, bool fullData);
    // The command recording that the register accepted `recordLine` for `asort`; empty when nothing is recorded
    // (no table, or a price-only call for a code the memory does not know).
    std::string Accepted(const std::string& asort, const std::string& recordLine);
    bool Available() const { return available_; }

private:
    int registerId_;
    bool fullData_;
    bool available_ = false;
    SentMemory memory_;
};
