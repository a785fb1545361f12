// tarlo-cli driven as a process: a copy of the tool in a temporary program folder beside the stand-in library,
// its configuration pointing at a throw-away database, the simulated registers 1 to 3 of COM_DEF.
#include "exchange/SimulatorHelpers.h"

#include "TestSupport.h"
#include "db/dbDDM.h"

#include <gmock/gmock.h>

#include <filesystem>

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
        fs::copy_file(BinDir() + "/tarlo-cli", app + "/tarlo-cli");
        fs::copy_file(BinDir() + "/koment.txt", app + "/koment.txt");
        SaveText("[Tarlo]\r\nPth=" + database.Path() + "\r\nUser=SYSDBA\r\nPass=masterkey\r\n", app + "/Tarlo_db.INI");
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
                    HasSubstr(label + "zapisano odczyt " + Readout(number, 1) + ", 1 pozycji, wartość 5.00 zł"));
        EXPECT_THAT(run.out, HasSubstr(label + "wyzerowano liczniki sprzedaży"));
    }
    EXPECT_FALSE(FileExists(Readout(2, 1)));
    EXPECT_THAT(run.err, HasSubstr("Kasa 02: odczyt nieudany - [OTSpMax] Error 20 : "));
    EXPECT_THAT(run.err, HasSubstr("Kasa 02: liczników nie wyzerowano"));
    EXPECT_THAT(run.out, Not(HasSubstr("Kasa 02")));
    // Registers 1 and 3 were handed over and reset; register 2 keeps its sales.
    EXPECT_EQ(Count("from PRZESLANE_ODCZYTY"), 2);
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
    EXPECT_THAT(first.out, HasSubstr("Przesłano odczyt " + file + " do Wolnar: 1 pozycji"));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_THAT(second.err, HasSubstr("Odczyt " + file + " został już przesłany "));
    EXPECT_EQ(Count("from PARAGONY"), 1);
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
    };
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
    for (const char* command :
         {"odczyt [--kasa KOD]... [--data RRRR-MM-DD] [--przeslij] [--zeruj]", "przeslij PLIK...", "kasy"})
        EXPECT_THAT(run.out, HasSubstr(command));
    EXPECT_THAT(Tool("kasy").out, HasSubstr("Kasa 02"));
}

} // namespace
