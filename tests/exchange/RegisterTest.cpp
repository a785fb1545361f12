// Register operations against the stand-in library that need no database: the goods list, deletion of goods,
// the counter reset and the readout's failures.
#include "SimulatorHelpers.h"

#include "Faults.h"
#include "TestSupport.h"
#include "db/dbDDM.h"
#include "exchange/CallRunner.h"
#include "exchange/ReadoutLedger.h"
#include "util/Cp1250Literal.h"

#include <filesystem>

namespace
{

namespace fs = std::filesystem;

bool Exists(const std::string& path)
{
    return fs::exists(path);
}

// The operations below report their transmission time; a fixed clock makes it 0 seconds however slow the machine.
void FixClock()
{
    SetClock([] { return DateTime{{2024, 3, 26}, {14, 5, 9, 0}}; });
}

int FilesIn(const std::string& directory)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(directory))
        ++count;
    return count;
}

// ---- register goods list

TEST_F(ExchangeTest, GoodsListShowsTheResponseUnchanged)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(1, "Chleb", 1, 250), GoodsRecord(7, "Mleko", 2, 319)}), 0);
    status.shown.clear();
    CreateErrorReport();

    module.WczytajTowary();

    EXPECT_EQ(ExchangeResult, 0);
    std::vector<std::string> response;
    ASSERT_TRUE(ReadLines(app + "/Out/TowarMax.out", response));
    EXPECT_EQ(view.memo1, response);
    ASSERT_GE(response.size(), 2u);
    EXPECT_NE(response[response.size() - 2].find("Chleb"), std::string::npos);
    EXPECT_NE(response.back().find("Mleko"), std::string::npos);
    EXPECT_EQ(status.shown.front().text, "Wczytywanie danych");
    EXPECT_EQ(status.Last().text, "Wczytano wykaz towarów kasy 01: 2 towary"_cp);
    EXPECT_TRUE(status.Errors().empty());
    EXPECT_TRUE(ErrorReportLines().empty());
    EXPECT_EQ(FileText(app + "/In/TowarMax.in"), "#1\r\n#\r\n#\r\n");
}

TEST_F(ExchangeTest, FailedGoodsListClearsThePreviousListAndSaysSo)
{
    ASSERT_EQ(Sim("fail 1 TowarMax 23"), 0);
    CreateErrorReport();

    module.WczytajTowary();

    EXPECT_EQ(ExchangeResult, 23);
    EXPECT_TRUE(view.memo1.empty());
    ASSERT_EQ(status.Errors().size(), 1u);
    EXPECT_EQ(status.Errors()[0].text, "Nie wczytano wykazu towarów kasy 01: "_cp + AnnouncedError("TowarMax", 23));
    EXPECT_TRUE(status.Last().error);
    ASSERT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_TRUE(ErrorReportLines()[0].ends_with(": " + AnnouncedError("TowarMax", 23)));
}

// ---- deletion

TEST_F(ExchangeTest, DeletionWithNothingPickedMakesNoCall)
{
    module.aKasujTowarExecute();
    EXPECT_EQ(status.Last().text, "Brak zaznaczonych pozycji");
    EXPECT_TRUE(status.Last().error);
    EXPECT_FALSE(Exists(app + "/In/KTowar.in"));
}

TEST_F(ExchangeTest, DeletionStopsAtTheFirstError)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(1, "Chleb", 1, 250), GoodsRecord(3, "Ser", 1, 990)}), 0);
    CreateErrorReport();
    // The register does not hold good 2.
    view.picked = {{0, "1"}, {1, "2"}, {2, "3"}};

    module.aKasujTowarExecute();

    EXPECT_EQ(ExchangeResult, 110);
    const std::string announced = AnnouncedError("KTowar", 110);
    EXPECT_EQ(announced, "[KTowar] Error 110 : Kasa nie ma takiego towaru");
    ASSERT_EQ(status.Errors().size(), 1u);
    EXPECT_EQ(status.Errors()[0].text, announced + "; Skasowano w kasie 01 1 towar z 3 zaznaczonych: 00001");
    ASSERT_EQ(view.picked.size(), 2u);
    EXPECT_EQ(view.picked[0].row, 1);
    EXPECT_EQ(view.picked[1].row, 2);
    EXPECT_EQ(FileText(app + "/In/KTowar.in"), "#1\r\n#\r\n#\r\n$00002\r\n");
    ASSERT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_TRUE(ErrorReportLines()[0].ends_with(": " + announced)) << ErrorReportLines()[0];

    module.WczytajTowary();
    ASSERT_GE(view.memo1.size(), 1u);
    EXPECT_EQ(view.memo1.back().substr(0, 6), "$00003");
    EXPECT_EQ(view.memo1[view.memo1.size() - 2].substr(0, 3), "Kod");
}

TEST_F(ExchangeTest, DeletionOfAGoodWithoutANumberMakesNoCall)
{
    view.picked = {{4, "12A"}};
    module.aKasujTowarExecute();
    EXPECT_EQ(ExchangeResult, WinIPBadGoodsCode);
    EXPECT_EQ(
        status.Last().text,
        "[KTowar] Error 251 : Kod towaru nie jest liczbą: 12A; Skasowano w kasie 01 0 towarów z 1 zaznaczonych"_cp);
    EXPECT_EQ(view.picked.size(), 1u);
    EXPECT_EQ(FileText(app + "/In/KTowar.in"), "#1\r\n#\r\n#\r\n");
}

TEST_F(ExchangeTest, DeletionOfAllGoodsIsOneCallWithTheHeaderOnly)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(1, "Chleb", 1, 250)}), 0);
    module.aKasujWszystkieTowaryExecute();
    EXPECT_EQ(ExchangeResult, 0);
    EXPECT_EQ(FileText(app + "/In/KTowMax.in"), "#1\r\n#\r\n#\r\n");
    EXPECT_EQ(status.Last().text, "Skasowano wszystkie towary w kasie 01");
    EXPECT_FALSE(status.Last().error);

    module.WczytajTowary();
    EXPECT_EQ(view.memo1.back().substr(0, 3), "Kod");
}

// ---- counter reset

// The counter reset records its sales report in the database's ledger of stored readouts before it zeroes anything,
// so it runs with a database.
using CounterResetTest = DatabaseExchangeTest;

TEST_F(CounterResetTest, CounterResetClearsTheTotals)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);
    status.shown.clear();
    CreateErrorReport();
    FixClock();

    module.aZerujLicznikiExecute();

    EXPECT_EQ(ExchangeResult, 0);
    ASSERT_EQ(view.memo.size(), 2u);
    EXPECT_EQ(view.memo[0], "Czas transmisji: 0 sek.");
    EXPECT_EQ(view.memo[1], "Start:14:05:09");
    EXPECT_EQ(status.Last().text, "");
    EXPECT_TRUE(status.Errors().empty());
    EXPECT_TRUE(ErrorReportLines().empty());

    module.aOtSpMaxExecute();
    std::vector<std::string> totals;
    ASSERT_TRUE(ReadLines(ResponseFile, totals));
    EXPECT_EQ(totals.size(), 3u) << "no sales after the reset";
}

// The sales report that comes before a reset is stored, never overwritten, and never shown among the readouts.
TEST_F(CounterResetTest, CounterResetStoresTheSalesReportFirst)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    const std::string folder = DayDir + "Zerowania/";
    const std::string prefix = folder + "001_" + DateText(Today()) + "_";
    std::vector<std::string> reports;
    for (int round = 1; round <= 2; ++round) {
        ASSERT_EQ(Sim("sell 1 123 " + std::to_string(round)), 0);
        module.aZerujLicznikiExecute();
        ASSERT_EQ(ExchangeResult, 0);
        reports.push_back(FileText(app + "/Out/OSprzed.out"));
    }
    EXPECT_EQ(ResetReportsDir(), folder);
    EXPECT_NE(reports[0], reports[1]);
    EXPECT_NE(reports[0].find("$00123"), std::string::npos);
    EXPECT_EQ(FileText(prefix + "001.txt"), reports[0]);
    EXPECT_EQ(FileText(prefix + "002.txt"), reports[1]);
    std::vector<std::string> readouts;
    EXPECT_EQ(ListFiles(readouts, DayDir, "*.txt"), 0);
    EXPECT_TRUE(status.Errors().empty());
}

// A report that cannot be stored stops the reset: the sales stay in the register.
TEST_F(CounterResetTest, CounterResetWithoutAStoredReportKeepsTheTotals)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);
    testsupport::PutFileWhereFolderMustBe(DayDir + "Zerowania");
    CreateErrorReport();
    status.shown.clear();

    module.aZerujLicznikiExecute();

    EXPECT_EQ(ExchangeResult, 252);
    const std::string announced = "[OSprzed] Error 252 : Nie zapisano pliku " + DayDir + "Zerowania/001_" +
                                  DateText(Today()) + "_001.txt (nie można utworzyć folderu "_cp + DayDir +
                                  "Zerowania/: w miejscu folderu jest plik)";
    ASSERT_EQ(status.Errors().size(), 1u);
    EXPECT_EQ(status.Errors()[0].text, announced);
    EXPECT_TRUE(status.Last().error);
    ASSERT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_TRUE(ErrorReportLines()[0].ends_with(": " + announced));
    EXPECT_NE(FileText(WorkLog->FileName).find(announced), std::string::npos);
    EXPECT_FALSE(Exists(app + "/In/KSprOp.in")) << "no reset requested";
    EXPECT_TRUE(fs::is_regular_file(DayDir + "Zerowania"));

    module.aOtSpMaxExecute();
    std::vector<std::string> totals;
    ASSERT_TRUE(ReadLines(ResponseFile, totals));
    EXPECT_EQ(totals.size(), 4u) << "the sale is still there";
}

struct ResetFailureCase {
    const char* function;
    int code;
    bool secondCall;
};

class CounterResetFailureTest : public CounterResetTest, public ::testing::WithParamInterface<ResetFailureCase>
{
};

TEST_P(CounterResetFailureTest, KeepsTheTotals)
{
    const auto& c = GetParam();
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);
    ASSERT_EQ(Sim(std::string("fail 1 ") + c.function + " " + std::to_string(c.code)), 0);
    status.shown.clear();
    CreateErrorReport();
    FixClock();

    module.aZerujLicznikiExecute();

    EXPECT_EQ(ExchangeResult, c.code);
    const std::string announced = AnnouncedError(c.function, c.code);
    ASSERT_EQ(status.Errors().size(), 1u);
    EXPECT_EQ(status.Errors()[0].text, announced);
    ASSERT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_TRUE(ErrorReportLines()[0].ends_with(": " + announced));
    EXPECT_EQ(Exists(app + "/In/KSprOp.in"), c.secondCall);
    const std::string start = "Start:14:05:09";
    const std::vector<std::string> expectedMemo =
        c.secondCall ? std::vector<std::string>{"Czas transmisji: 0 sek.", start} : std::vector<std::string>{start};
    EXPECT_EQ(view.memo, expectedMemo);

    module.aOtSpMaxExecute();
    std::vector<std::string> totals;
    ASSERT_TRUE(ReadLines(ResponseFile, totals));
    EXPECT_EQ(totals.size(), 4u) << "the sale is still there";
}

void PrintTo(const ResetFailureCase& c, std::ostream* os)
{
    *os << c.function << " " << c.code;
}

INSTANTIATE_TEST_SUITE_P(Steps, CounterResetFailureTest,
                         ::testing::Values(ResetFailureCase{"OSprzed", 3, false}, ResetFailureCase{"KSprOp", 24, true}),
                         [](const auto& info) { return std::string(info.param.function); });

// A reset that fails after its report was stored keeps the report as an ordinary readout of the period: nothing is
// closed, and its number is not given again.
TEST_F(CounterResetTest, FailedResetClosesNothing)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);
    ASSERT_EQ(testsupport::PlanRegisterFault(1, "KSprOp", 24), 0);
    const std::string folder = DayDir + "Zerowania/";
    const std::string prefix = "001_" + DateText(Today()) + "_";

    const ResetResult failed = module.aZerujLicznikiExecute();

    ASSERT_EQ(ExchangeResult, 24);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.reportFile, folder + prefix + "001.txt");
    EXPECT_EQ(FileText(failed.reportFile), FileText(app + "/Out/OSprzed.out"));
    ASSERT_EQ(status.Errors().size(), 1u) << "only the failed call is announced";
    EXPECT_EQ(status.Errors()[0].text, AnnouncedError("KSprOp", 24));

    const ResetResult done = module.aZerujLicznikiExecute();

    ASSERT_EQ(ExchangeResult, 0);
    EXPECT_EQ(done.reportFile, folder + prefix + "002.txt");
    const std::vector<LedgerEntry> rows = RegisterEntries(1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kind, LedgerKind::ResetReport);
    EXPECT_FALSE(rows[0].periodEnd) << "the failed reset closed nothing";
    EXPECT_TRUE(rows[1].periodEnd);
    EXPECT_EQ(rows[0].period, rows[1].period);
}

// Without the ledger's tables the sales a reset zeroes could not be handed over: no register call is made.
TEST_F(ExchangeTest, CounterResetWithoutTheLedgerIsRefused)
{
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);
    testsupport::TempDatabase database{demodb::Content::Schema};
    ASSERT_TRUE(testsupport::ConnectDm(database.Path()));

    const ResetResult result = module.aZerujLicznikiExecute();

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(status.Last().error);
    EXPECT_NE(status.Last().text.find("Zaloguj się jako administrator"_cp), std::string::npos) << status.Last().text;
    EXPECT_FALSE(Exists(app + "/In/OSprzed.in")) << "no call";
    dm.reset();
}

// ---- readout failures

TEST_F(ExchangeTest, FailedReadoutStoresNothingAndKeepsTheStartLine)
{
    ASSERT_EQ(Sim("fail 1 OTSpMax 23"), 0);
    CreateErrorReport();
    FixClock();

    module.ElzabSprz();

    EXPECT_EQ(ExchangeResult, 23);
    ASSERT_EQ(view.memo.size(), 2u);
    EXPECT_EQ(view.memo[0], "Czas transmisji: 0 sek.");
    EXPECT_EQ(view.memo[1], "Start 14:05:09");
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_EQ(FilesIn(DayDir), 0);
}

TEST_F(ExchangeTest, ReplayWithoutAResponseDoesNothing)
{
    SaveText("", work + "/test.DAT");
    view.memo = {"stary raport"};

    module.ElzabSprz();

    EXPECT_EQ(ExchangeResult, 0);
    EXPECT_TRUE(view.memo.empty());
    EXPECT_EQ(FilesIn(DayDir), 0);
    EXPECT_FALSE(Exists(app + "/In/OTSpMax.in")) << "no call";
}

// A replayed response is a support tool: shown marked as a test, never stored as the register's readout, and no
// counter reset may follow it.
TEST_F(ExchangeTest, ReplayIsShownAsATestAndNeitherStoredNorFollowedByAReset)
{
    // Without the library any call would fail: the replay makes none.
    fs::remove(app + "/libWinIP.so");
    SaveText("", work + "/TEST.DAT");
    const std::string response = "Kasa nr 1\r\nOdczyt\r\nKod\tIlosc\r\n";
    SaveText(response, app + "/Out/OTSpMax.out");

    const ReadoutResult result = module.ElzabSprz();

    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.test);
    EXPECT_TRUE(result.storedFile.empty());
    ASSERT_FALSE(view.memo.empty());
    EXPECT_EQ(view.memo[0].rfind("TEST:", 0), 0u) << view.memo[0];
    EXPECT_EQ(FilesIn(DayDir), 0);

    const ResetResult reset = module.aZerujLicznikiExecute();
    EXPECT_FALSE(reset.ok);
    EXPECT_TRUE(status.Last().error);
    EXPECT_NE(status.Last().text.find("Test.dat"), std::string::npos);
}

TEST_F(ExchangeTest, ReportOfAFileThatCannotBeReadIsAnError)
{
    try {
        module.WCzytaj(root + "/brak.txt");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Nie można odczytać pliku "_cp + root + "/brak.txt");
    }
}

TEST_F(ExchangeTest, ReadoutButtonsComeBackAfterAnUnexpectedError)
{
    view.failMemoInsert = true;
    EXPECT_THROW(module.ElzabSprz(), std::runtime_error);
}

TEST_F(ExchangeTest, GoodsListClosesTheReportAndSaysItFailedAfterAnUnexpectedError)
{
    CreateErrorReport();
    view.failRegisterGoods = true;
    EXPECT_THROW(module.WczytajTowary(), std::runtime_error);
    EXPECT_EQ(ErrorReport.handle, nullptr);
    EXPECT_EQ(status.Last().text.rfind("Nie wczytano wykazu towarów kasy 01: "_cp, 0), 0u) << status.Last().text;
    EXPECT_TRUE(status.Last().error);
}

} // namespace
