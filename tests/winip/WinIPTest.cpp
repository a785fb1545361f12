// libWinIP.so as the application sees it: loaded with dlopen, its functions found by their exported names, called
// with request and response paths in a throw-away current directory and simulator folder. Sales are rung up and
// faults planned with the winip-sim tool, as in the demo.
#include "Faults.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>
#include <vector>

#include "exchange/WinIP.h"
#include "util/Cp1250Literal.h"
#include "winip/ResultCodes.h"

namespace fs = std::filesystem;

namespace
{

using Fn1 = unsigned char (*)(const char*);
using Fn2 = unsigned char (*)(const char*, const char*);

const char* const kKonfig = "$1\tCOM2:9600:STX0:1:E\t5\tK10\t\r\n";

std::string BinDir()
{
    const char* dir = std::getenv("TARLO_BIN_DIR");
    return dir != nullptr ? dir : ".";
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const fs::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// Lines of a response without their CR LF.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Every line ends with CR LF, the last one too.
bool CrLfOnly(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return !text.empty() && text.back() == '\n';
}

// A goods record line as the export builds it; the name is padded to 19 characters.
std::string Record(int code, const std::string& name, const std::string& price, const std::string& vat = "1",
                   const std::string& unit = "2", const std::string& lock = "0")
{
    char codeText[16];
    std::snprintf(codeText, sizeof codeText, "$%05d", code);
    std::string padded = name;
    padded.resize(19, ' ');
    return std::string(codeText) + "\t" + padded + "\t" + vat + "\t1\t3\t" + unit + "\t" + lock + "\t0000000000000\t" +
           price + "\t0";
}

class WinIPTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        library_ = ::dlopen((BinDir() + "/libWinIP.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << ::dlerror();
    }

    void SetUp() override
    {
        ASSERT_NE(library_, nullptr);
        char pattern[] = "/tmp/winip-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        previous_ = fs::current_path();
        fs::current_path(dir_);
        ::setenv("WINIP_SYM_DIR", (dir_ / "symulator").c_str(), 1);
        ::setenv("WINIP_TIME_SCALE", "0.01", 1);
        WriteFile("KONFIG.txt", kKonfig);
    }

    void TearDown() override
    {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

    template <typename Fn> static Fn Function(const char* name)
    {
        return reinterpret_cast<Fn>(::dlsym(library_, name));
    }

    // Writes the request (header for register `header` plus the record lines) and calls the named function;
    // functions with a response write it to resp.out.
    unsigned char Call(const std::string& name, const std::vector<std::string>& records = {},
                       const std::string& header = "1")
    {
        std::string request = "#" + header + "\r\n#\r\n#\r\n";
        for (const std::string& record : records)
            request += record + "\r\n";
        WriteFile("req.in", request);
        return CallWith(name, (dir_ / "req.in").string(), (dir_ / "resp.out").string());
    }

    static unsigned char CallWith(const std::string& name, const std::string& request, const std::string& response)
    {
        const std::string symbol = "__" + name;
        if (name == "OTSpMax" || name == "OSprzed" || name == "TowarMax")
            return Function<Fn2>(symbol.c_str())(request.c_str(), response.c_str());
        return Function<Fn1>(symbol.c_str())(request.c_str());
    }

    std::string Response() const { return ReadFile(dir_ / "resp.out"); }

    // The goods list lines after its four heading lines.
    std::vector<std::string> GoodsLines()
    {
        fs::remove(dir_ / "resp.out");
        EXPECT_EQ(Call("TowarMax"), winip::kOk);
        std::vector<std::string> lines = Lines(Response());
        EXPECT_GE(lines.size(), 4u);
        return std::vector<std::string>(lines.begin() + std::min<std::size_t>(4, lines.size()), lines.end());
    }

    // Runs winip-sim with the test's simulator folder; its exit code.
    static int Sim(const std::string& arguments)
    {
        const std::string command = BinDir() + "/winip-sim " + arguments + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static inline void* library_ = nullptr;
    fs::path dir_;
    fs::path previous_;
};

// The application calls the library through the pointer types of exchange/WinIP.h. They must be the library's own
// prototypes (Fn1, Fn2, as the stand-in defines them): a call through any other function type is undefined, and
// UBSan (-fsanitize=function) stops at every register call.
static_assert(std::is_same_v<WinIPOnePathFunction, Fn1>);
static_assert(std::is_same_v<WinIPTwoPathFunction, Fn2>);

TEST_F(WinIPTest, ExportsTheEightFunctionsUnderTheirNames)
{
    for (const char* name :
         {"__OTSpMax", "__OSprzed", "__KSprOp", "__TowarMax", "__ZCTowar", "__ZTowar", "__KTowar", "__KTowMax"})
        EXPECT_NE(::dlsym(library_, name), nullptr) << name;
    EXPECT_EQ(::dlsym(library_, "OTSpMax"), nullptr);
    EXPECT_EQ(::dlsym(library_, "WinIP_OTSpMax"), nullptr);
}

TEST_F(WinIPTest, StoresReplacesAndListsGoods)
{
    // "Łyżka" in code page 852, as the export sends names.
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb", "250", "1", "2", "1"), Record(7, "ťyľka"_cp, "199", "2")}),
              winip::kOk);
    std::vector<std::string> goods = GoodsLines();
    ASSERT_EQ(goods.size(), 2u);
    // In code order, the name in Windows-1250.
    EXPECT_EQ(goods[0], "$00007  Łyżka                  B   2  nie            1.99"_cp);
    EXPECT_EQ(goods[1], "$00123  Chleb                  A   2  tak            2.50");
    EXPECT_TRUE(CrLfOnly(Response()));

    // ZTowar replaces the whole good; ZCTowar only its price and lock.
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb razowy", "320", "3")}), winip::kOk);
    ASSERT_EQ(Call("ZCTowar", {Record(7, "Inna nazwa", "999", "5", "8", "1")}), winip::kOk);
    goods = GoodsLines();
    ASSERT_EQ(goods.size(), 2u);
    EXPECT_EQ(goods[0], "$00007  Łyżka                  B   2  tak            9.99"_cp);
    EXPECT_EQ(goods[1], "$00123  Chleb razowy           C   2  nie            3.20");
}

// The library keeps the goods of its last call in memory; a goods file changed in between, even in place and to the
// same size, is read again.
TEST_F(WinIPTest, GoodsChangedOutsideTheLibraryAreReadAgain)
{
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb", "250")}), winip::kOk);
    const fs::path file = dir_ / "symulator" / "kasa01" / "towary.txt";
    std::string text = ReadFile(file);
    const std::size_t price = text.find("\t250\t");
    ASSERT_NE(price, std::string::npos) << text;
    text.replace(price, 5, "\t260\t");
    WriteFile(file, text);
    EXPECT_EQ(GoodsLines(), std::vector<std::string>{"$00123  Chleb                  A   2  nie            2.60"});
    fs::remove(file);
    EXPECT_TRUE(GoodsLines().empty());
}

TEST_F(WinIPTest, ZCTowarRefusesAGoodTheRegisterDoesNotHold)
{
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb", "250")}), winip::kOk);
    const std::vector<std::string> before = GoodsLines();
    EXPECT_EQ(Call("ZCTowar", {Record(123, "Chleb", "300"), Record(555, "Mleko", "100")}), winip::kUnknownGood);
    EXPECT_EQ(GoodsLines(), before);
}

TEST_F(WinIPTest, EachBadFieldRefusesTheWholeRequest)
{
    const std::string name19(19, 'N');
    struct Case {
        std::string record;
        winip::Result expected;
    };
    const std::string tail = "\t1\t1\t3\t2\t0\t0000000000000\t250\t0";
    const std::vector<Case> cases = {
        {"00123\t" + name19 + tail, winip::kBadGoodsCode},
        {"$0123\t" + name19 + tail, winip::kBadGoodsCode},
        {"$001234\t" + name19 + tail, winip::kBadGoodsCode},
        {"$00 23\t" + name19 + tail, winip::kBadGoodsCode},
        {"$00000\t" + name19 + tail, winip::kBadGoodsCode},
        {"$00123\t" + name19 + "X" + tail, winip::kBadGoodsName},
        {"$00123\t" + tail, winip::kBadGoodsName},
        {"$00123\t" + std::string(19, ' ') + tail, winip::kBadGoodsName},
        {"$00123\tChl\x01"
         "b" +
             tail,
         winip::kBadGoodsName},
        {Record(123, "Chleb", "250", "0"), winip::kBadVat},
        {Record(123, "Chleb", "250", "8"), winip::kBadVat},
        {Record(123, "Chleb", "250", "A"), winip::kBadVat},
        {Record(123, "Chleb", "250", "1", "9"), winip::kBadUnit},
        {Record(123, "Chleb", "250", "1", "-1"), winip::kBadUnit},
        {Record(123, "Chleb", "250", "1", "2", "2"), winip::kBadLock},
        {Record(123, "Chleb", "250", "1", "2", ""), winip::kBadLock},
        {Record(123, "Chleb", "12.50"), winip::kBadPrice},
        {Record(123, "Chleb", ""), winip::kBadPrice},
        {Record(123, "Chleb", "-5"), winip::kBadPrice},
        {Record(123, "Chleb", "1234567890"), winip::kBadPrice},
        {Record(123, "Chleb", "250").substr(0, Record(123, "Chleb", "250").size() - 2), winip::kBadRecordLayout},
        {Record(123, "Chleb", "250") + "\t", winip::kBadRecordLayout},
        {"$00123\t" + name19 + "\t1\t2\t3\t2\t0\t0000000000000\t250\t0", winip::kBadRecordLayout},
        {"$00123\t" + name19 + "\t1\t1\t3\t2\t0\t000000000000\t250\t0", winip::kBadRecordLayout},
    };
    ASSERT_EQ(Call("ZTowar", {Record(50, "Stary", "100")}), winip::kOk);
    const std::vector<std::string> before = GoodsLines();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        // A good record before the bad one is not stored either.
        EXPECT_EQ(Call("ZTowar", {Record(60, "Nowy", "100"), c.record}), c.expected);
        EXPECT_EQ(GoodsLines(), before);
    }
}

TEST_F(WinIPTest, HoldsAtMost4095Goods)
{
    std::vector<std::string> records;
    for (int code = 1; code <= 4095; ++code)
        records.push_back(Record(code, "Towar " + std::to_string(code), "100"));
    ASSERT_EQ(Call("ZTowar", records), winip::kOk);
    EXPECT_EQ(Call("ZTowar", {Record(5000, "Jeden za duzo", "100")}), winip::kGoodsFull);
    EXPECT_EQ(Call("ZTowar", {Record(4095, "Zamiana", "200")}), winip::kOk);
    EXPECT_EQ(GoodsLines().size(), 4095u);
}

TEST_F(WinIPTest, AResponseCutShortByAFileSizeLimitLeavesNoFile)
{
    std::vector<std::string> records;
    for (int code = 1; code <= 500; ++code)
        records.push_back(Record(code, "Towar " + std::to_string(code), "100"));
    ASSERT_EQ(Call("ZTowar", records), winip::kOk);
    fs::remove(dir_ / "resp.out");

    // The list is far longer than the limit: the write fails (SIGXFSZ ignored), as on a full disk.
    const int code = testsupport::RunWithFileSizeLimit(4096, [this] { return Call("TowarMax"); });

    EXPECT_EQ(code, winip::kResponseWrite);
    EXPECT_FALSE(fs::exists(dir_ / "resp.out"));
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(WinIPTest, SalesRungUpWithTheToolAppearInTheTotals)
{
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb", "250"), Record(124, "Mleko", "199")}), winip::kOk);
    ASSERT_EQ(Sim("sell 1 123 2,5"), 0);
    ASSERT_EQ(Sim("sell 1 '$00123' 1.001"), 0);
    EXPECT_EQ(Sim("sell 1 999 1"), 1); // a good the register does not hold
    EXPECT_EQ(Sim("sell 1 124 0"), 2);

    ASSERT_EQ(Call("OTSpMax"), winip::kOk);
    const std::string totals = Response();
    const std::vector<std::string> lines = Lines(totals);
    ASSERT_EQ(lines.size(), 4u);
    // 3.501 x 2.50 = 8.7525: 625 + 250 (1.001 x 2.50 = 2.5025 rounds to 2.50)
    EXPECT_NE(totals.find("\r\n$00123\t3.501\t875\tChleb\r\n"), std::string::npos) << totals;
    EXPECT_TRUE(CrLfOnly(totals));
}

TEST_F(WinIPTest, TotalsAreZeroedOnlyRightAfterTheSalesReport)
{
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb", "250")}), winip::kOk);
    ASSERT_EQ(Sim("sell 1 123 1"), 0);

    EXPECT_EQ(Call("KSprOp"), winip::kResetWithoutReport);
    ASSERT_EQ(Call("OSprzed"), winip::kOk);
    EXPECT_NE(Response().find("$00123"), std::string::npos);
    // Another call, or another sale, between the report and the reset cancels the reset.
    ASSERT_EQ(Call("OTSpMax"), winip::kOk);
    EXPECT_EQ(Call("KSprOp"), winip::kResetWithoutReport);
    ASSERT_EQ(Call("OSprzed"), winip::kOk);
    ASSERT_EQ(Sim("sell 1 123 1"), 0);
    EXPECT_EQ(Call("KSprOp"), winip::kResetWithoutReport);
    ASSERT_EQ(Call("OTSpMax"), winip::kOk);
    EXPECT_EQ(Lines(Response()).size(), 4u);

    ASSERT_EQ(Call("OSprzed"), winip::kOk);
    EXPECT_EQ(Call("KSprOp"), winip::kOk);
    ASSERT_EQ(Call("OTSpMax"), winip::kOk);
    EXPECT_EQ(Lines(Response()).size(), 3u);
}

TEST_F(WinIPTest, GoodsAreDeletedOnlyWithZeroTotals)
{
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb", "250"), Record(124, "Mleko", "199")}), winip::kOk);
    ASSERT_EQ(Sim("sell 1 123 1"), 0);
    const std::vector<std::string> before = GoodsLines();
    EXPECT_EQ(Call("KTowar", {"$00124"}), winip::kTotalsNotZero);
    EXPECT_EQ(Call("KTowMax"), winip::kTotalsNotZero);
    EXPECT_EQ(GoodsLines(), before);

    ASSERT_EQ(Call("OSprzed"), winip::kOk);
    ASSERT_EQ(Call("KSprOp"), winip::kOk);
    EXPECT_EQ(Call("KTowar"), winip::kNoData);
    EXPECT_EQ(Call("KTowar", {"$00999"}), winip::kUnknownGood);
    EXPECT_EQ(Call("KTowar", {"00124"}), winip::kBadGoodsCode);
    EXPECT_EQ(GoodsLines(), before);
    EXPECT_EQ(Call("KTowar", {Record(124, "Mleko", "199")}), winip::kOk);
    ASSERT_EQ(GoodsLines().size(), 1u);
    EXPECT_EQ(GoodsLines()[0].substr(0, 6), "$00123");
    EXPECT_EQ(Call("KTowMax"), winip::kOk);
    EXPECT_TRUE(GoodsLines().empty());
}

TEST_F(WinIPTest, ConfigurationErrors)
{
    struct Case {
        std::optional<std::string> konfig; // nullopt: no file
        winip::Result expected;
    };
    const std::vector<Case> cases = {
        {std::nullopt, winip::kConfigMissing},
        {"", winip::kConfigFormat},
        {"1\tCOM2:9600:STX0:1:E\t5\tK10\t\r\n", winip::kConfigFormat},
        {"$x\tCOM2:9600:STX0:1:E\t5\tK10\t\r\n", winip::kConfigFormat},
        {"$1\tCOM2:9600:STX0:1:E\t5\r\n", winip::kConfigFormat},
        {std::string("$1\t\0\xFF\t5\tK10\t\r\n", 14), winip::kConfigFormat},
        {std::string(10000, '$'), winip::kConfigFormat},
        {"$1\tLPT2:9600:STX0:1:E\t5\tK10\t\r\n", winip::kConfigPort},
        {"$1\tCOM0:9600:STX0:1:E\t5\tK10\t\r\n", winip::kConfigPort},
        {"$1\tCOM2:1234:STX0:1:E\t5\tK10\t\r\n", winip::kConfigPort},
        {"$1\tCOM2:9600:STX1:1:E\t5\tK10\t\r\n", winip::kConfigPort},
        {"$1\tCOM2:9600:STX0:1:E\t5s\tK10\t\r\n", winip::kConfigTimeout},
        {"$1\tCOM2:9600:STX0:1:E\t5\tK11\t\r\n", winip::kConfigTimeout},
        {"$0\tCOM2:9600:STX0:1:E\t5\tK10\t\r\n", winip::kRegisterNumber},
        {"$100\tCOM2:9600:STX0:1:E\t5\tK10\t\r\n", winip::kRegisterNumber},
        // an empty time-out, which the settings page allows, takes the default
        {"$1\tCOM2:9600:STX0:1:E\t\tK10\t\r\n", winip::kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.konfig.value_or("(no file)"));
        fs::remove("KONFIG.txt");
        if (c.konfig)
            WriteFile("KONFIG.txt", *c.konfig);
        EXPECT_EQ(Call("TowarMax"), c.expected);
    }
    // The file is found whatever the letter case of its name.
    fs::remove("KONFIG.txt");
    WriteFile("konfig.TXT", kKonfig);
    EXPECT_EQ(Call("TowarMax"), winip::kOk);
}

TEST_F(WinIPTest, RequestAndResponseFileErrors)
{
    EXPECT_EQ(Call("TowarMax", {}, "2"), winip::kOtherRegister);
    EXPECT_EQ(Call("TowarMax", {}, "01"), winip::kOk);
    EXPECT_EQ(Call("TowarMax", {}, ""), winip::kRequestHeader);

    WriteFile("req.in", "#1\r\n#\r\n");
    EXPECT_EQ(CallWith("TowarMax", "req.in", "resp.out"), winip::kRequestHeader);
    WriteFile("req.in", std::string("#1\r\n#\r\n#\r\n$00123\0\r\n", 19));
    EXPECT_EQ(CallWith("ZTowar", "req.in", ""), winip::kRequestDamaged);
    WriteFile("req.in", "#1\r\n#\r\n#\r\n" + std::string(100000, 'x') + "\r\n");
    EXPECT_EQ(CallWith("ZTowar", "req.in", ""), winip::kRequestDamaged);

    EXPECT_EQ(CallWith("TowarMax", "nie-ma.in", "resp.out"), winip::kRequestOpen);
    WriteFile("req.in", "#1\r\n#\r\n#\r\n");
    EXPECT_EQ(CallWith("TowarMax", "req.in", "brak-folderu/resp.out"), winip::kResponseCreate);
    EXPECT_EQ(CallWith("TowarMax", "req.in", ""), winip::kPathInvalid);
    EXPECT_EQ(CallWith("TowarMax", std::string(300, 'a'), "resp.out"), winip::kPathInvalid);
    EXPECT_EQ(Function<Fn1>("__KTowMax")(nullptr), winip::kPathInvalid);
}

TEST_F(WinIPTest, PathsAreNotReadBeyondTheirBuffers)
{
    // Each path ends exactly at the end of a readable page followed by an unreadable one.
    const long page = ::sysconf(_SC_PAGESIZE);
    char* memory = static_cast<char*>(::mmap(nullptr, static_cast<std::size_t>(4 * page), PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(memory, MAP_FAILED);
    ASSERT_EQ(::mprotect(memory + page, static_cast<std::size_t>(page), PROT_NONE), 0);
    ASSERT_EQ(::mprotect(memory + 3 * page, static_cast<std::size_t>(page), PROT_NONE), 0);
    const auto atPageEnd = [&](int pageIndex, const std::string& text) {
        char* start = memory + (pageIndex + 1) * page - static_cast<long>(text.size());
        std::copy(text.begin(), text.end(), start);
        return start;
    };
    WriteFile("req.in", "#1\r\n#\r\n#\r\n");
    const auto towarMax = Function<Fn2>("__TowarMax");
    EXPECT_EQ(towarMax(atPageEnd(0, std::string("req.in") + '\0'), atPageEnd(2, std::string("resp.out") + '\0')),
              winip::kOk);
    // 256 bytes without a zero byte: refused, nothing read past them.
    EXPECT_EQ(towarMax(atPageEnd(0, std::string(256, 'a')), atPageEnd(2, std::string("resp.out") + '\0')),
              winip::kPathInvalid);
    ::munmap(memory, static_cast<std::size_t>(4 * page));
}

TEST_F(WinIPTest, PlannedFaultsFireOnceOrAlways)
{
    ASSERT_EQ(Sim("fail 1 TowarMax 24"), 0);
    ASSERT_EQ(Sim("fail 1 ZTowar 25 zawsze"), 0);
    EXPECT_EQ(Call("TowarMax"), winip::kNak);
    EXPECT_EQ(Call("TowarMax"), winip::kOk);
    EXPECT_EQ(Call("ZTowar", {Record(123, "Chleb", "250")}), winip::kNotAvailable);
    EXPECT_EQ(Call("ZTowar", {Record(123, "Chleb", "250")}), winip::kNotAvailable);
    EXPECT_TRUE(GoodsLines().empty());

    ASSERT_EQ(Sim("clear 1"), 0);
    EXPECT_EQ(Call("ZTowar", {Record(123, "Chleb", "250")}), winip::kOk);
    EXPECT_EQ(Sim("fail 1 Nieznana 24"), 2);
    EXPECT_EQ(Sim("fail 1 TowarMax 0"), 2);
    // The application's own codes 250 to 252 are never the library's.
    for (const char* code : {"250", "251", "252"})
        EXPECT_EQ(Sim(std::string("fail 1 TowarMax ") + code), 2) << code;
    EXPECT_EQ(Sim("fail 1 TowarMax 249"), 0);
    EXPECT_EQ(Sim("fail 1 TowarMax 253"), 0);
}

TEST_F(WinIPTest, SalesBeyondWhatTheTotalsCanHoldAreRefused)
{
    ASSERT_EQ(Call("ZTowar", {Record(123, "Drogi", "999999999")}), winip::kOk);
    // Each sale is worth 99999998900000 hundredths; ten fit into fifteen digits, the eleventh does not.
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(Sim("sell 1 123 99999.999"), 0) << i;
    EXPECT_EQ(Sim("sell 1 123 99999.999"), 1);
    EXPECT_EQ(Sim("sell 1 123 0.001"), 0); // what still fits is taken

    ASSERT_EQ(Call("OTSpMax"), winip::kOk);
    EXPECT_NE(Response().find("$00123\t999999.991\t999999990000000\tDrogi"), std::string::npos) << Response();
    EXPECT_EQ(Call("TowarMax"), winip::kOk);
}

TEST_F(WinIPTest, AbsentRegisterTimesOutAfterTheScaledTimeOut)
{
    ASSERT_EQ(Sim("absent 1 on"), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Call("TowarMax"), winip::kSendTimeout);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // 5 s in KONFIG.txt, scaled by 0.01
    EXPECT_GE(elapsed, std::chrono::milliseconds(45));
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    EXPECT_FALSE(fs::exists("resp.out"));

    ASSERT_EQ(Sim("absent 1 off"), 0);
    EXPECT_EQ(Call("TowarMax"), winip::kOk);
}

TEST_F(WinIPTest, TransmissionDelayFollowsBytesAndSpeed)
{
    WriteFile("KONFIG.txt", "$1\tCOM2:1200:STX0:1:E\t5\tK10\t\r\n");
    ::setenv("WINIP_TIME_SCALE", "0.1", 1);
    ASSERT_EQ(Sim("delay 1 on"), 0);
    const std::vector<std::string> records = {Record(1, "A", "1"), Record(2, "B", "1"), Record(3, "C", "1")};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Call("ZTowar", records), winip::kOk);
    // 11 bits a byte at 1200 bit/s, scaled by 0.1: the request alone takes this long
    const double requestBytes = static_cast<double>(fs::file_size("req.in"));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed.count(), requestBytes * 11 / 1200 * 0.1);
}

TEST_F(WinIPTest, DamagedStateIsRefusedUntilTheRegisterIsReset)
{
    ASSERT_EQ(Call("ZTowar", {Record(123, "Chleb", "250")}), winip::kOk);
    WriteFile(dir_ / "symulator" / "kasa01" / "towary.txt", std::string("$00123\t\xFF\0garbage\n", 17));
    EXPECT_EQ(Call("TowarMax"), winip::kStateDamaged);
    EXPECT_EQ(Sim("sell 1 123 1"), 1);
    ASSERT_EQ(Sim("reset 1"), 0);
    EXPECT_TRUE(GoodsLines().empty());
}

TEST(WinIPKoment, HasALineForEveryCodeInWindows1250)
{
    const std::string text = ReadFile(fs::path(BinDir()) / "koment.txt");
    std::set<int> expected;
    for (winip::Result code : winip::kAllResults)
        expected.insert(code);
    expected.insert(winip::kApplicationFileNotStored);
    EXPECT_TRUE(CrLfOnly(text));
    std::set<int> codes;
    for (const std::string& line : Lines(text)) {
        SCOPED_TRACE(line);
        ASSERT_GT(line.size(), 5u);
        // the code right-aligned in three characters, then a tab
        const int code = std::atoi(line.substr(0, 3).c_str());
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, "%3d\t", code);
        EXPECT_EQ(line.substr(0, 4), prefix);
        EXPECT_TRUE(codes.insert(code).second) << "second line for code " << code;
        for (std::size_t i = 4; i < line.size(); ++i) {
            const auto byte = static_cast<unsigned char>(line[i]);
            // no control characters, no bytes that Windows-1250 leaves undefined
            EXPECT_TRUE(byte >= 0x20 && byte != 0x7F && byte != 0x81 && byte != 0x83 && byte != 0x88 && byte != 0x90 &&
                        byte != 0x98)
                << "byte " << i;
        }
    }
    EXPECT_EQ(codes, expected);
}

} // namespace
