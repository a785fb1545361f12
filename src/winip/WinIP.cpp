// libWinIP.so: the stand-in for the register maker's communication library. It exports the library's eight
// functions under their names and answers from simulated registers (SimRegister) instead of a serial port.
//
// Every call goes the same way: check the path arguments, read "KONFIG.txt" from the current directory, read
// the request file and its header, open the register's state, then play the conversation: an absent register
// times out, a planned fault returns its code, otherwise the operation runs, the response file is written and
// the changed state is stored. Nothing changes when any step fails.
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "winip/ResultCodes.h"
#include "winip/SimConfig.h"
#include "winip/SimFiles.h"
#include "winip/SimRegister.h"
#include "winip/SimReports.h"

#define WINIP_EXPORT __attribute__((visibility("default")))

// The library's names begin with two underscores, which C++ reserves: the symbols get them from assembler labels.
extern "C" {
WINIP_EXPORT unsigned char WinIP_OTSpMax(const char* request, const char* response) __asm__("__OTSpMax");
WINIP_EXPORT unsigned char WinIP_OSprzed(const char* request, const char* response) __asm__("__OSprzed");
WINIP_EXPORT unsigned char WinIP_KSprOp(const char* request) __asm__("__KSprOp");
WINIP_EXPORT unsigned char WinIP_TowarMax(const char* request, const char* response) __asm__("__TowarMax");
WINIP_EXPORT unsigned char WinIP_ZCTowar(const char* request) __asm__("__ZCTowar");
WINIP_EXPORT unsigned char WinIP_ZTowar(const char* request) __asm__("__ZTowar");
WINIP_EXPORT unsigned char WinIP_KTowar(const char* request) __asm__("__KTowar");
WINIP_EXPORT unsigned char WinIP_KTowMax(const char* request) __asm__("__KTowMax");
}

namespace winip
{

namespace
{

enum class Op { OTSpMax, OSprzed, KSprOp, TowarMax, ZCTowar, ZTowar, KTowar, KTowMax };

const char* OperationName(Op op)
{
    return kOperationNames[static_cast<int>(op)];
}

bool HasResponse(Op op)
{
    return op == Op::OTSpMax || op == Op::OSprzed || op == Op::TowarMax;
}

// Paths arrive in 256-byte buffers: nothing beyond them is ever read.
constexpr std::size_t kPathBuffer = 256;
// An export of a full register (4095 goods of about 70 bytes) is some 300 kB.
constexpr std::size_t kRequestLimit = 8 * 1024 * 1024;
constexpr std::size_t kLineLimit = 4096;
// 8 data bits, even parity, one start and one stop bit.
constexpr double kBitsPerByte = 11.0;
constexpr double kLongestWait = 3600.0;

struct Request {
    std::string number;               // digits after "#" in the first header line
    std::vector<std::string> records; // non-empty lines after the header
    std::size_t bytes = 0;
};

struct Outcome {
    std::string response;
    bool goodsChanged = false;
    bool salesChanged = false;
};

Result TakePath(const char* argument, std::string& path)
{
    if (argument == nullptr)
        return kPathInvalid;
    const std::size_t length = ::strnlen(argument, kPathBuffer);
    if (length == 0 || length == kPathBuffer)
        return kPathInvalid;
    path.assign(argument, length);
    return kOk;
}

// The folder of this library file: the simulator folder lies beside it.
std::string LibraryDir()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&LibraryDir), &info) == 0 || info.dli_fname == nullptr)
        return ".";
    const std::string file = info.dli_fname;
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

// WINIP_TIME_SCALE shortens (or stretches) every simulated wait; 1 when unset or not a number >= 0.
double TimeScale()
{
    const char* text = std::getenv("WINIP_TIME_SCALE");
    if (text == nullptr || *text == '\0')
        return 1.0;
    double scale = 1.0;
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, scale);
    if (ec != std::errc() || ptr != end || !(scale >= 0.0))
        return 1.0;
    return scale;
}

void Wait(double seconds)
{
    seconds *= TimeScale();
    if (!(seconds > 0.0))
        return;
    if (seconds > kLongestWait)
        seconds = kLongestWait;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

Result ReadRequest(const std::string& path, Request& request)
{
    std::string content;
    switch (ReadFileLimited(path, kRequestLimit, content)) {
    case ReadStatus::CannotOpen:
        return kRequestOpen;
    case ReadStatus::TooLarge:
        return kRequestDamaged;
    case ReadStatus::Ok:
        break;
    }
    if (content.find('\0') != std::string::npos)
        return kRequestDamaged;
    const std::vector<std::string> lines = SplitLines(content);
    for (const std::string& line : lines)
        if (line.size() > kLineLimit)
            return kRequestDamaged;
    if (lines.size() < 3 || lines[0].size() < 2 || lines[0][0] != '#' || !AllDigits(lines[0].substr(1)) ||
        lines[1] != "#" || lines[2] != "#")
        return kRequestHeader;
    request.number = lines[0].substr(1);
    for (std::size_t i = 3; i < lines.size(); ++i)
        if (!lines[i].empty())
            request.records.push_back(lines[i]);
    request.bytes = content.size();
    return kOk;
}

// Whether the header's register number ("007" and "7" alike) is the configured one.
bool SameRegister(const std::string& digits, int number)
{
    const std::size_t first = digits.find_first_not_of('0');
    const std::string significant = first == std::string::npos ? "0" : digits.substr(first);
    return significant == std::to_string(number);
}

// Parses every goods record of the request and applies it to the register's goods; a refused record undoes the
// records applied before it, so a refused request changes nothing.
template <typename Apply>
Result ApplyGoodsRecords(SimRegister& reg, const Request& request, Outcome& outcome, Apply apply)
{
    if (request.records.empty())
        return kNoData;
    std::vector<std::pair<int, std::optional<Good>>> before; // each applied code with what it held
    auto undo = [&](Result refusal) {
        for (auto it = before.rbegin(); it != before.rend(); ++it) {
            if (it->second)
                reg.goods[it->first] = *it->second;
            else
                reg.goods.erase(it->first);
        }
        return refusal;
    };
    for (const std::string& record : request.records) {
        Good good;
        if (const Result r = ParseGoodsRecord(record, good); r != kOk)
            return undo(r);
        const auto held = reg.goods.find(good.code);
        before.emplace_back(good.code, held == reg.goods.end() ? std::nullopt : std::optional<Good>(held->second));
        if (const Result r = apply(reg.goods, good); r != kOk)
            return undo(r);
    }
    outcome.goodsChanged = true;
    return kOk;
}

Result StoreGoods(SimRegister& reg, const Request& request, Outcome& outcome)
{
    return ApplyGoodsRecords(reg, request, outcome, [](std::map<int, Good>& goods, const Good& good) {
        goods[good.code] = good;
        return goods.size() > kGoodsCapacity ? kGoodsFull : kOk;
    });
}

// Changes only the price and the price lock of goods the register already holds.
Result ChangePrices(SimRegister& reg, const Request& request, Outcome& outcome)
{
    return ApplyGoodsRecords(reg, request, outcome, [](std::map<int, Good>& goods, const Good& good) {
        const auto held = goods.find(good.code);
        if (held == goods.end())
            return kUnknownGood;
        held->second.price = good.price;
        held->second.lock = good.lock;
        return kOk;
    });
}

Result DeleteGoods(SimRegister& reg, const Request& request, Outcome& outcome)
{
    if (request.records.empty())
        return kNoData;
    if (!reg.TotalsZero())
        return kTotalsNotZero;
    std::set<int> codes;
    for (const std::string& record : request.records) {
        int code = 0;
        if (const Result r = ParseGoodsCode(SplitTabs(record).front(), code); r != kOk)
            return r;
        if (reg.goods.count(code) == 0)
            return kUnknownGood;
        codes.insert(code);
    }
    for (int code : codes)
        reg.goods.erase(code);
    outcome.goodsChanged = true;
    return kOk;
}

Result Execute(Op op, SimRegister& reg, const Request& request, bool afterReport, Outcome& outcome)
{
    switch (op) {
    case Op::OTSpMax:
        outcome.response = SalesTotalsText(reg, std::time(nullptr));
        return kOk;
    case Op::OSprzed:
        outcome.response = SalesReportText(reg, std::time(nullptr));
        return kOk;
    case Op::KSprOp:
        // The totals are zeroed only right after their report, so that no sale is lost unreported.
        if (!afterReport)
            return kResetWithoutReport;
        reg.sales.clear();
        outcome.salesChanged = true;
        return kOk;
    case Op::TowarMax:
        outcome.response = GoodsListText(reg);
        return kOk;
    case Op::ZCTowar:
        return ChangePrices(reg, request, outcome);
    case Op::ZTowar:
        return StoreGoods(reg, request, outcome);
    case Op::KTowar:
        return DeleteGoods(reg, request, outcome);
    case Op::KTowMax:
        // A register keeps its goods while it holds sales of them.
        if (!reg.TotalsZero())
            return kTotalsNotZero;
        reg.goods.clear();
        outcome.goodsChanged = true;
        return kOk;
    }
    return kNotAvailable;
}

Result RunOperation(Op op, const char* requestArg, const char* responseArg)
{
    std::string requestPath;
    std::string responsePath;
    if (const Result r = TakePath(requestArg, requestPath); r != kOk)
        return r;
    if (HasResponse(op))
        if (const Result r = TakePath(responseArg, responsePath); r != kOk)
            return r;

    RegisterConfig config;
    if (const Result r = ReadRegisterConfig(".", config); r != kOk)
        return r;
    Request request;
    if (const Result r = ReadRequest(requestPath, request); r != kOk)
        return r;
    if (!SameRegister(request.number, config.number))
        return kOtherRegister;

    SimRegister reg(SymulatorDir(LibraryDir()), config.number);
    if (const Result r = reg.Open(); r != kOk)
        return r;

    // Any conversation with the register ends the "just reported" state; a successful OSprzed sets it again.
    const bool afterReport = reg.afterReport;
    if (afterReport) {
        reg.afterReport = false;
        if (const Result r = reg.SaveFlags(); r != kOk)
            return r;
    }

    if (reg.absent) {
        Wait(config.timeoutSeconds);
        return kSendTimeout;
    }
    if (const std::optional<int> fault = reg.TakeFault(OperationName(op))) {
        if (const Result r = reg.SaveFaults(); r != kOk)
            return r;
        if (*fault == kSendTimeout || *fault == kReceiveTimeout)
            Wait(config.timeoutSeconds);
        return static_cast<Result>(*fault);
    }

    Outcome outcome;
    const Result result = Execute(op, reg, request, afterReport, outcome);
    if (reg.delay)
        Wait(static_cast<double>(request.bytes + outcome.response.size()) * kBitsPerByte / config.speed);
    if (result != kOk)
        return result;

    if (HasResponse(op)) {
        switch (WriteWholeFileReplacing(responsePath, outcome.response)) {
        case WriteStatus::CannotCreate:
            return kResponseCreate;
        case WriteStatus::WriteFailed:
            return kResponseWrite;
        case WriteStatus::Ok:
            break;
        }
    }
    if (outcome.goodsChanged)
        if (const Result r = reg.SaveGoods(); r != kOk)
            return r;
    if (outcome.salesChanged)
        if (const Result r = reg.SaveSales(); r != kOk)
            return r;
    if (op == Op::OSprzed) {
        reg.afterReport = true;
        if (const Result r = reg.SaveFlags(); r != kOk)
            return r;
    }
    reg.KeepGoodsImage(); // the goods are what the file holds: loaded, or saved above
    return kOk;
}

// No exception may leave the library: the caller knows only result bytes.
unsigned char Guarded(Op op, const char* request, const char* response) noexcept
{
    try {
        return RunOperation(op, request, response);
    } catch (...) {
        return kStateWrite;
    }
}

} // namespace

} // namespace winip

using winip::Op;

unsigned char WinIP_OTSpMax(const char* request, const char* response)
{
    return winip::Guarded(Op::OTSpMax, request, response);
}

unsigned char WinIP_OSprzed(const char* request, const char* response)
{
    return winip::Guarded(Op::OSprzed, request, response);
}

unsigned char WinIP_KSprOp(const char* request)
{
    return winip::Guarded(Op::KSprOp, request, nullptr);
}

unsigned char WinIP_TowarMax(const char* request, const char* response)
{
    return winip::Guarded(Op::TowarMax, request, response);
}

unsigned char WinIP_ZCTowar(const char* request)
{
    return winip::Guarded(Op::ZCTowar, request, nullptr);
}

unsigned char WinIP_ZTowar(const char* request)
{
    return winip::Guarded(Op::ZTowar, request, nullptr);
}

unsigned char WinIP_KTowar(const char* request)
{
    return winip::Guarded(Op::KTowar, request, nullptr);
}

unsigned char WinIP_KTowMax(const char* request)
{
    return winip::Guarded(Op::KTowMax, request, nullptr);
}
