// The hand-over of stored readouts to the trade system's tables ODCZYT and PARAGONY, on a throw-away database.
#include "ExchangeFixture.h"

#include "TestSupport.h"
#include "db/Firebird.h"
#include "db/dbDDM.h"
#include "exchange/ReadoutLedger.h"
#include "exchange/TradeHandOver.h"
#include "util/Cp1250Literal.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include <sys/stat.h>

namespace
{

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string Header = "Kasa nr 1\r\nOdczyt\r\nKod\tIlosc\tWartosc\tNazwa\r\n";

class HandOverTest : public DatabaseExchangeTest
{
protected:
    void SetUp() override
    {
        DatabaseExchangeTest::SetUp();
        Run({"insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('123','Chleb','szt',8)",
             "insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('45','Ser','kg',23)",
             "insert into " + GoodsTable +
                 " (asort,nazwa,jm,stawka_vat) values ('7','Kiełbasa żywiecka wędzona extra','kg',5)"_cp});
    }
    void Run(const std::vector<std::string>& commands)
    {
        ASSERT_TRUE(dm->RunSQLBatch(commands)) << FileText(WorkLog->FileName);
    }

    // Stores a readout of register 01 for today with the goods lines and records it as the program does; the file
    // is then given a time `age` before now, which must change nothing.
    std::string StoreReadout(int sequence, const std::vector<std::string>& goods, std::chrono::seconds age)
    {
        const std::string path = DayDir + "001_" + DateText(Today()) + "_" + IntToStrPad(sequence, 3, "0") + ".txt";
        std::string text = Header;
        for (const auto& line : goods)
            text += line + "\r\n";
        SaveText(text, path);
        std::vector<CodeTotals> totals;
        std::string problem;
        EXPECT_TRUE(ReadoutFileTotals(ContentLines(text), totals, problem)) << problem;
        EXPECT_TRUE(RecordStoredFile(1, 1, path, text, LedgerKind::Readout, Today(), totals, problem)) << problem;
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
        return path;
    }
    // The sales report stored and recorded at a counter reset (code -> quantity, value in grosze); `reset` says
    // whether the reset then took place, which ends the period.
    std::string StoreReset(int sequence, const std::vector<std::pair<int, std::pair<int, int>>>& sales, bool reset)
    {
        const std::string folder = DayDir + "Zerowania/";
        EnsureDir(folder);
        const std::string name = "001_" + DateText(Today()) + "_" + IntToStrPad(sequence, 3, "0") + ".txt";
        std::string text = "RAPORT SPRZEDAŻY TOWARÓW\r\nKasa nr 1, 26.03.2024 14:05:00\r\n\r\n"_cp;
        text += "Kod     Nazwa                VAT        Ilość       Wartość\r\n"_cp;
        int total = 0;
        for (const auto& [code, sale] : sales) {
            char line[120];
            std::snprintf(line, sizeof line, "$%05d  %-19s  %3s  %11d.000  %9d.%02d\r\n", code, "Towar z kasy", "A",
                          sale.first, sale.second / 100, sale.second % 100);
            text += line;
            total += sale.second;
        }
        char last[80];
        std::snprintf(last, sizeof last, "\r\n%-21s%9d.%02d\r\n", "Razem:", total / 100, total % 100);
        text += last;
        SaveText(text, folder + name);
        std::vector<CodeTotals> totals;
        std::string problem;
        EXPECT_TRUE(ParseResetReport(ContentLines(text), totals, problem)) << problem;
        EXPECT_TRUE(RecordStoredFile(1, 1, folder + name, text, LedgerKind::ResetReport, Today(), totals, problem))
            << problem;
        if (reset) {
            EXPECT_TRUE(MarkPeriodEnd(1, name, problem)) << problem;
        }
        return folder + name;
    }

    // Hands the file over while another workstation's connection has run `command` in a transaction that it
    // commits or rolls back 300 ms later.
    HandOverResult HandOverWhileAnotherWrites(const std::string& path, const std::string& command, bool otherCommits)
    {
        FbConnection other;
        other.Open({database.Path(), "SYSDBA", "masterkey", "", "WIN1250", 3, "Engine12"});
        auto transaction = other.StartTransaction();
        other.Execute(transaction, command);
        std::thread finish([&] {
            std::this_thread::sleep_for(300ms);
            if (otherCommits)
                fb::Commit(transaction);
            else
                fb::Rollback(transaction);
        });
        const HandOverResult result = SendReadingToTrade(path);
        finish.join();
        return result;
    }

    int64_t Count(const std::string& from) { return dm->ReadInteger("n", "select count(*) as n " + from, -1); }

    // code -> "quantity/value" summed over PARAGONY
    std::map<std::string, std::string> Sums()
    {
        DataSet rows;
        dm->OpenSds(rows, "select PLU, sum(ILOSC) as q, sum(WARTOSC) as v from PARAGONY group by PLU");
        std::map<std::string, std::string> sums;
        for (int row = 0; row < rows.RecordCount(); ++row)
            sums[rows.At(row, "PLU").AsString()] = rows.At(row, "q").AsString() + "/" + rows.At(row, "v").AsString();
        return sums;
    }
};

TEST_F(HandOverTest, ReadoutGoesOverWholeTheFirstTime)
{
    const std::string path = StoreReadout(1,
                                          {"$00123\t2\t250\tCHLEB", "$00007\t1,5\t2999\tKIELBASA",
                                           "$99999\t3\t300\tNieznany towar z kasy", "$00045\t0\t0\tSER"},
                                          10s);
    const std::string file = fs::path(path).filename().string();

    const HandOverResult result = SendReadingToTrade(path);

    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.lines, 3); // code 45 sold nothing
    EXPECT_EQ(result.total.ToString(), "35.4900");
    EXPECT_FALSE(status.Last().error);
    EXPECT_EQ(status.Last().text,
              "Przesłano odczyt "_cp + file + " do Wolnar: 3 pozycje sprzedaży o wartości 35.49 zł"_cp);
    EXPECT_NE(FileText(WorkLog->FileName).find(status.Last().text), std::string::npos);

    // ODCZYT: every line of the file, in order, under the file's name; identifiers from the generator.
    DataSet lines;
    dm->OpenSds(lines, "select ID, PLIK, LINIA, DATA from ODCZYT order by ID");
    std::vector<std::string> stored;
    ASSERT_TRUE(ReadLines(path, stored));
    ASSERT_EQ(lines.RecordCount(), static_cast<int>(stored.size()));
    for (int row = 0; row < lines.RecordCount(); ++row) {
        EXPECT_EQ(lines.At(row, "ID").AsInteger(), row);
        EXPECT_EQ(lines.At(row, "PLIK").AsString(), file);
        EXPECT_EQ(lines.At(row, "LINIA").AsString(), stored[row]);
        EXPECT_FALSE(lines.At(row, "DATA").IsNull());
    }

    DataSet sales;
    dm->OpenSds(sales, "select * from PARAGONY order by ID");
    ASSERT_EQ(sales.RecordCount(), 3);
    const std::string key = "001" + DateText(Today()).substr(2) + "001";
    struct Expected {
        const char *plu, *asort, *nazwa, *nrVat, *stawka, *ilosc, *wartosc, *cena;
    };
    // In code order.
    const Expected expected[] = {
        {"7", "7", "Kiełbasa żywiecka wędzon"_cp, "3", "5.00", "1.5000", "29.9900", "19.9933"},
        {"123", "123", "Chleb", "2", "8.00", "2.0000", "2.5000", "1.2500"},
        {"99999", "", "Nieznany towar z kasy", "", "", "3.0000", "3.0000", "1.0000"},
    };
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const Expected& e = expected[row];
        EXPECT_EQ(sales.At(row, "ODCZYT").AsString(), key);
        EXPECT_EQ(sales.At(row, "DATASPRZ").AsString(), ShortDateText(Today()));
        EXPECT_EQ(sales.At(row, "DATA").AsString(), ShortDateText(Today()));
        EXPECT_EQ(sales.At(row, "KASA").AsInteger(), 1);
        EXPECT_EQ(sales.At(row, "STORNO").AsInteger(), 0);
        EXPECT_EQ(sales.At(row, "KOMPLET").AsInteger(), 1);
        EXPECT_EQ(sales.At(row, "PLU").AsString(), e.plu);
        EXPECT_EQ(sales.At(row, "ASORT").AsString(), e.asort);
        EXPECT_EQ(sales.At(row, "NAZWA").AsString(), e.nazwa);
        EXPECT_EQ(sales.At(row, "NR_VAT").AsString(), e.nrVat);
        EXPECT_EQ(sales.At(row, "STAWKA_VAT").AsString(), e.stawka);
        EXPECT_EQ(sales.At(row, "ILOSC").AsString(), e.ilosc);
        EXPECT_EQ(sales.At(row, "WARTOSC").AsString(), e.wartosc);
        EXPECT_EQ(sales.At(row, "CENA").AsString(), e.cena);
    }
    EXPECT_EQ(HandedOverReadouts(1).count(file), 1u);
    EXPECT_TRUE(HandedOverReadouts(2).empty());
}

TEST_F(HandOverTest, OnlyTheIncreaseGoesOverUntilTheCountersAreReset)
{
    const std::string morning = StoreReadout(1, {"$00123\t2\t250", "$00045\t1\t1000"}, 30s);
    const std::string evening = StoreReadout(2, {"$00123\t5\t625", "$00045\t1\t1000", "$00007\t1\t500"}, 20s);
    ASSERT_TRUE(SendReadingToTrade(morning).ok);
    const HandOverResult second = SendReadingToTrade(evening);
    ASSERT_TRUE(second.ok) << second.message;
    EXPECT_EQ(second.lines, 2);
    EXPECT_EQ(second.total.ToString(), "8.7500");
    // The sums equal the second readout.
    EXPECT_EQ(Sums(), (std::map<std::string, std::string>{
                          {"123", "5.0000/6.2500"}, {"45", "1.0000/10.0000"}, {"7", "1.0000/5.0000"}}));

    // The program reset the counters; the next readout counts whole.
    StoreReset(3, {{123, {5, 625}}, {45, {1, 1000}}, {7, {1, 500}}}, true);
    const std::string after = StoreReadout(4, {"$00123\t1\t125"}, 10s);
    const HandOverResult third = SendReadingToTrade(after);
    ASSERT_TRUE(third.ok) << third.message;
    EXPECT_EQ(Sums()["123"], "6.0000/7.5000");
}

// Only a reset that took place ends the period. The report of a failed reset is an ordinary readout: counted as a
// reset, it would send the sales of the earlier readout again.
TEST_F(HandOverTest, OnlyResetsThatTookPlaceEndThePeriod)
{
    for (const bool resetTookPlace : {true, false}) {
        SCOPED_TRACE(resetTookPlace);
        Run({"delete from PARAGONY", "delete from ODCZYT", "delete from PRZESLANE_ODCZYTY", "delete from ODCZYTY_KAS",
             "delete from ODCZYTY_KAS_SUMY", "delete from KASY_OKRESY", "delete from PRZEKAZANE_SUMY"});
        fs::remove_all(DayDir);
        EnsureDir(DayDir);
        ASSERT_TRUE(SendReadingToTrade(StoreReadout(1, {"$00123\t2\t250"}, 30s)).ok);
        StoreReset(2, {{123, {2, 250}}}, resetTookPlace);
        // After a reset the register sold 5 more; without one its totals grew to 5.
        const HandOverResult result = SendReadingToTrade(StoreReadout(3, {"$00123\t5\t625"}, 10s));

        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(Sums()["123"], resetTookPlace ? "7.0000/8.7500" : "5.0000/6.2500");
    }
}

TEST_F(HandOverTest, ResetAtTheRegisterIsRefusedUntilANewPeriodIsStarted)
{
    ASSERT_TRUE(SendReadingToTrade(StoreReadout(1, {"$00123\t5\t625"}, 20s)).ok);
    // Counters reset at the register itself: the program saw no reset.
    const std::string path = StoreReadout(2, {"$00123\t1\t125"}, 10s);

    const HandOverResult result = SendReadingToTrade(path);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.resetAtRegister);
    EXPECT_TRUE(status.Last().error);
    EXPECT_NE(status.Last().text.find("jest mniejsza niż"_cp), std::string::npos) << status.Last().text;
    EXPECT_NE(status.Last().text.find("--nowy-okres " + fs::path(path).filename().string()), std::string::npos);
    EXPECT_EQ(Count("from PARAGONY"), 1);
    EXPECT_EQ(Count("from ODCZYT where PLIK = '" + fs::path(path).filename().string() + "'"), 0);
    EXPECT_EQ(Count("from PRZESLANE_ODCZYTY"), 1);

    HandOverOptions newPeriod;
    newPeriod.newPeriod = true;
    const HandOverResult whole = SendReadingToTrade(path, newPeriod);
    ASSERT_TRUE(whole.ok) << whole.message;
    EXPECT_EQ(Sums()["123"], "6.0000/7.5000");
    // The new period goes on: the next readout adds its increase only.
    ASSERT_TRUE(SendReadingToTrade(StoreReadout(3, {"$00123\t2\t250"}, 5s)).ok);
    EXPECT_EQ(Sums()["123"], "7.0000/8.7500");
}

TEST_F(HandOverTest, SecondHandOverIsRefusedAndWritesNothing)
{
    const std::string path = StoreReadout(1, {"$00123\t2\t250"}, 10s);
    ASSERT_TRUE(SendReadingToTrade(path).ok);
    const auto at = HandedOverReadouts(1).at(fs::path(path).filename().string());

    const HandOverResult again = SendReadingToTrade(path);

    EXPECT_FALSE(again.ok);
    EXPECT_EQ(status.Last().text,
              "Odczyt " + fs::path(path).filename().string() + " został już przesłany "_cp + DateTimeText(at));
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(Count("from PARAGONY"), 1);
    EXPECT_EQ(Count("from ODCZYT"), 4);
}

TEST_F(HandOverTest, FailureInTheMiddleWritesNothing)
{
    // The second PARAGONY row of the hand-over will get identifier 1, which a planted row already holds.
    Run({"insert into PARAGONY (NUMER) values (1)", "insert into PARAGONY (NUMER) values (2)",
         "delete from PARAGONY where NUMER = 1", "set generator G_ID_PARAGONY to -1"});
    const std::string path = StoreReadout(1, {"$00123\t2\t250", "$00045\t1\t1000", "$00007\t1\t500"}, 10s);

    const HandOverResult result = SendReadingToTrade(path);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(status.Last().error);
    EXPECT_NE(status.Last().text.find("nic nie zapisano"), std::string::npos) << status.Last().text;
    EXPECT_EQ(Count("from PARAGONY"), 1);
    EXPECT_EQ(Count("from ODCZYT"), 0);
    EXPECT_EQ(Count("from PRZESLANE_ODCZYTY"), 0);
    EXPECT_TRUE(HandedOverReadouts(1).empty());

    // Nothing stands in the way of the next attempt.
    Run({"delete from PARAGONY"});
    EXPECT_TRUE(SendReadingToTrade(path).ok) << status.Last().text;
}

// Two workstations hand over the same file at once: the other's key, inserted first in its transaction, makes
// this hand-over wait; once the other commits, this one is refused, and once it rolls back, this one goes over.
TEST_F(HandOverTest, TwoConnectionsCannotBothHandOverAFile)
{
    const std::string path = StoreReadout(1, {"$00123\t2\t250"}, 10s);
    const std::string file = fs::path(path).filename().string();
    for (const bool otherCommits : {true, false}) {
        SCOPED_TRACE(otherCommits);
        const HandOverResult result = HandOverWhileAnotherWrites(
            path, "insert into PRZESLANE_ODCZYTY (PLIK, KASA, DATA) values ('" + file + "', 1, current_timestamp)",
            otherCommits);

        EXPECT_EQ(result.ok, !otherCommits) << result.message;
        EXPECT_EQ(Count("from PARAGONY"), otherCommits ? 0 : 1);
        if (otherCommits) {
            EXPECT_NE(result.message.find("został już przesłany"_cp), std::string::npos) << result.message;
            Run({"delete from PRZESLANE_ODCZYTY"});
        }
    }
}

// Another workstation's hand-over of the register holds its row: this one waits, then reads the totals the other
// left (its conflict retried), whether the other committed or rolled back.
TEST_F(HandOverTest, HandOverWaitsForTheRegistersRow)
{
    ASSERT_TRUE(SendReadingToTrade(StoreReadout(1, {"$00123\t2\t250"}, 30s)).ok);
    const std::vector<std::string> paths = {StoreReadout(2, {"$00123\t5\t625"}, 10s),
                                            StoreReadout(3, {"$00123\t6\t750"}, 10s)};
    int round = 0;
    for (const bool otherCommits : {true, false}) {
        SCOPED_TRACE(otherCommits);
        const auto started = std::chrono::steady_clock::now();
        const HandOverResult result =
            HandOverWhileAnotherWrites(paths[round++], "update KASY_OKRESY set KASA=KASA where KASA=1", otherCommits);

        EXPECT_TRUE(result.ok) << result.message;
        EXPECT_GE(std::chrono::steady_clock::now() - started, 250ms) << "it waited for the other";
    }
    EXPECT_EQ(Sums()["123"], "6.0000/7.5000");
}

TEST_F(HandOverTest, MissingTriggerAsksForTheAdministrator)
{
    Run({"drop trigger TRI_PARAGONY"});
    const HandOverResult result = SendReadingToTrade(StoreReadout(1, {"$00123\t2\t250"}, 10s));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("wyzwalacz TRI_PARAGONY"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("administrator"), std::string::npos);
    EXPECT_EQ(Count("from ODCZYT"), 0);

    // The structure test puts it back.
    dm->TestStru(false);
    EXPECT_TRUE(dm->JestWyzwalacz("TRI_PARAGONY"));
}

// Only a file the program stored and recorded goes over, unchanged: a renamed copy, a made-up file, an edited file
// or something that is no file is refused by name, and nothing is written.
TEST_F(HandOverTest, FilesThatAreNoRecordedReadoutsAreRefused)
{
    const std::string day = DateText(Today());
    const std::string original = StoreReadout(1, {"$00123\t2\t250"}, 10s);
    const std::string edited = StoreReadout(2, {"$00123\t2\t250"}, 10s);
    SaveText(FileText(edited) + "$00045\t1\t100\r\n", edited);
    fs::copy_file(original, DayDir + "002_" + day + "_001.txt");
    ASSERT_EQ(mkfifo((DayDir + "001_" + day + "_007.txt").c_str(), 0600), 0);
    const std::string longLine = "$00123\t1\t100\t" + std::string(150, 'x');
    SaveText(Header + longLine + "\r\n", DayDir + "001_" + day + "_005.txt");
    SaveText(Header + "$1\t1\x01\t1\r\n", DayDir + "001_" + day + "_006.txt");
    SaveText(Header + "$00123\t1\t99999999999\r\n", DayDir + "009_" + day + "_001.txt");
    const struct {
        std::string name;
        std::string expected;
    } cases[] = {
        {"odczyt.txt", "brak w rejestrze"},
        {"002_" + day + "_001.txt", "brak w rejestrze"}, // register 1's readout renamed for register 2
        {"009_" + day + "_001.txt", "brak w rejestrze"}, // made up, for a register not in COM_DEF
        {fs::path(edited).filename().string(), "różni się"_cp},
        {"001_" + day + "_005.txt", "Wiersz 4"},
        {"001_" + day + "_006.txt", "znaki steruj"},
        {"001_" + day + "_007.txt", "nie jest zwykłym plikiem"_cp}, // a FIFO: refused before it is opened
        {"001_" + day + "_009.txt", "Nie można odczytać"_cp},       // no such file
    };
    SaveText(Header, DayDir + "odczyt.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HandOverResult result = SendReadingToTrade(DayDir + c.name);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.message.find(c.expected), std::string::npos) << result.message;
        EXPECT_NE(result.message.find(c.name), std::string::npos) << result.message;
    }
    EXPECT_EQ(Count("from ODCZYT"), 0);
    EXPECT_EQ(Count("from PARAGONY"), 0);
}

TEST(ReadoutNameTest, KeyHasTwelveCharacters)
{
    const auto name = ParseReadoutName("003_20261210_012.TXT");
    ASSERT_TRUE(name);
    EXPECT_EQ(name->Key(), "003261210012");
    for (const char* bad :
         {"03_20261210_012.txt", "003_20261310_012.txt", "003-20261210_012.txt", "003_2026121a_012.txt"})
        EXPECT_FALSE(ParseReadoutName(bad)) << bad;
}

} // namespace
