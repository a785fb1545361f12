// tarlo-cli driven as a process: a copy of the tool in a temporary program folder beside the stand-in library,
// its configuration pointing at a throw-away database, the simulated registers 1 to 3 of COM_DEF.
#include "exchange/SimulatorHelpers.h"

#include "TestSupport.h"
#include "db/dbDDM.h"

#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliTest : public ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        setenv("WINIP_TIME_SCALE", "0.01", 1);
        PlaceTool(database.Path());
        ASSERT_TRUE(testsupport::ConnectDm(database.Path()));
        dm->TestStru(false);
        ASSERT_TRUE(dm->RunSQLBatch(
            {"insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('123','Chleb','szt',8)"}));
        // Every register holds good 123 and has sold some.
        for (const char* number : {"1", "2", "3"}) {
            RegisterSystemNo = number;
            ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
            ASSERT_EQ(Sim(std::string("sell ") + number + " 123 2"), 0);
        }
        dm.reset(); // the tool opens the database file itself
    }
    void TearDown() override
    {
        dm.reset();
        unsetenv("WINIP_TIME_SCALE");
        ExchangeTest::TearDown();
    }

    // Runs the tool from another directory.
    ToolRun Tool(const std::string& arguments)
    {
        const std::string command = "cd '" + root + "' && '" + app + "/tarlo-cli' " + arguments + " >'" + root +
                                    "/out.txt' 2>'" + root + "/err.txt'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(root + "/out.txt"), FileText(root + "/err.txt")};
    }

    std::string SimTotals(int number)
    {
        const std::string command =
            BinDir() + "/winip-sim totals " + std::to_string(number) + " >'" + root + "/sim.txt'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return FileText(root + "/sim.txt");
    }

    // The readout file of register `number`, today, as the program names it.
    std::string Readout(int number, int sequence)
    {
        return app + "/Dane/Kasa" + IntToStrPad(number, 2, "0") + "/" + DateText(Today()) + "/" +
               IntToStrPad(number, 3, "0") + "_" + DateText(Today()) + "_" + IntToStrPad(sequence, 3, "0") + ".txt";
    }

    int64_t Count(const std::string& from)
    {
        if (!dm) {
            EXPECT_TRUE(testsupport::ConnectDm(database.Path()));
        }
        return dm->ReadInteger("n", "select count(*) as n " + from, -1);
    }

    testsupport::TempDatabase database{demodb::Content::Schema};
};

TEST_F(CliTest, AbsentRegisterFailsAloneAndIsNotReset)
{
    ASSERT_EQ(Sim("absent 2 on"), 0);

    const ToolRun run = Tool("odczyt --przeslij --zeruj");

    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    for (const int number : {1, 3}) {
        const std::string label = "Kasa 0" + std::to_string(number) + ": ";
        EXPECT_TRUE(FileExists(Readout(number, 1))) << number;
        EXPECT_THAT(run.out,
                    HasSubstr(label + "zapisano odczyt " + Readout(number, 1) + ", 1 pozycja, wartość 5.00 zł"));
        EXPECT_THAT(run.out, HasSubstr(label + "wyzerowano liczniki sprzedaży"));
    }
    EXPECT_FALSE(FileExists(Readout(2, 1)));
    EXPECT_THAT(run.err, HasSubstr("Kasa 02: odczyt nieudany - [OTSpMax] Error 20 : "));
    EXPECT_THAT(run.err, HasSubstr("Kasa 02: liczników nie wyzerowano"));
    EXPECT_THAT(run.out, Not(HasSubstr("Kasa 02")));
    // Registers 1 and 3 were handed over and reset, each with its readout and the sales report of its reset (which
    // adds nothing: no sale came between); register 2 keeps its sales.
    EXPECT_EQ(Count("from PRZESLANE_ODCZYTY"), 4);
    EXPECT_EQ(Count("from PARAGONY where KASA = 1"), 1);
    EXPECT_THAT(SimTotals(1), Not(HasSubstr("00123")));
    ASSERT_EQ(Sim("absent 2 off"), 0);
    EXPECT_THAT(SimTotals(2), HasSubstr("00123"));
}

TEST_F(CliTest, ResetIsRefusedAfterAFailedReadout)
{
    ASSERT_EQ(Sim("fail 1 OTSpMax 23"), 0);

    const ToolRun run = Tool("odczyt --kasa 1 --zeruj");

    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("Kasa 01: liczników nie wyzerowano, bo odczyt się nie udał"));
    EXPECT_THAT(SimTotals(1), HasSubstr("00123"));
    EXPECT_FALSE(FileExists(Readout(1, 1)));
}

TEST_F(CliTest, SecondHandOverOfAFileIsRefused)
{
    ASSERT_EQ(Tool("odczyt --kasa 1").exitCode, 0);
    const std::string file = fs::path(Readout(1, 1)).filename().string();

    const ToolRun first = Tool("przeslij " + Readout(1, 1));
    const ToolRun second = Tool("przeslij " + file); // a bare name is found in the registers' folders

    EXPECT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_THAT(first.out, HasSubstr("Przesłano odczyt " + file + " do Wolnar: 1 pozycja"));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_THAT(second.err, HasSubstr("Odczyt " + file + " został już przesłany "));
    EXPECT_EQ(Count("from PARAGONY"), 1);
}

// The window holds the registers; tarlo-cli waits for them and is told to stop (a systemd stop, Ctrl+C): it stops
// waiting at once, says so and ends with exit code 1.
TEST_F(CliTest, ASignalEndsTheWaitForTheRegisters)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        // The lock file only readable: the window's user made it, the tool's user may only read it.
        const std::string lockPath = app + "/kasy.lock";
        std::filesystem::remove(lockPath);
        const int held = ::open(lockPath.c_str(), O_RDWR | O_CREAT, 0444);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);

        const std::string out = root + "/out.txt";
        const std::string err = root + "/err.txt";
        std::filesystem::remove(out); // what the last run printed
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(held);
            if (chdir(root.c_str()) != 0)
                _exit(100);
            const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(outFd, 1);
            dup2(errFd, 2);
            // Started as from a terminal or systemd: the signals at their defaults (a shell's background job would
            // have SIGINT ignored, and an ignored signal never arrives).
            for (const int each : {SIGINT, SIGTERM, SIGHUP})
                std::signal(each, SIG_DFL);
            const std::string tool = app + "/tarlo-cli";
            execl(tool.c_str(), "tarlo-cli", "odczyt", "--kasa", "1", static_cast<char*>(nullptr));
            _exit(101);
        }
        // Waiting for the registers is the first thing the tool prints.
        const auto start = std::chrono::steady_clock::now();
        while (FileText(out).find("czekam na ich zwolnienie") == std::string::npos &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_NE(FileText(out).find("czekam na ich zwolnienie"), std::string::npos) << FileText(err);

        const auto sent = std::chrono::steady_clock::now();
        ASSERT_EQ(kill(child, signal), 0);
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(child, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() - sent < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (ended == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            FAIL() << "tarlo-cli did not end within 10 s of the signal";
        }
        ::close(held);

        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 1) << FileText(out) << FileText(err);
        EXPECT_THAT(FileText(err), HasSubstr("Przerwano oczekiwanie na zwolnienie kas (" +
                                             std::string(signal == SIGTERM  ? "SIGTERM"
                                                         : signal == SIGINT ? "SIGINT"
                                                                            : "SIGHUP") +
                                             ")"));
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(5));
        EXPECT_FALSE(FileExists(Readout(1, 1)));
        std::filesystem::remove(lockPath);
    }
}

TEST_F(CliTest, BadUsageOrConfigurationDoesNothing)
{
    struct Case {
        const char* name;
        std::string ini; // empty: no configuration file at all
        std::string arguments;
        std::string message;
    };
    const std::string good = FileText(app + "/Tarlo_db.INI");
    const Case cases[] = {
        {"no configuration", "", "odczyt", "Brak ścieżki bazy danych"},
        {"no such database", "[Tarlo]\r\nPth=" + root + "/brak.fdb\r\n", "kasy", "Brak połączenia z bazą"},
        {"unknown command", good, "odczytaj", "Nieznane polecenie: odczytaj"},
        {"unknown option", good, "odczyt --wszystkie", "Nieznana opcja"},
        {"bad date", good, "odczyt --data 2026-13-01", "Błędna data"},
        {"unknown register", good, "odczyt --kasa 1 --kasa 9", "Nie ma kasy 9"},
        {"no files", good, "przeslij", "Za mało argumentów"},
        {"pending of an unknown register", good, "przeslij --zalegle --kasa 9", "Nie ma kasy 9"},
        {"export without a register", good, "eksport --zmienione", "wymaga jednej kasy"},
        {"export to two registers", good, "eksport --kasa 1 --kasa 2 --zmienione", "--kasa podana więcej niż raz"},
        {"export without a choice of goods", good, "eksport --kasa 1", "wymaga opcji --zmienione"},
        {"export to an unknown register", good, "eksport --kasa 9 --zmienione", "Nie ma kasy 9"},
    };
    // Usage is checked whole before any connection: with a configuration naming no database, a usage fault is
    // still reported as such.
    const std::string noDatabase = "[Tarlo]\r\nPth=" + root + "/brak.fdb\r\n";
    const Case usage[] = {
        {"extra argument", noDatabase, "kasy extra", "Nieoczekiwany argument polecenia kasy: extra"},
        {"extra argument of a readout", noDatabase, "odczyt --kasa 1 teraz", "Nieoczekiwany argument"},
        {"date twice", noDatabase, "odczyt --data 2026-01-01 --data 2026-01-02", "Opcja --data podana więcej niż raz"},
        {"register twice", noDatabase, "odczyt --kasa 1 --kasa 01", "Kasa podana więcej niż raz: 1 i 01"},
        {"register twice with zeros", noDatabase, "odczyt --kasa 002 --kasa 2", "Kasa podana więcej niż raz"},
        {"register not a number", noDatabase, "odczyt --kasa abc", "Błędny kod kasy: abc"},
        {"register out of range", noDatabase, "odczyt --kasa 100", "Błędny kod kasy: 100"},
        {"pending with a file", noDatabase, "przeslij --zalegle 001_20261210_001.txt", "Z --zalegle nie podaje"},
        {"register without pending", noDatabase, "przeslij --kasa 1 001_20261210_001.txt", "tylko z --zalegle"},
        {"new period of two files", noDatabase, "przeslij --nowy-okres 001_20261210_001.txt 001_20261210_002.txt",
         "z jednym plikiem"},
    };
    for (const Case& c : usage) {
        SCOPED_TRACE(c.name);
        SaveText(c.ini, app + "/Tarlo_db.INI");
        const ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.message));
        EXPECT_THAT(run.err, Not(HasSubstr("Brak połączenia")));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(app + "/Tarlo_db.INI");
        if (!c.ini.empty())
            SaveText(c.ini, app + "/Tarlo_db.INI");
        const ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.message));
    }
    EXPECT_FALSE(fs::exists(app + "/Dane/Kasa01/" + DateText(Today())) &&
                 !fs::is_empty(app + "/Dane/Kasa01/" + DateText(Today())));
    EXPECT_THAT(SimTotals(1), HasSubstr("00123"));
    EXPECT_EQ(Count("from WYSLANE"), 0) << "nothing was sent";
}

TEST_F(CliTest, SeveralRegistersMayBeNamed)
{
    const ToolRun run = Tool("odczyt --kasa 1 --kasa 03");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(FileExists(Readout(1, 1)));
    EXPECT_TRUE(FileExists(Readout(3, 1)));
    EXPECT_FALSE(FileExists(Readout(2, 1)));
}

// A reader that goes away, or a file-size limit on the output, is an ordinary write error: a message, exit 1, and
// the work history still gets its start and end lines.
TEST_F(CliTest, ClosedOutputIsAWriteErrorNotADeath)
{
    const std::string tool = "'" + app + "/tarlo-cli'";
    // The reader is gone before the tool writes its first line.
    const std::string pipe = "cd '" + root + "' && bash -c \"(sleep 0.5; " + tool + " kasy 2>'" + root +
                             "/err.txt'; echo \\$? >'" + root + "/code.txt') | true\"";
    ASSERT_EQ(std::system(pipe.c_str()), 0);
    EXPECT_EQ(FileText(root + "/code.txt"), "1\n");
    EXPECT_THAT(FileText(root + "/err.txt"), HasSubstr("Nie można pisać na standardowe wyjście"));
    std::vector<std::string> history;
    ListFiles(history, app + "/Dane", "H_*.txt");
    ASSERT_EQ(history.size(), 1u);
    const std::string lines = FileText(history[0]);
    EXPECT_THAT(lines, HasSubstr("tarlo-cli kasy - start"));
    EXPECT_THAT(lines, HasSubstr("tarlo-cli kasy - koniec, kod wyjścia 1"_cp));

    // Under a limit of one block, an output file already at the limit cannot grow.
    SaveText(std::string(2048, 'x'), root + "/full.txt");
    const std::string limited = "cd '" + root + "' && bash -c \"ulimit -f 1; " + tool + " --help >>'" + root +
                                "/full.txt' 2>'" + root + "/err.txt'; echo \\$? >'" + root + "/code.txt'\"";
    ASSERT_EQ(std::system(limited.c_str()), 0);
    EXPECT_EQ(FileText(root + "/code.txt"), "1\n");
    EXPECT_THAT(FileText(root + "/err.txt"), HasSubstr("Nie można pisać na standardowe wyjście"));
}

TEST_F(CliTest, DatabaseHeldByAnotherProgramIsNamed)
{
    ASSERT_TRUE(testsupport::ConnectDm(database.Path())); // this process holds the file through the embedded engine
    const ToolRun run = Tool("odczyt --kasa 1");
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("jest zajęta: otworzył ją inny program"));
    EXPECT_FALSE(FileExists(Readout(1, 1)));
}

TEST_F(CliTest, HelpIsPolish)
{
    const ToolRun run = Tool("--help");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("Użycie: tarlo-cli POLECENIE"));
    for (const char* command : {"odczyt [--kasa KOD]... [--data RRRR-MM-DD] [--przeslij] [--zeruj]", "przeslij PLIK...",
                                "kasy", "eksport --kasa KOD --zmienione|--sprawdz [--pelne|--tylko-ceny]"})
        EXPECT_THAT(run.out, HasSubstr(command));
    EXPECT_THAT(Tool("kasy").out, HasSubstr("Kasa 02"));
}

// ---- eksport --zmienione: goods 201..205 besides 123, all sent once to register 1 (which fills the memory of
// sent goods), then the prices of 201, 202 and 204 changed in the catalogue.
class CliExportTest : public CliTest
{
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        std::vector<std::string> goods;
        for (int symbol = 201; symbol <= 205; ++symbol)
            goods.push_back("insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat,cena_1) values ('" +
                            std::to_string(symbol) + "','Towar " + std::to_string(symbol) + "','szt',23,1.00)");
        ASSERT_TRUE(Sql(goods));
        const ToolRun first = Tool("eksport --kasa 1 --zmienione --pelne");
        ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
        // 123 has no price: never sent as 0.00.
        ASSERT_THAT(first.out, HasSubstr("Kasa 01: Eksport zakończony: wysłano 5 z 5"));
        ASSERT_THAT(first.err, HasSubstr("najpierw uruchom")) << "without a memory everything counts as changed";
        ASSERT_THAT(first.err, HasSubstr("nie do wysłania (1): 123 (brak ceny)"));
        ASSERT_EQ(RegisterPrice(1, 203), 100);
        ASSERT_TRUE(Sql({"update " + GoodsTable + " set cena_1=2.50 where asort in ('201','202','204')"}));
    }

    // Runs the statements in this process and lets the database file go again for the tool.
    bool Sql(const std::vector<std::string>& statements)
    {
        const bool done = testsupport::ConnectDm(database.Path()) && dm->RunSQLBatch(statements);
        dm.reset();
        return done;
    }

    std::set<std::string> Marked()
    {
        std::set<std::string> marked;
        if (testsupport::ConnectDm(database.Path())) {
            DataSet rows;
            dm->OpenSds(rows, "select asort from blok_cen where wybor=1");
            for (const Row& row : rows.Rows)
                marked.insert(row.at(0).AsString());
        }
        dm.reset();
        return marked;
    }

    // The price (hundredths) the simulated register holds for the code, -1 when it lacks the code.
    int64_t RegisterPrice(int number, int code)
    {
        std::vector<std::string> lines;
        ReadLines(root + "/sym/kasa" + IntToStrPad(number, 2, "0") + "/towary.txt", lines);
        for (const std::string& line : lines)
            if (line.rfind("$" + IntToStrPad(code, 5, "0") + "\t", 0) == 0)
                return std::stoll(line.substr(line.find_last_of('\t', line.size() - 3) + 1));
        return -1;
    }

    // Sets the price the register holds for the code, as if changed at the register itself.
    void SetRegisterPrice(int number, int code, int64_t price)
    {
        const std::string file = root + "/sym/kasa" + IntToStrPad(number, 2, "0") + "/towary.txt";
        std::vector<std::string> lines;
        ReadLines(file, lines);
        std::string text;
        for (std::string line : lines) {
            if (line.rfind("$" + IntToStrPad(code, 5, "0") + "\t", 0) == 0) {
                const size_t end = line.find_last_of('\t');
                const size_t start = line.find_last_of('\t', end - 1) + 1;
                line = line.substr(0, start) + std::to_string(price) + line.substr(end);
            }
            text += line + "\n";
        }
        SaveText(text, file);
    }

    const std::set<std::string> changed{"201", "202", "204"};
};

TEST_F(CliExportTest, OnlyTheChangedGoodsAreSentAndRemembered)
{
    SetRegisterPrice(1, 203, 777); // not changed in the catalogue: a run that sends it would overwrite this

    const ToolRun run = Tool("eksport --kasa 01 --zmienione");
    const ToolRun again = Tool("eksport --kasa 1 --zmienione");

    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    // 123 without a price is named every time, in red, and does not change the exit code.
    EXPECT_EQ(run.err,
              "Kasa 01: Zmienione od ostatniego eksportu do kasy 01: 3; nie do wysłania (1): 123 (brak ceny)\n");
    EXPECT_THAT(run.out, HasSubstr("Kasa 01: Eksport zakończony: wysłano 3 z 3\n"));
    EXPECT_THAT(run.out, Not(HasSubstr("Transmisja bez"))) << "no line per good sent";
    for (const int code : {201, 202, 204})
        EXPECT_EQ(RegisterPrice(1, code), 250) << code;
    EXPECT_EQ(RegisterPrice(1, 203), 777);
    EXPECT_EQ(RegisterPrice(1, 205), 100);
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_THAT(again.out, HasSubstr("Kasa 01: Eksport zakończony: wysłano 0 z 0"));
}

TEST_F(CliExportTest, GoodsTheRegisterRefusedStayMarkedForTheNextRun)
{
    struct Case {
        const char* name;
        std::string fault; // winip-sim arguments
        size_t notSent;
        std::string closing;
    };
    const Case cases[] = {
        {"one call refused", "fail 1 ZCTowar 5", 1, "wysłano 2 z 3, nie wysłano 1 ("},
        {"register absent", "absent 1 on", 3, "wysłano 0 z 3, nie wysłano 3 ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Sim(c.fault), 0);
        // The window's marks belong to the operator: the tool neither reads nor writes them.
        ASSERT_TRUE(Sql({"update blok_cen set wybor=1 where asort='205'"}));

        const ToolRun run = Tool("eksport --kasa 1 --zmienione");

        EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
        EXPECT_THAT(run.err, HasSubstr("Kasa 01: Eksport zakończony: " + c.closing));
        EXPECT_THAT(run.out, Not(HasSubstr("Eksport zakończony")));
        EXPECT_EQ(Marked(), std::set<std::string>{"205"});
        size_t notSent = 0;
        for (const std::string& symbol : changed) {
            const bool sent = RegisterPrice(1, std::stoi(symbol)) == 250;
            notSent += !sent;
            if (!sent) {
                EXPECT_THAT(run.err, HasSubstr(symbol));
            }
        }
        EXPECT_EQ(notSent, c.notSent);
        ASSERT_TRUE(Sql({"update blok_cen set wybor=0"}));

        // The register is back: exactly the goods not sent go now.
        ASSERT_EQ(Sim("clear 1"), 0);
        const ToolRun next = Tool("eksport --kasa 1 --zmienione");
        EXPECT_EQ(next.exitCode, 0) << next.out << next.err;
        const std::string count = std::to_string(c.notSent);
        EXPECT_THAT(next.out, HasSubstr("wysłano " + count + " z " + count + "\n"));
        for (const std::string& symbol : changed)
            EXPECT_EQ(RegisterPrice(1, std::stoi(symbol)), 250) << symbol;
        ASSERT_TRUE(Sql({"update " + GoodsTable + " set cena_1=1.00 where asort in ('201','202','204')"}));
        ASSERT_EQ(Tool("eksport --kasa 1 --zmienione").exitCode, 0);
        ASSERT_TRUE(Sql({"update " + GoodsTable + " set cena_1=2.50 where asort in ('201','202','204')"}));
    }
}

TEST_F(CliExportTest, WithoutTheMemoryTableNothingIsSentAndAnAdministratorIsAskedFor)
{
    // An older database that no administrator has opened since: a user with rights to the data, no WYSLANE.
    ASSERT_TRUE(Sql({"execute block as declare n varchar(63); begin for select trim(rdb$relation_name) from "
                     "rdb$relations where coalesce(rdb$system_flag,0)=0 into :n do "
                     "execute statement 'grant all on ' || n || ' to public'; end"}));
    ASSERT_TRUE(Sql({"drop table wyslane"}));
    SaveText("[Tarlo]\r\nPth=" + database.Path() + "\r\nUser=KASJER\r\nPass=x\r\n", app + "/Tarlo_db.INI");

    const ToolRun run = Tool("eksport --kasa 1 --zmienione --pelne");

    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr("Kasa 01: Brak tabeli WYSLANE (pamięć wysłanych towarów) - zaloguj się jako "
                                   "administrator (SYSDBA)"));
    EXPECT_THAT(run.out, Not(HasSubstr("Eksport")));
    EXPECT_EQ(RegisterPrice(1, 201), 100);
    EXPECT_TRUE(Marked().empty());
}

} // namespace
