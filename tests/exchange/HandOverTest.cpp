// The hand-over of stored readouts to the trade system's tables ODCZYT and PARAGONY, on a throw-away database.
#include "ExchangeFixture.h"

#include "TestSupport.h"
#include "db/Firebird.h"
#include "db/dbDDM.h"
#include "exchange/TradeHandOver.h"
#include "util/Cp1250Literal.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace
{

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string Header = "Kasa nr 1\r\nOdczyt\r\nKod\tIlosc\tWartosc\tNazwa\r\n";

class HandOverTest : public ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        ASSERT_TRUE(testsupport::ConnectDm(database.Path()));
        dm->TestStru(false);
        Run({"insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('123','Chleb','szt',8)",
             "insert into " + GoodsTable + " (asort,nazwa,jm,stawka_vat) values ('45','Ser','kg',23)",
             "insert into " + GoodsTable +
                 " (asort,nazwa,jm,stawka_vat) values ('7','Kiełbasa żywiecka wędzona extra','kg',5)"_cp});
    }
    void TearDown() override
    {
        dm.reset();
        ExchangeTest::TearDown();
    }

    void Run(const std::vector<std::string>& commands)
    {
        ASSERT_TRUE(dm->RunSQLBatch(commands)) << FileText(WorkLog->FileName);
    }

    // Stores a readout of register 01 for today with the goods lines, written `age` before now.
    std::string StoreReadout(int sequence, const std::vector<std::string>& goods, std::chrono::seconds age)
    {
        const std::string path = DayDir + "001_" + DateText(Today()) + "_" + IntToStrPad(sequence, 3, "0") + ".txt";
        std::string text = Header;
        for (const auto& line : goods)
            text += line + "\r\n";
        SaveText(text, path);
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
        return path;
    }
    // The sales report that the program stores at a counter reset, written `age` before now.
    void StoreResetReport(std::chrono::seconds age, const std::string& name = {})
    {
        const std::string folder = DayDir + "Zerowania";
        EnsureDir(folder);
        const std::string path = folder + "/" + (name.empty() ? std::to_string(age.count()) + ".txt" : name);
        SaveText("RAPORT SPRZEDAŻY TOWARÓW\r\n"_cp, path);
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
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

    testsupport::TempDatabase database{demodb::Content::Schema};
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
    const Expected expected[] = {
        {"123", "123", "Chleb", "2", "8.00", "2.0000", "2.5000", "1.2500"},
        {"7", "7", "Kiełbasa żywiecka wędzon"_cp, "3", "5.00", "1.5000", "29.9900", "19.9933"},
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
    StoreResetReport(15s);
    const std::string after = StoreReadout(3, {"$00123\t1\t125"}, 10s);
    const HandOverResult third = SendReadingToTrade(after);
    ASSERT_TRUE(third.ok) << third.message;
    EXPECT_EQ(Sums()["123"], "6.0000/7.5000");
}

// Only the report of a reset that took place marks a reset. The report of a failed reset and a temporary file left
// by an interrupted write do not: counted as resets, they would send the sales of the earlier readout again.
TEST_F(HandOverTest, OnlyResetsThatTookPlaceCount)
{
    const std::string report = "001_" + DateText(Today()) + "_001.txt";
    const struct {
        std::string name;
        const char* sum;
    } cases[] = {
        {report, "7.0000/8.7500"}, // whole, after the reset
        {NotResetReportName(report), "5.0000/6.2500"},
        {"." + report + ".4242.0badf00d.tmp", "5.0000/6.2500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Run({"delete from PARAGONY", "delete from ODCZYT", "delete from PRZESLANE_ODCZYTY"});
        fs::remove_all(DayDir);
        EnsureDir(DayDir);
        ASSERT_TRUE(SendReadingToTrade(StoreReadout(1, {"$00123\t2\t250"}, 30s)).ok);
        StoreResetReport(15s, c.name);

        const HandOverResult result = SendReadingToTrade(StoreReadout(2, {"$00123\t5\t625"}, 10s));

        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(Sums()["123"], c.sum);
    }
}

TEST_F(HandOverTest, SmallerTotalWithoutAKnownResetIsRefused)
{
    ASSERT_TRUE(SendReadingToTrade(StoreReadout(1, {"$00123\t5\t625"}, 20s)).ok);
    // Counters reset at the register itself: the program saw no reset.
    const std::string path = StoreReadout(2, {"$00123\t1\t125"}, 10s);

    const HandOverResult result = SendReadingToTrade(path);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(status.Last().error);
    EXPECT_NE(status.Last().text.find("jest mniejsza niż"_cp), std::string::npos) << status.Last().text;
    EXPECT_EQ(Count("from PARAGONY"), 1);
    EXPECT_EQ(Count("from ODCZYT where PLIK = '" + fs::path(path).filename().string() + "'"), 0);
    EXPECT_EQ(Count("from PRZESLANE_ODCZYTY"), 1);
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

// Two workstations hand over two readouts of one register at once: both would count from the same earlier
// readout, so the later one waits for the other and is refused; once the other is rolled back, it goes over.
TEST_F(HandOverTest, TwoReadoutsOfOneRegisterAreNotCountedFromTheSameReadout)
{
    ASSERT_TRUE(SendReadingToTrade(StoreReadout(1, {"$00123\t2\t250"}, 30s)).ok);
    const std::string path = StoreReadout(3, {"$00123\t5\t625"}, 10s);
    for (const bool otherCommits : {true, false}) {
        SCOPED_TRACE(otherCommits);
        // The other workstation's hand-over of readout 2, in the middle of its transaction.
        const HandOverResult result =
            HandOverWhileAnotherWrites(path, "update PRZESLANE_ODCZYTY set LINIE=LINIE where KASA=1", otherCommits);

        EXPECT_EQ(result.ok, !otherCommits) << result.message;
        EXPECT_EQ(Count("from PRZESLANE_ODCZYTY"), otherCommits ? 1 : 2);
    }
    EXPECT_EQ(Sums()["123"], "5.0000/6.2500");
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

TEST_F(HandOverTest, FilesThatAreNoReadoutsAreRefused)
{
    const std::string longLine = "$00123\t1\t100\t" + std::string(150, 'x');
    const struct {
        std::string name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"odczyt.txt", Header, "nie jest odczytem kasy"},
        {"001_" + DateText(Today()) + "_001.txt", Header + longLine + "\r\n", "Wiersz 4"},
        {"001_" + DateText(Today()) + "_002.txt", Header + "$1\t1\x01\t1\r\n", "znaki steruj"},
        {"001_" + DateText(Today()) + "_003.txt", Header + "$1\t1" + std::string(20, '0') + "\t1\r\n", "poza zakresem"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SaveText(c.text, DayDir + c.name);
        const HandOverResult result = SendReadingToTrade(DayDir + c.name);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.message.find(c.expected), std::string::npos) << result.message;
    }
    EXPECT_FALSE(SendReadingToTrade(DayDir + "001_" + DateText(Today()) + "_009.txt").ok); // no such file
    EXPECT_EQ(Count("from ODCZYT"), 0);
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
