#pragma once
// What a register holds, what the catalogue would send it, and the memory of what was sent (table WYSLANE):
// "changed since the last export" and the comparison with the register's goods list. No database access here;
// the callers read the rows and the memory and write what these functions decide. Texts are Windows-1250 bytes.
#include "catalogue/GoodsRecord.h"
#include "db/DataSet.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

// The register's view of a goods record line (name in code page 852); false when the line is not a record line.
bool ParseRecordLine(const std::string& line, RegisterGood& good);
// The form the memory keeps: the record line with the name in Windows-1250, padded to 19 characters.
inline std::string StoredLine(const RegisterGood& good)
{
    return RecordLayout(good);
}

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

// What a good needs sent: its price and price lock only (__ZCTowar), or all its data (__ZTowar).
enum class SendKind { PriceOnly, Full };
struct GoodToSend {
    std::string symbol;
    SendKind kind = SendKind::Full;
    bool operator==(const GoodToSend&) const = default;
};

// What the export of one catalogue row would send, or why it cannot be sent.
struct SendableGood {
    std::string asort;
    int code = -1; // the register code, -1 when the symbol is not a whole number
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

// Goods of the whole catalogue table with a whole symbol, active or not, sendable or not, by register code: who
// else may stand under a code. Read from the database (ReadCatalogueCodes) it holds every code that two goods may
// share; a code it does not know has one good at most.
class CatalogueCodes
{
public:
    struct Owner {
        std::string asort;
        bool active = true;
    };
    static CatalogueCodes Of(const std::vector<SendableGood>& goods);
    void Add(int code, const std::string& asort, bool active);
    // The goods under the code (none: null).
    const std::vector<Owner>* Owners(int code) const;
    bool Shared(int code) const;
    // "$00123: 123, 100123"
    std::string SharingLine(int code) const;

private:
    std::unordered_map<int, std::vector<Owner>> byCode_;
};

// Whether a call for the good `asort` under `code` may be made now, given what the memory says the register holds
// and who else in the catalogue shares the code:
//  - a price-only call goes only when the memory records this good under the code, or has no row for the code
//    and no other good of the catalogue shares it;
//  - a full call is refused when the memory records the code under another good still active in the catalogue;
//    replacing a withdrawn good (inactive, or gone from the catalogue) is allowed, and `previousOwner` names it.
struct CallCheck {
    std::string refusal;        // empty: the call may go; otherwise why not (Polish), naming both goods
    bool replacesOther = false; // the memory names another good for the code, which this full call replaces
    std::string previousOwner;  // that good's symbol (may be empty when the memory did not know it)
};
CallCheck CheckCall(const std::string& asort, int code, SendKind kind, const SentMemory& memory,
                    const CatalogueCodes& codes);

// For a price-only call the memory says went to the good: what else the register holds differently from the
// catalogue ("nazwa", "stawka VAT", "jednostka" joined by "/"); empty when nothing else differs or unknown.
std::string HeldDataDiffering(const RegisterGood& catalogue, const SentMemory& memory, const std::string& asort);

// "Changed since the last export".
struct ChangedGoods {
    std::vector<std::string> selected;   // symbols to send, in row order
    std::vector<SendKind> kinds;         // what each of them needs: price-only when only price or lock changed
    std::vector<std::string> unsendable; // "symbol (reason)"
    std::vector<std::string> collisions; // "$00123: 123, 100123" for codes shared by goods of the rows
    bool noMemory = false;               // nothing remembered for the register: every good counts as changed
};

// Goods of `goods` (active ones) whose line today differs from the remembered one, or that were never sent, or
// whose code the memory gives to another good. Goods whose code another good of the catalogue (`codes`, the whole
// table) shares are not selected, except the one the memory says the register holds; the codes are named in
// `collisions`. `codes` empty: the sharing is judged from `goods` alone.
ChangedGoods FindChangedGoods(const std::vector<SendableGood>& goods, const SentMemory& memory,
                              const CatalogueCodes& codes = {});
std::vector<GoodToSend> ToSendList(const ChangedGoods& changed);

// The comparison of a register's goods with what the catalogue would send it.
struct GoodsDifference {
    std::string asort;
    std::string sharedWith; // the other goods of the catalogue under the same code
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
