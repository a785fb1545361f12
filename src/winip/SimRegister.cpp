#include "winip/SimRegister.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

#include "winip/SimFiles.h"

namespace winip
{

namespace
{

constexpr const char* kGoodsFile = "towary.txt";
constexpr const char* kSalesFile = "sprzedaz.txt";
constexpr const char* kFlagsFile = "stan.txt";
constexpr const char* kFaultsFile = "awarie.txt";
constexpr const char* kLockFile = "blokada";

// State files stay far below this; a larger file is not one of ours.
constexpr std::size_t kStateLimit = 4 * 1024 * 1024;

constexpr long long kMaxQuantity = 99999999; // 99999.999 in thousandths

// The Polish letters Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż in code page 852 and in Windows-1250.
constexpr unsigned char kCp852Letters[18] = {0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0x8D, 0xBD,
                                             0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xAB, 0xBE};
constexpr unsigned char kCp1250Letters[18] = {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
                                              0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};

bool DigitsValue(const std::string& text, std::size_t maxDigits, long long& value)
{
    if (!AllDigits(text) || text.size() > maxDigits)
        return false;
    value = std::stoll(text);
    return true;
}

// The register folder for `number`: "kasa01" ... "kasa99".
std::string RegisterFolder(const std::string& symulatorDir, int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "kasa%02d", number);
    return symulatorDir + "/" + name;
}

// The whole text of a state file; empty for a register that never had this file.
Result ReadStateText(const std::string& path, std::string& content)
{
    content.clear();
    if (::access(path.c_str(), F_OK) != 0)
        return kOk;
    if (ReadFileLimited(path, kStateLimit, content) != ReadStatus::Ok || content.find('\0') != std::string::npos)
        return kStateDamaged;
    return kOk;
}

std::vector<std::string> StateLines(const std::string& content)
{
    std::vector<std::string> lines;
    for (std::string& line : SplitLines(content))
        if (!line.empty())
            lines.push_back(std::move(line));
    return lines;
}

Result ReadState(const std::string& path, std::vector<std::string>& lines)
{
    std::string content;
    lines.clear();
    if (const Result r = ReadStateText(path, content); r != kOk)
        return r;
    lines = StateLines(content);
    return kOk;
}

Result WriteState(const std::string& path, const std::string& content)
{
    return WriteFileAtomic(path, content) ? kOk : kStateWrite;
}

// A goods file as this process last read or wrote it: its text and, while no call has them, its goods; and the
// record line of every good as last formatted (a line depends on its good only, so these stay right whatever
// happens to the file).
struct GoodsImage {
    std::string content;
    bool holdsGoods = false; // `goods` is what `content` holds
    std::map<int, Good> goods;
    std::map<int, std::pair<Good, std::string>> lines;
};

// One image per goods file, behind a mutex: calls on different registers may come from different threads.
struct GoodsImages {
    std::mutex mutex;
    std::map<std::string, GoodsImage> byPath;
};

GoodsImages& Images()
{
    static GoodsImages images;
    return images;
}

} // namespace

bool IsOperationName(const std::string& name)
{
    return std::any_of(std::begin(kOperationNames), std::end(kOperationNames),
                       [&](const char* op) { return name == op; });
}

Result ParseGoodsCode(const std::string& field, int& code)
{
    long long value = 0;
    if (field.size() != 6 || field[0] != '$' || !DigitsValue(field.substr(1), 5, value) || value == 0)
        return kBadGoodsCode;
    code = static_cast<int>(value);
    return kOk;
}

Result ParseGoodsRecord(const std::string& line, Good& good)
{
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() != 10)
        return kBadRecordLayout;
    Good g;
    if (ParseGoodsCode(f[0], g.code) != kOk)
        return kBadGoodsCode;

    const std::string& name = f[1];
    const bool hasControl = std::any_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
    if (name.empty() || name.size() > static_cast<std::size_t>(kNameLength) || hasControl ||
        name.find_first_not_of(' ') == std::string::npos)
        return kBadGoodsName;
    g.name = name;

    long long value = 0;
    if (!DigitsValue(f[2], 2, value) || value < 1 || value > 7)
        return kBadVat;
    g.vat = static_cast<int>(value);
    if (f[3] != "1" || f[4] != "3")
        return kBadRecordLayout;
    if (!DigitsValue(f[5], 2, value) || value > 8)
        return kBadUnit;
    g.unit = static_cast<int>(value);
    if (f[6] != "0" && f[6] != "1")
        return kBadLock;
    g.lock = f[6] == "1" ? 1 : 0;
    if (f[7] != "0000000000000")
        return kBadRecordLayout;
    if (!DigitsValue(f[8], 9, g.price))
        return kBadPrice;
    if (f[9] != "0")
        return kBadRecordLayout;
    good = std::move(g);
    return kOk;
}

std::string FormatGoodsRecord(const Good& good)
{
    return CodeText(good.code) + "\t" + good.name + "\t" + std::to_string(good.vat) + "\t1\t3\t" +
           std::to_string(good.unit) + "\t" + std::to_string(good.lock) + "\t0000000000000\t" +
           std::to_string(good.price) + "\t0";
}

std::string CodeText(int code)
{
    char text[16];
    std::snprintf(text, sizeof text, "$%05d", code);
    return text;
}

namespace
{

// A whole number of the smallest units as text with `decimals` decimals: 2500 with 3 gives "2.500".
std::string FixedPointText(long long units, long long scale, int decimals)
{
    char text[32];
    const char* sign = units < 0 ? "-" : "";
    const long long a = units < 0 ? -units : units;
    std::snprintf(text, sizeof text, "%s%lld.%0*lld", sign, a / scale, decimals, a % scale);
    return text;
}

} // namespace

std::string QuantityText(long long thousandths)
{
    return FixedPointText(thousandths, 1000, 3);
}

std::string MoneyText(long long hundredths)
{
    return FixedPointText(hundredths, 100, 2);
}

bool ParseQuantity(const std::string& text, long long& thousandths)
{
    const std::size_t point = text.find_first_of(".,");
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    long long w = 0;
    if (!DigitsValue(whole, 5, w))
        return false;
    long long f = 0;
    if (point != std::string::npos) {
        if (!DigitsValue(fraction, 3, f))
            return false;
        for (std::size_t i = fraction.size(); i < 3; ++i)
            f *= 10;
    }
    const long long q = w * 1000 + f;
    if (q <= 0 || q > kMaxQuantity)
        return false;
    thousandths = q;
    return true;
}

std::string NameForText(const std::string& name)
{
    std::string text = name;
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        const auto* hit = std::find(std::begin(kCp852Letters), std::end(kCp852Letters), u);
        if (hit != std::end(kCp852Letters))
            c = static_cast<char>(kCp1250Letters[hit - std::begin(kCp852Letters)]);
    }
    const std::size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

std::string VatLetter(int vat)
{
    if (vat < 1 || vat > 7)
        return "?";
    return std::string(1, static_cast<char>('A' + vat - 1));
}

std::string SymulatorDir(const std::string& besideDir)
{
    const char* moved = std::getenv("WINIP_SYM_DIR");
    if (moved != nullptr && *moved != '\0')
        return moved;
    return besideDir + "/symulator";
}

SimRegister::SimRegister(const std::string& symulatorDir, int number)
    : dir_(RegisterFolder(symulatorDir, number)), number_(number)
{
}

SimRegister::~SimRegister()
{
    if (lockFd_ >= 0)
        ::close(lockFd_); // also releases the lock
}

Result SimRegister::Lock()
{
    if (lockFd_ >= 0)
        return kOk;
    if (!MakeDirectories(dir_))
        return kStateWrite;
    lockFd_ = ::open((dir_ + "/" + kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd_ < 0)
        return kStateWrite;
    int rc;
    do
        rc = ::flock(lockFd_, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    return rc == 0 ? kOk : kStateWrite;
}

Result SimRegister::Load()
{
    for (auto load :
         {&SimRegister::LoadGoods, &SimRegister::LoadSales, &SimRegister::LoadFlags, &SimRegister::LoadFaults}) {
        const Result r = (this->*load)();
        if (r != kOk)
            return r;
    }
    return kOk;
}

Result SimRegister::Open()
{
    const Result r = Lock();
    return r != kOk ? r : Load();
}

Result SimRegister::LoadGoods()
{
    goods.clear();
    goodsAsImage_ = false;
    const std::string path = dir_ + "/" + kGoodsFile;
    std::string content;
    if (ReadStateText(path, content) != kOk)
        return kStateDamaged;
    GoodsImages& images = Images();
    {
        // The file's text is compared whole: any change by winip-sim, another process or a test is seen.
        const std::lock_guard<std::mutex> guard(images.mutex);
        const auto it = images.byPath.find(path);
        if (it != images.byPath.end() && it->second.holdsGoods && it->second.content == content) {
            goods = std::move(it->second.goods);
            it->second.goods.clear();
            it->second.holdsGoods = false;
            goodsAsImage_ = true;
            return kOk;
        }
    }
    std::map<int, std::pair<Good, std::string>> formatted;
    for (std::string& line : StateLines(content)) {
        Good good;
        if (ParseGoodsRecord(line, good) != kOk)
            return kStateDamaged;
        goods[good.code] = good;
        formatted[good.code] = {good, std::move(line)};
    }
    if (goods.size() > kGoodsCapacity)
        return kStateDamaged;
    const std::lock_guard<std::mutex> guard(images.mutex);
    GoodsImage& image = images.byPath[path];
    image.content = std::move(content);
    image.holdsGoods = false;
    image.goods.clear();
    image.lines = std::move(formatted);
    goodsAsImage_ = true;
    return kOk;
}

Result SimRegister::LoadSales()
{
    sales.clear();
    std::vector<std::string> lines;
    if (ReadState(dir_ + "/" + kSalesFile, lines) != kOk)
        return kStateDamaged;
    for (const std::string& line : lines) {
        const std::vector<std::string> f = SplitTabs(line);
        int code = 0;
        Sale sale;
        if (f.size() != 3 || ParseGoodsCode(f[0], code) != kOk)
            return kStateDamaged;
        // Totals are written by the simulator itself as whole.thousandths and hundredths.
        const std::size_t point = f[1].find('.');
        long long whole = 0;
        long long fraction = 0;
        if (point == std::string::npos || f[1].size() - point != 4 || !DigitsValue(f[1].substr(0, point), 12, whole) ||
            !DigitsValue(f[1].substr(point + 1), 3, fraction) || !DigitsValue(f[2], 15, sale.value))
            return kStateDamaged;
        sale.quantity = whole * 1000 + fraction;
        sales[code] = sale;
    }
    return kOk;
}

Result SimRegister::LoadFlags()
{
    absent = delay = afterReport = false;
    std::vector<std::string> lines;
    if (ReadState(dir_ + "/" + kFlagsFile, lines) != kOk)
        return kStateDamaged;
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            return kStateDamaged;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (value != "0" && value != "1")
            return kStateDamaged;
        const bool on = value == "1";
        if (key == "nieobecna")
            absent = on;
        else if (key == "opoznienie")
            delay = on;
        else if (key == "po_raporcie")
            afterReport = on;
        // other keys are left for later versions and ignored
    }
    return kOk;
}

Result SimRegister::LoadFaults()
{
    faults.clear();
    std::vector<std::string> lines;
    if (ReadState(dir_ + "/" + kFaultsFile, lines) != kOk)
        return kStateDamaged;
    for (const std::string& line : lines) {
        const std::vector<std::string> f = SplitTabs(line);
        long long code = 0;
        if (f.size() != 3 || (f[0] != "*" && !IsOperationName(f[0])) || !DigitsValue(f[1], 3, code) || code < 1 ||
            code > 255 || (f[2] != "raz" && f[2] != "zawsze"))
            return kStateDamaged;
        faults.push_back({f[0], static_cast<int>(code), f[2] == "zawsze"});
    }
    return kOk;
}

Result SimRegister::SaveGoods()
{
    const std::string path = dir_ + "/" + kGoodsFile;
    goodsAsImage_ = false;
    GoodsImages& images = Images();
    const std::lock_guard<std::mutex> guard(images.mutex);
    GoodsImage& image = images.byPath[path];
    image.holdsGoods = false;
    image.goods.clear();
    // Only the records of goods that changed since they were last formatted are formatted again; lines of goods
    // the register no longer holds are dropped.
    std::string content;
    auto line = image.lines.begin();
    for (const auto& [code, good] : goods) {
        while (line != image.lines.end() && line->first < code)
            line = image.lines.erase(line);
        if (line == image.lines.end() || line->first != code)
            line = image.lines.emplace_hint(line, code, std::pair{good, FormatGoodsRecord(good)});
        else if (!(line->second.first == good))
            line->second = {good, FormatGoodsRecord(good)};
        content += line->second.second;
        content += '\n';
        ++line;
    }
    image.lines.erase(line, image.lines.end());
    const Result written = WriteState(path, content);
    image.content = written == kOk ? std::move(content) : std::string();
    goodsAsImage_ = written == kOk;
    return written;
}

void SimRegister::KeepGoodsImage()
{
    if (!goodsAsImage_)
        return;
    GoodsImages& images = Images();
    const std::lock_guard<std::mutex> guard(images.mutex);
    GoodsImage& image = images.byPath[dir_ + "/" + kGoodsFile];
    image.goods = std::move(goods);
    image.holdsGoods = true;
    goods.clear();
    goodsAsImage_ = false;
}

Result SimRegister::SaveSales() const
{
    std::string content;
    for (const auto& [code, sale] : sales)
        content += CodeText(code) + "\t" + QuantityText(sale.quantity) + "\t" + std::to_string(sale.value) + "\n";
    return WriteState(dir_ + "/" + kSalesFile, content);
}

Result SimRegister::SaveFlags() const
{
    const auto bit = [](bool on) { return on ? "1\n" : "0\n"; };
    return WriteState(dir_ + "/" + kFlagsFile, std::string("nieobecna=") + bit(absent) + "opoznienie=" + bit(delay) +
                                                   "po_raporcie=" + bit(afterReport));
}

Result SimRegister::SaveFaults() const
{
    std::string content;
    for (const Fault& fault : faults)
        content += fault.function + "\t" + std::to_string(fault.code) + "\t" + (fault.always ? "zawsze" : "raz") + "\n";
    return WriteState(dir_ + "/" + kFaultsFile, content);
}

Result SimRegister::Reset()
{
    // Works on damaged state too: nothing is read, only removed.
    if (const Result r = Lock(); r != kOk)
        return r;
    goods.clear();
    sales.clear();
    faults.clear();
    absent = delay = afterReport = false;
    for (const char* file : {kGoodsFile, kSalesFile, kFlagsFile, kFaultsFile}) {
        const std::string path = dir_ + "/" + file;
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return kStateWrite;
    }
    return kOk;
}

std::optional<int> SimRegister::TakeFault(const std::string& function)
{
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->function == function || it->function == "*") {
            const int code = it->code;
            if (!it->always)
                faults.erase(it);
            return code;
        }
    }
    return std::nullopt;
}

} // namespace winip
