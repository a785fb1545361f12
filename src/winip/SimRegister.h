#pragma once
// A simulated ELZAB register: its goods, its sales totals, its flags and its planned faults, kept in plain text
// files in one folder per register ("kasa" + two-digit number) under the simulator folder, so that the state
// survives between calls and between processes. The file layouts are described in docs/symulator-kas.md.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "winip/ResultCodes.h"

namespace winip
{

inline constexpr std::size_t kGoodsCapacity = 4095;
inline constexpr int kNameLength = 19;

struct Good {
    int code = 0;        // 1..99999
    std::string name;    // code page 852, at most 19 characters, as received
    int vat = 0;         // 1..7 (rates A..G)
    int unit = 0;        // 0..8
    int lock = 0;        // price lock 0 or 1
    long long price = 0; // hundredths
    bool operator==(const Good&) const = default;
};

struct Sale {
    long long quantity = 0; // thousandths
    long long value = 0;    // hundredths
};
// The largest totals of one good that the sales file can hold and be read back: twelve whole digits of quantity
// with three decimals, fifteen digits of hundredths. A sale that would go beyond them is refused.
inline constexpr long long kMaxTotalQuantity = 999999999999999; // thousandths
inline constexpr long long kMaxTotalValue = 999999999999999;    // hundredths

// A planned fault: `function` (an operation name such as "ZTowar", or "*" for all) returns `code`.
struct Fault {
    std::string function;
    int code = 0;
    bool always = false;
};

// The eight operation names, as in the request and response file names.
inline constexpr const char* kOperationNames[] = {"OTSpMax", "OSprzed", "KSprOp", "TowarMax",
                                                  "ZCTowar", "ZTowar",  "KTowar", "KTowMax"};
bool IsOperationName(const std::string& name);

// Goods record line of the export: "$" + 5 digits, name, VAT number, "1", "3", unit, lock, thirteen zeros, price,
// "0", separated by tabs. Parsing validates every field and returns the code of the first bad one.
Result ParseGoodsCode(const std::string& field, int& code);
Result ParseGoodsRecord(const std::string& line, Good& good);
std::string FormatGoodsRecord(const Good& good);

std::string CodeText(int code);                  // "$00123"
std::string QuantityText(long long thousandths); // "2.500"
std::string MoneyText(long long hundredths);     // "6.25"
// Quantity with "." or "," and up to three decimals, more than 0 and at most 99999.999.
bool ParseQuantity(const std::string& text, long long& thousandths);
// A register name shown in a Windows-1250 text: the Polish letters converted from code page 852, trailing blanks
// removed.
std::string NameForText(const std::string& name);
// VAT rate letter A..G of a VAT number, "?" outside 1..7.
std::string VatLetter(int vat);

// The simulator folder: WINIP_SYM_DIR when set, otherwise "symulator" in `besideDir`.
std::string SymulatorDir(const std::string& besideDir);

class SimRegister
{
public:
    SimRegister(const std::string& symulatorDir, int number);
    ~SimRegister();
    SimRegister(const SimRegister&) = delete;
    SimRegister& operator=(const SimRegister&) = delete;

    // Creates the register's folder and takes its lock, held until destruction, so that calls from several
    // processes take turns. kStateWrite when the folder or the lock cannot be made.
    Result Lock();
    // Reads the state files: kStateDamaged when one cannot be read or is malformed.
    Result Load();
    // Lock, then Load.
    Result Open();

    Result SaveGoods();
    Result SaveSales() const;
    Result SaveFlags() const;
    Result SaveFaults() const;
    // Hands `goods` over to this process's image of the goods file when they are exactly what the file holds (loaded
    // or saved in this call), so that the next Load needs not parse the file again; `goods` is empty afterwards.
    // An export makes one call per good, and parsing and formatting up to 4,095 records on every call made it
    // cost n^2 records. The next Load still reads the file and uses the image only when the text is the same, so
    // a change by winip-sim, another process or a test is always seen.
    void KeepGoodsImage();
    // Takes the lock and removes every state file (damaged ones too): the register starts empty, without faults.
    Result Reset();

    // The code planned for `function`, if any; a one-time fault is removed from `faults` (the caller saves).
    std::optional<int> TakeFault(const std::string& function);
    bool TotalsZero() const { return sales.empty(); }

    const std::string& Dir() const { return dir_; }
    int Number() const { return number_; }

    std::map<int, Good> goods;
    std::map<int, Sale> sales; // only goods sold since the last reset
    bool absent = false;       // the register does not answer
    bool delay = false;        // transmission takes time in proportion to the bytes and the speed
    bool afterReport = false;  // the last call on this register was a successful OSprzed
    std::vector<Fault> faults;

private:
    Result LoadGoods();
    Result LoadSales();
    Result LoadFlags();
    Result LoadFaults();

    std::string dir_;
    int number_;
    int lockFd_ = -1;
    bool goodsAsImage_ = false; // `goods` is what the goods file holds (loaded or saved in this call)
};

} // namespace winip
