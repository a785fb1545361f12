// Every sale reaches Wolnar exactly once: one table of scenarios against a private Firebird server, the window's
// operations run in this process and tarlo-cli run as processes (two at once where it matters). Each scenario ends
// with every register's booked sales (sum of PARAGONY per register and code) equal to what the simulated register
// sold.
#include "exchange/SimulatorHelpers.h"

#include "PrivateServer.h"
#include "TestSupport.h"
#include "db/dbDDM.h"
#include "exchange/CallRunner.h"
#include "exchange/ReadoutLedger.h"
#include "exchange/TradeHandOver.h"
#include "exchange/WinIP.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

namespace
{

namespace fs = std::filesystem;

const std::map<int, int> Prices = {{123, 250}, {7, 319}}; // grosze

struct Scenario {
    const char* name;
    std::vector<std::string> steps;
};

void PrintTo(const Scenario& scenario, std::ostream* os)
{
    *os << scenario.name;
}

testsupport::PrivateServer& Server()
{
    static testsupport::PrivateServer server;
    return server;
}

// Sells once after the next call of the named function.
class SaleAfter : public ICallRunner
{
public:
    SaleAfter(std::string response, std::string sale) : response_(std::move(response)), sale_(std::move(sale)) {}
    void Run(const std::function<void()>& call) override
    {
        call();
        if (!done_ && fs::exists(response_)) {
            done_ = true;
            EXPECT_EQ(Sim(sale_), 0);
        }
    }

private:
    std::string response_, sale_;
    bool done_ = false;
};

class LedgerScenarioTest : public ExchangeTest, public ::testing::WithParamInterface<Scenario>
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        setenv("WINIP_TIME_SCALE", "0.01", 1);
        static int count = 0;
        name = "ledger" + std::to_string(++count);
        Server().CreateDatabase(name, demodb::Content::Schema);
        PlaceTool(Server().DatabasePath(name));
        ASSERT_TRUE(testsupport::ConnectDm(Server().DatabasePath(name)));
        dm->TestStru(false);
        ASSERT_TRUE(dm->RunSQLBatch(
            {"insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('123','Chleb','szt',8)",
             "insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('100123','Chleb duzy','szt',5)",
             "insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('7','Mleko','szt',5)"}));
        for (const char* number : {"1", "2"}) {
            RegisterSystemNo = number;
            ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250), GoodsRecord(7, "Mleko", 1, 319)}), 0);
        }
        Current(1);
    }
    void TearDown() override
    {
        dm.reset();
        unsetenv("WINIP_TIME_SCALE");
        ExchangeTest::TearDown();
    }

    void Current(int number)
    {
        RegisterCode = IntToStrPad(number, 2, "0");
        RegisterSystemNo = std::to_string(number);
        CurrentRegisterId = static_cast<int>(
            dm->ReadInteger("ID", "select ID from COM_DEF where KOD_KASA=" + SqlQuote(RegisterCode), 0));
        UpdateWorkPaths();
    }

    std::string Command(const std::string& arguments)
    {
        return "cd '" + root + "' && " + arguments.substr(0, arguments.find("tarlo-cli")) + "'" + app + "/tarlo-cli' " +
               arguments.substr(arguments.find("tarlo-cli") + 10);
    }
    int Tool(const std::string& arguments, const std::string& out)
    {
        const int status = std::system((Command(arguments) + " >'" + out + "' 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // {f:R:N} the readout N of register R today, {z:R:N} its reset report N.
    std::string Expand(std::string text)
    {
        for (std::size_t at; (at = text.find('{')) != std::string::npos;) {
            const std::size_t end = text.find('}', at);
            std::istringstream in(text.substr(at + 1, end - at - 1));
            char kind, colon;
            int reg, seq;
            in >> kind >> colon >> reg >> colon >> seq;
            const std::string day = app + "/Dane/Kasa" + IntToStrPad(reg, 2, "0") + "/" + DateText(Today()) + "/";
            text.replace(at, end - at + 1,
                         (kind == 'z' ? day + "Zerowania/" : day) + IntToStrPad(reg, 3, "0") + "_" + DateText(Today()) +
                             "_" + IntToStrPad(seq, 3, "0") + ".txt");
        }
        return text;
    }

    void Step(const std::string& raw)
    {
        SCOPED_TRACE(raw);
        const std::string step = Expand(raw);
        std::istringstream in(step);
        std::string verb;
        in >> verb;
        if (verb == "sell") {
            int reg, code, quantity;
            in >> reg >> code >> quantity;
            ASSERT_EQ(Sim("sell " + std::to_string(reg) + " " + std::to_string(code) + " " + std::to_string(quantity)),
                      0);
            sold[{reg, code}] += Prices.at(code) * quantity;
        } else if (verb == "read" || verb == "reset" || verb == "atreg") {
            int reg;
            in >> reg;
            Current(reg);
            if (verb == "read")
                EXPECT_TRUE(module.ElzabSprz().recorded) << status.Last().text;
            else if (verb == "reset")
                module.aZerujLicznikiExecute();
            else { // zeroed at the register itself, without the program
                module.aOSprzedExecute();
                module.TwInFile("KSprOp");
                module.CallLibrary(WinIPFunction::KSprOp);
                ASSERT_EQ(ExchangeResult, 0);
            }
        } else if (verb == "cli" || verb == "par") {
            int exitCode;
            in >> exitCode;
            std::string rest;
            std::getline(in, rest);
            const std::size_t bar = rest.find("||");
            if (verb == "cli") {
                const int got = Tool(rest, root + "/out.txt");
                EXPECT_EQ(got, exitCode) << FileText(root + "/out.txt");
                return;
            }
            // Two processes at once.
            int first = -1, second = -1;
            std::thread other([&] { first = Tool(rest.substr(0, bar), root + "/out1.txt"); });
            second = Tool(rest.substr(bar + 2), root + "/out2.txt");
            other.join();
            EXPECT_EQ(first, exitCode) << FileText(root + "/out1.txt");
            EXPECT_EQ(second, exitCode) << FileText(root + "/out2.txt");
        } else if (verb == "touch") { // every stored file gets another time, the older ones the newest
            int hours = 48;
            for (const auto& e : fs::recursive_directory_iterator(app + "/Dane"))
                if (e.is_regular_file() && e.path().extension() == ".txt")
                    fs::last_write_time(e.path(), fs::file_time_type::clock::now() + std::chrono::hours(hours--));
        } else if (verb == "move" || verb == "back") {
            const std::string folder = app + "/Dane/Kasa01/" + DateText(Today()) + "/Zerowania";
            if (verb == "move")
                fs::rename(folder, root + "/moved");
            else
                fs::rename(root + "/moved", folder);
        } else if (verb == "copy") {
            std::string from, to;
            in >> from >> to;
            fs::create_directories(fs::path(to).parent_path());
            fs::copy_file(from, to);
        } else if (verb == "delete") {
            std::string file;
            in >> file;
            ASSERT_TRUE(fs::remove(file));
        } else if (verb == "exists") {
            std::string file;
            in >> file;
            EXPECT_TRUE(fs::exists(file));
        } else if (verb == "testdat") {
            std::string on;
            in >> on;
            // In the tool's work folder, where a replay would come from; not in the folder it is started in.
            if (on == "on")
                SaveText("", app + "/Test.dat");
            else
                fs::remove(app + "/Test.dat");
        } else if (verb == "fail") {
            std::string args;
            std::getline(in, args);
            ASSERT_EQ(Sim("fail" + args), 0);
        } else if (verb == "saleafter") { // a sale right after the next call answering into the file
            std::string file, sale;
            in >> file;
            std::getline(in, sale);
            runner = std::make_unique<SaleAfter>(app + "/Out/" + file, sale.substr(1));
            module.callRunner = runner.get();
            int reg, code, quantity;
            std::istringstream(sale.substr(6)) >> reg >> code >> quantity;
            sold[{reg, code}] += Prices.at(code) * quantity;
        } else if (verb == "zeruj") { // tarlo-cli odczyt --przeslij --zeruj, in this process
            int reg;
            in >> reg;
            Current(reg);
            const ReadoutResult readout = module.ElzabSprz();
            ASSERT_TRUE(readout.recorded);
            EXPECT_TRUE(SendReadingToTrade(readout.storedFile).ok) << status.Last().text;
            module.callRunner = nullptr;
            const ResetResult reset = module.aZerujLicznikiExecute();
            EXPECT_TRUE(reset.ok) << reset.failure;
            EXPECT_TRUE(SendReadingToTrade(reset.reportFile).ok) << status.Last().text;
        } else if (verb == "manual") { // the operator enters sales from the register's printout in Wolnar
            int reg, code, quantity;
            in >> reg >> code >> quantity;
            ASSERT_TRUE(dm->RunSQL("insert into PARAGONY (KASA,PLU,WARTOSC,KOMPLET) values (" + std::to_string(reg) +
                                   "," + std::to_string(code) + "," +
                                   std::to_string(Prices.at(code) * quantity / 100.0) + ",1)"));
        } else if (verb == "shared") { // the register holds 100123 under the code of 123
            ASSERT_TRUE(dm->RunSQL("insert into WYSLANE (ID_KASY,KOD,ASORT) values (" +
                                   std::to_string(CurrentRegisterId) + ",123,'100123')"));
        } else if (verb == "asort") {
            std::string symbol;
            in >> symbol;
            EXPECT_EQ(dm->ReadInteger("n",
                                      "select count(*) as n from PARAGONY where ASORT <> " + SqlQuote(symbol) +
                                          " and PLU = 123",
                                      -1),
                      0);
        } else if (verb == "downgrade") { // the database as it was before the ledger
            for (const char* table : {"ODCZYTY_KAS", "ODCZYTY_KAS_SUMY", "KASY_OKRESY", "PRZEKAZANE_SUMY"})
                ASSERT_TRUE(dm->RunSQL(std::string("drop table ") + table));
        } else if (verb == "upgrade") {
            dm->TestStru(false);
            EXPECT_GT(RecordExistingFiles(), 0);
        } else if (verb == "unclosed") { // the program zeroed the counters but could not record the period's end
            ASSERT_TRUE(dm->RunSQL("update ODCZYTY_KAS set KONIEC_OKRESU=0"));
            ASSERT_TRUE(dm->RunSQL("update KASY_OKRESY set ZAMKNIETY=0"));
        } else if (verb == "told") { // the last tool run said this
            std::string text;
            std::getline(in >> std::ws, text);
            EXPECT_NE(FileText(root + "/out.txt").find(text), std::string::npos) << FileText(root + "/out.txt");
        } else if (verb == "readoff") { // a readout stored while the ledger does not exist
            Current(1);
            EXPECT_FALSE(module.ElzabSprz().recorded);
        } else {
            FAIL() << "unknown step";
        }
    }

    // register -> code -> grosze
    std::map<std::pair<int, int>, long long> Booked()
    {
        DataSet rows;
        dm->OpenSds(rows, "select KASA, PLU, sum(WARTOSC) as V from PARAGONY group by KASA, PLU");
        std::map<std::pair<int, int>, long long> booked;
        for (int row = 0; row < rows.RecordCount(); ++row)
            booked[{static_cast<int>(rows.At(row, "KASA").AsInteger()),
                    static_cast<int>(rows.At(row, "PLU").AsInteger())}] =
                std::llround(rows.At(row, "V").AsFloat() * 100);
        return booked;
    }

    std::string name;
    std::map<std::pair<int, int>, long long> sold;
    std::unique_ptr<ICallRunner> runner;
};

TEST_P(LedgerScenarioTest, BookedEqualsSold)
{
    for (const std::string& step : GetParam().steps) {
        Step(step);
        if (HasFatalFailure())
            return;
    }
    const auto booked = Booked();
    std::ostringstream report;
    long long soldTotal = 0, bookedTotal = 0;
    for (const auto& [key, value] : sold)
        soldTotal += value;
    for (const auto& [key, value] : booked)
        bookedTotal += value;
    report << GetParam().name << ": sold " << soldTotal / 100.0 << " zl, booked " << bookedTotal / 100.0 << " zl";
    RecordProperty("amounts", report.str());
    std::printf("[ SCENARIO ] %s\n", report.str().c_str());
    EXPECT_EQ(booked, sold);
}

const Scenario Scenarios[] = {
    {"SaleBetweenReadoutAndResetInTheWindow",
     {"sell 1 123 3", "read 1", "cli 0 tarlo-cli przeslij {f:1:1}", "sell 1 7 1", "reset 1",
      "cli 0 tarlo-cli przeslij --zalegle"}},
    {"SaleBetweenReadoutAndResetWithZeruj", {"sell 1 123 3", "saleafter OTSpMax.out sell 1 7 1", "zeruj 1"}},
    {"SaleBetweenReportAndResetIsRefusedWith114",
     {"sell 1 123 3", "saleafter OSprzed.out sell 1 7 1", "reset 1", "cli 0 tarlo-cli przeslij --zalegle",
      "sell 1 123 1", "reset 1", "cli 0 tarlo-cli przeslij --zalegle"}},
    {"ResetWithoutAReadoutBeforeIt", {"sell 1 123 2", "reset 1", "cli 0 tarlo-cli przeslij --zalegle"}},
    {"ReverseOrderAcrossAReset",
     {"sell 1 123 2", "read 1", "sell 1 7 2", "reset 1", "sell 1 123 1", "read 1", "cli 0 tarlo-cli przeslij {f:1:3}",
      "cli 0 tarlo-cli przeslij {z:1:2}", "cli 0 tarlo-cli przeslij {f:1:1}"}},
    {"TouchedFiles",
     {"sell 1 123 2", "read 1", "sell 1 123 3", "read 1", "touch", "cli 0 tarlo-cli przeslij {f:1:2}",
      "cli 0 tarlo-cli przeslij {f:1:1}"}},
    {"TwoProcessesWhoseTimeZonesDiffer",
     {"sell 1 123 2", "read 1", "sell 1 7 1", "read 1", "sell 1 123 1", "read 1",
      "par 0 TZ=Pacific/Kiritimati tarlo-cli przeslij {f:1:2} || TZ=America/Adak tarlo-cli przeslij {f:1:1}",
      "cli 0 TZ=Europe/Warsaw tarlo-cli przeslij {f:1:3}"}},
    {"MovedResetReport",
     {"sell 1 123 2", "read 1", "cli 0 tarlo-cli przeslij {f:1:1}", "sell 1 7 1", "reset 1", "sell 1 123 1", "read 1",
      "move", "cli 1 tarlo-cli przeslij --zalegle", "back", "cli 0 tarlo-cli przeslij --zalegle"}},
    {"TwoFilesOfOneRegisterAtOnceRepeated",
     {"sell 1 123 1", "read 1", "sell 1 7 1", "read 1",
      "par 0 tarlo-cli przeslij {f:1:1} || tarlo-cli przeslij {f:1:2}", "sell 1 123 2", "read 1", "sell 1 7 2",
      "read 1", "par 0 tarlo-cli przeslij {f:1:4} || tarlo-cli przeslij {f:1:3}", "sell 1 123 1", "read 1",
      "sell 1 123 1", "read 1", "par 0 tarlo-cli przeslij {f:1:5} || tarlo-cli przeslij {f:1:6}"}},
    {"ResetAtTheRegisterThenNewPeriod",
     {"sell 1 123 2", "read 1", "cli 0 tarlo-cli przeslij {f:1:1}", "sell 1 7 1", "atreg 1", "manual 1 7 1",
      "sell 1 123 1", "read 1", "cli 1 tarlo-cli przeslij {f:1:2}",
      "cli 1 tarlo-cli odczyt --kasa 1 --przeslij --zeruj", "cli 0 tarlo-cli przeslij --nowy-okres {f:1:2}",
      "cli 0 tarlo-cli przeslij --zalegle"}},
    {"TestDat",
     {"sell 1 123 2", "read 1", "testdat on", "cli 2 tarlo-cli odczyt --kasa 1 --przeslij --zeruj", "testdat off",
      "cli 0 tarlo-cli przeslij --zalegle"}},
    {"RenamedCopy",
     {"sell 1 123 2", "read 1", "copy {f:1:1} {f:2:1}", "cli 1 tarlo-cli przeslij {f:2:1}",
      "cli 0 tarlo-cli przeslij --zalegle"}},
    {"SharedRegisterCode", {"shared", "sell 1 123 2", "read 1", "cli 0 tarlo-cli przeslij --zalegle", "asort 100123"}},
    {"DatabaseUpgradedAfterHandOvers",
     {"sell 1 123 2", "read 1", "cli 0 tarlo-cli przeslij {f:1:1}", "downgrade", "sell 1 123 1", "readoff", "upgrade",
      "cli 0 tarlo-cli przeslij --zalegle"}},
    // A deleted readout's number is not given again, neither by the window nor by the tool: a new readout under
    // its recorded name could be neither recorded nor handed over.
    {"DeletedReadoutsNumberIsNotReused",
     {"sell 1 123 2", "read 1", "cli 0 tarlo-cli przeslij {f:1:1}", "delete {f:1:1}", "sell 1 7 1", "read 1",
      "exists {f:1:2}", "delete {f:1:2}", "sell 1 123 1", "cli 0 tarlo-cli odczyt --kasa 1 --przeslij",
      "exists {f:1:3}"}},
    {"PeriodEndNotRecordedAfterAReset",
     {"sell 1 123 2", "reset 1", "unclosed", "sell 1 7 1", "read 1", "cli 1 tarlo-cli przeslij --zalegle",
      "told raporcie zerowania", "cli 0 tarlo-cli przeslij --nowy-okres {f:1:2}"}},
    {"FailedResetAfterItsReportWasStored",
     {"sell 1 123 2", "read 1", "cli 0 tarlo-cli przeslij {f:1:1}", "sell 1 7 1", "fail 1 KSprOp 24", "reset 1",
      "cli 0 tarlo-cli przeslij --zalegle", "sell 1 123 1", "reset 1", "cli 0 tarlo-cli przeslij --zalegle"}},
};

INSTANTIATE_TEST_SUITE_P(Ledger, LedgerScenarioTest, ::testing::ValuesIn(Scenarios),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
