#pragma once
// What a register holds, what the catalogue would send it, and the memory of what was sent (table WYSLANE):
// "changed since the last export" and the comparison with the register's goods list. No database access here;
// the callers read the rows and the memory and write what these functions decide. Texts are Windows-1250 bytes.
#include "catalogue/GoodsRecord.h"
#include "db/DataSet.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A register knows a good by the last five digits of its symbol: 123 and 100123 share the code $00123.
int RegisterCodeOf(int64_t symbol);

// One good as a register holds it, or as a record line would store it.
struct RegisterGood {
    int code = 0;
    std::string name;  // Windows-1250, at most 19 characters, trailing blanks removed
    int vat = 0;       // number in the rate list, 1..7 (A..G)
    int unit = 0;      // number in the unit list
    int lock = 0;      // price lock 0 or 1
    int64_t price = 0; // hundredths
    bool operator==(const RegisterGood&) const = default;
};

// The register's view of a goods record line (name in code page 852); false when the line is not a record line.
bool ParseRecordLine(const std::string& line, RegisterGood& good);
// The form the memory keeps: the record line with the name in Windows-1250, padded to 19 characters.
std::string StoredLine(const RegisterGood& good);

// The goods of a register goods list (the response of __TowarMax): one line per good, "$" + five digits, name,
// VAT letter A..G, unit number, price lock "tak"/"nie", price with two decimals; heading lines are passed over.
// `unreadable` counts lines that begin with a register code but cannot be read.
std::vector<RegisterGood> ParseRegisterGoodsList(const std::vector<std::string>& lines, int& unreadable);

// One remembered good of a register: which catalogue good last went to the code, and the stored line.
struct SentEntry {
    std::string asort;
    std::string line; // StoredLine form
};
using SentMemory = std::map<int, SentEntry>; // by register code

// The memory after the register accepted `recordLine` for the good `asort`: a full call (__ZTowar) replaces the
// entry; a price-only call (__ZCTowar) changes the stored price and price lock only, and leaves the memory
// unchanged when nothing is stored for the code. False when there is nothing to store.
bool RememberSent(SentMemory& memory, const std::string& asort, const std::string& recordLine, bool fullData,
                  SentEntry& stored, int& code);

// What the export of one catalogue row would send, or why it cannot be sent.
struct SendableGood {
    std::string asort;
    bool active = true;
    bool sendable = false;
    std::string problem; // why it cannot be sent (Polish), when not sendable
    RegisterGood record; // valid when sendable
};

// The lists the record line depends on.
struct RecordLists {
    std::string rates;      // "VAT"
    std::string units;      // first 32 characters of "ELZB_JM"
    std::string priceField; // the catalogue field sent as price
};

// Every row of `rows` (fields "asort", "nazwa", "stawka_vat", "jm", "blok", the price field; "nieaktywny" when
// present) as the export would send it. Raises FieldError when a field is missing.
std::vector<SendableGood> CatalogueGoods(const DataSet& rows, const RecordLists& lists);

// "Changed since the last export".
struct ChangedGoods {
    std::vector<std::string> selected;   // symbols to send, in row order
    std::vector<std::string> unsendable; // "symbol (reason)"
    std::vector<std::string> collisions; // "$00123: 123, 100123" for codes shared by goods of the rows
    bool noMemory = false;               // nothing remembered for the register: every good counts as changed
};

// Goods of `goods` (active ones) whose line today differs from the remembered one, or that were never sent, or
// whose code the memory gives to another good. Goods that share a code are not selected, except the one the
// memory says the register holds; the others are named in `collisions`.
ChangedGoods FindChangedGoods(const std::vector<SendableGood>& goods, const SentMemory& memory);

// The comparison of a register's goods with what the catalogue would send it.
struct GoodsDifference {
    std::string asort;
    RegisterGood catalogue;
    RegisterGood held;
};
struct RegisterComparison {
    std::vector<std::pair<std::string, RegisterGood>> missing; // the register lacks them (symbol, what to send)
    std::vector<GoodsDifference> differing;
    std::vector<std::pair<RegisterGood, std::string>> extra; // held, with "brak w kartotece" or "nieaktywny ..."
    int agreeing = 0;
    std::vector<std::string> collisions; // "$00123: 123, 100123 (w kasie: name)"
    std::vector<std::string> unsendable; // "symbol (reason)"
    int unreadableLines = 0;
    SentMemory memory; // what the register holds, as the memory should remember it

    // Symbols of the first two groups, ready to be selected for export.
    std::vector<std::string> ToSend() const;
    // The report: a heading, the groups with their counts, one line per good.
    std::vector<std::string> ReportLines(const std::string& title) const;
};

RegisterComparison CompareWithRegister(const std::vector<RegisterGood>& held,
                                       const std::vector<SendableGood>& catalogue, const SentMemory& previous,
                                       int unreadableLines);

// The highest price a record can carry: nine digits of hundredths.
inline constexpr int64_t RecordPriceLimit = 999999999;
