// The goods export to the register (through the stand-in library) and to the Eureka file.
#include "catalogue/CatalogueFixture.h"
#include "exchange/ExchangeFixture.h"

#include "Faults.h"

#include "catalogue/GoodsRecord.h"
#include "catalogue/SentStore.h"
#include "exchange/CallRunner.h"
#include "exchange/ExportView.h"
#include "util/Cp1250Literal.h"

#include <cstdlib>
#include <functional>
#include <optional>
#include <set>

namespace
{

const std::string Skipped = " nieaktywny lub brak w kartotece - pominięty"_cp;

class FakeExportPage : public IExportPage
{
public:
    bool FullData() const override { return fullData; }
    bool StopOnFirstError() const override { return stopOnFirstError; }
    std::string EurekaFileName() const override
    {
        if (onFileName)
            onFileName();
        return eurekaFile;
    }
    void ShowProgress(std::size_t done, std::size_t total, const std::string& symbol) override
    {
        progress.push_back(std::to_string(done) + " / " + std::to_string(total));
        progressSymbols.push_back(symbol);
    }
    void UntickGroups() override { ++unticked; }
    // The operator stops the export once this many goods have been handled.
    bool StopRequested() const override { return stopAfter >= 0 && progress.size() >= size_t(stopAfter); }

    bool fullData = true;
    bool stopOnFirstError = false;
    std::string eurekaFile;
    std::function<void()> onFileName; // runs when the export asks for the file name, right before writing it
    std::vector<std::string> progress;
    std::vector<std::string> progressSymbols;
    int unticked = 0;
    int stopAfter = -1;
};

// Runs each library call directly and counts the calls.
class CountingRunner : public ICallRunner
{
public:
    void Run(const std::function<void()>& call) override
    {
        ++runs;
        call();
    }
    int runs = 0;
};

class ExportTest : public ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        log = std::make_unique<testsupport::WorkLogCapture>();
        ASSERT_TRUE(testsupport::ConnectDm(db.Path()));
        dm->TestStru(false);
        GroupFilter.clear();
        LockFilter.clear();
        SelectionFilter.clear();
        PriceField = "CENA_1";
        PriceColumn = 2;
        dmu = std::make_unique<Tdmu>();
        dmu->goodsPage = &goodsPage;
        module.exportPage = &exportPage;
        CreateErrorReport();
    }

    void TearDown() override
    {
        dmu.reset();
        dm->CloseConnection();
        log.reset();
        ExchangeTest::TearDown();
    }

    // Goods 1..count of groups A (odd) and B (even), selected in this order.
    void SelectGoods(int count)
    {
        for (int i = 1; i <= count; ++i) {
            InsertGood(std::to_string(i), "Towar " + std::to_string(i), i % 2 ? "A" : "B", 0,
                       std::to_string(i) + ".50");
            InsertLock(std::to_string(i), 0, 1);
        }
    }

    // The goods records the simulated register 1 holds.
    std::vector<std::string> RegisterGoods() const
    {
        std::vector<std::string> lines;
        ReadLines(root + "/sym/kasa01/towary.txt", lines);
        return lines;
    }
    std::set<std::string> RegisterCodes() const
    {
        std::set<std::string> codes;
        for (const std::string& line : RegisterGoods())
            codes.insert(line.substr(0, line.find('\t')));
        return codes;
    }
    std::vector<std::string> ErrorLinesWith(const std::string& text) const
    {
        std::vector<std::string> found;
        for (const std::string& line : ErrorReportLines())
            if (line.find(text) != std::string::npos)
                found.push_back(line);
        return found;
    }

    // How a summary with goods not sent ends: the error report's name.
    static std::string ReportNamed() { return " - szczegóły w raporcie błędów "_cp + ErrorReportFile; }

    testsupport::TempDatabase db{demodb::Content::Schema};
    testsupport::FakeScreen screen;
    std::unique_ptr<testsupport::WorkLogCapture> log;
    FakeGoodsPage goodsPage;
    FakeExportPage exportPage;
};

TEST_F(ExportTest, EverySelectedGoodIsSentFromItsOwnRowOneRecordPerCall)
{
    SelectGoods(3);
    InsertGood("4", "Nie wybrany", "B");
    InsertLock("4", 0, 0);
    InsertGood("9", "Nieaktywny", "A", 1);
    InsertLock("9", 0, 1);
    InsertLock("777", 0, 1); // not in the catalogue at all
    GroupFilter = " ( k.grupa='A' )";
    dmu->OpenGoods(); // the view shows goods 1 and 3; good 2 is hidden by the group filter

    module.aExpoTowarExecute();

    EXPECT_EQ(RegisterCodes(), (std::set<std::string>{"$00001", "$00002", "$00003"}));
    const std::vector<std::string> held = RegisterGoods();
    ASSERT_EQ(held.size(), 3u);
    EXPECT_EQ(held[1], "$00002\tTowar 2            \t1\t1\t3\t1\t0\t0000000000000\t250\t0");
    for (const char* symbol : {"1", "2", "3", "9", "777"})
        EXPECT_EQ(LockFlags(symbol), "0,0") << symbol;
    EXPECT_EQ(LockFlags("4"), "0,0");

    // Each request held the header and its own good only.
    std::vector<std::string> request;
    ASSERT_TRUE(ReadLines(RequestFile, request));
    EXPECT_EQ(RequestFile, app + "/In/ZTowar.in");
    ASSERT_EQ(request.size(), 4u);
    EXPECT_EQ(request[0], "#1");
    EXPECT_EQ(request[3], "$00003\tTowar 3            \t1\t1\t3\t1\t0\t0000000000000\t350\t0"); // the last one sent

    EXPECT_EQ(ErrorLinesWith("Towar 9" + Skipped).size(), 1u);
    EXPECT_EQ(ErrorLinesWith("Towar 777" + Skipped).size(), 1u);
    // The run ends on its summary; the goods skipped are counted and named as not sent.
    const std::string summary = "Eksport zakończony: wysłano 3 z 5, nie wysłano 2 (9: nieaktywny lub brak w kartotece; "
                                "777: nieaktywny lub brak w "
                                "kartotece)"_cp +
                                ReportNamed();
    EXPECT_EQ(status.Errors().size(), 3u);
    EXPECT_EQ(status.Last().text, summary);
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(ErrorLinesWith(summary).size(), 1u);
    EXPECT_EQ(ExchangeResult, 0); // no call failed
    EXPECT_EQ(exportPage.progress.back(), "5 / 5");
    EXPECT_EQ(exportPage.unticked, 1);
    EXPECT_EQ(GroupFilter, "");

    // The view follows in place: the rows shown lose their mark, nothing is re-read.
    EXPECT_EQ(goodsPage.reopened, 1);
    EXPECT_EQ(goodsPage.changed.size(), 2u);
    for (int row = 0; row < dmu->SDSTowary.RecordCount(); ++row)
        EXPECT_EQ(dmu->SDSTowary.At(row, "wybor").AsInteger(), 0);
}

TEST_F(ExportTest, PriceOnlyExportChangesThePricesTheRegisterHolds)
{
    SelectGoods(2);
    module.aExpoTowarExecute(); // full data: the register learns both goods
    ASSERT_EQ(RegisterCodes(), (std::set<std::string>{"$00001", "$00002"}));
    ASSERT_TRUE(dm->RunSQL("update " + GoodsTable + " set cena_1=cena_1+10"));
    ASSERT_TRUE(dm->RunSQL("update " + GoodsTable + " set nazwa='Nowa nazwa' where asort='2'"));
    ASSERT_TRUE(dm->RunSQL("update blok_cen set wybor=1"));
    status.shown.clear();
    exportPage.fullData = false; // the page's default

    module.aExpoTowarExecute();

    EXPECT_EQ(RequestFile, app + "/In/ZCTowar.in");
    EXPECT_EQ(RegisterGoods(), (std::vector<std::string>{
                                   "$00001\tTowar 1            \t1\t1\t3\t1\t0\t0000000000000\t1150\t0",
                                   "$00002\tTowar 2            \t1\t1\t3\t1\t0\t0000000000000\t1250\t0",
                               })); // new prices; the names stay as the full export sent them
    // Good 1 changed its price only: done. Good 2's new name never reached the register: it is named in red,
    // keeps its mark, and stays "changed" for the memory.
    EXPECT_EQ(LockFlags("1"), "0,0");
    EXPECT_EQ(LockFlags("2"), "0,1");
    EXPECT_EQ(ErrorLinesWith("Towar 2: cena wysłana; w kasie inna nazwa - wyślij pełne dane"_cp).size(), 1u);
    EXPECT_EQ(status.Last().text,
              "Eksport zakończony: wysłano 1 z 2, cena wysłana, ale w kasie inne dane - wyślij pełne dane: 1 (2)"_cp +
                  ReportNamed());
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(LoadSentMemory(CurrentRegisterId).at(2).line,
              "$00002\tTowar 2            \t1\t1\t3\t1\t0\t0000000000000\t1250\t0");
}

struct StopCase {
    const char* name;
    bool stop;
    const char* fault; // planned with winip-sim, or empty
    std::set<std::string> held;
    std::vector<std::string> flags; // of goods 1..5 afterwards
    size_t errorLines;
    int result;          // ExchangeResult at the end
    std::string summary; // the last status line, before " - szczegóły w raporcie błędów ..."
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.name;
}

class ExportStops : public ExportTest, public ::testing::WithParamInterface<StopCase>
{
};

TEST_P(ExportStops, AtTheFirstErrorOnlyWhenAsked)
{
    SelectGoods(5);
    // A price lock the register refuses (105); the catalogue's own values would not even be sent.
    ASSERT_TRUE(dm->RunSQL("update blok_cen set blok=2 where asort='2'"));
    if (*GetParam().fault) {
        ASSERT_EQ(std::system((BinDir() + "/winip-sim fail 1 " + GetParam().fault + " >/dev/null").c_str()), 0);
    }
    exportPage.stopOnFirstError = GetParam().stop;
    exportPage.fullData = true;

    module.aExpoTowarExecute();

    EXPECT_EQ(RegisterCodes(), GetParam().held);
    std::vector<std::string> flags;
    for (const char* symbol : {"1", "2", "3", "4", "5"})
        flags.push_back(LockFlags(symbol));
    EXPECT_EQ(flags, GetParam().flags);
    EXPECT_EQ(ErrorLinesWith("[ZTowar] Error").size(), GetParam().errorLines);
    EXPECT_EQ(ExchangeResult, GetParam().result);
    // The failure is not overwritten by the green lines of the goods after it.
    EXPECT_EQ(status.Last().text, GetParam().summary + ReportNamed());
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(ErrorLinesWith(GetParam().summary + ReportNamed()).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ExportStops,
    ::testing::Values(
        // Goods that were not sent keep their selection, so that they can be sent again.
        StopCase{
            "stop",
            true,
            "",
            {"$00001"},
            {"0,0", "2,1", "0,1", "0,1", "0,1"},
            1,
            105,
            "Eksport zakończony: wysłano 1 z 5, nie wysłano 4 (2: Błędny znacznik blokady ceny (dozwolone 0 lub 1)), "
            "zatrzymany po błędzie"_cp},
        StopCase{
            "go on",
            false,
            "",
            {"$00001", "$00003", "$00004", "$00005"},
            {"0,0", "2,1", "0,0", "0,0", "0,0"},
            1,
            105,
            "Eksport zakończony: wysłano 4 z 5, nie wysłano 1 (2: Błędny znacznik blokady ceny (dozwolone 0 lub 1))"_cp},
        StopCase{
            "every call failing",
            false,
            "ZTowar 24 zawsze",
            {},
            {"0,1", "2,1", "0,1", "0,1", "0,1"},
            5,
            24,
            "Eksport zakończony: wysłano 0 z 5, nie wysłano 5 (1: Kasa odrzuciła polecenie (NAK); 2: Kasa odrzuciła "
            "polecenie (NAK); 3: Kasa odrzuciła polecenie (NAK); 4: Kasa odrzuciła polecenie "
            "(NAK); 5: Kasa odrzuciła polecenie (NAK))"_cp}));

// A request folder that cannot be written (a file where it must be): no call is made, so a request left by an
// earlier run can never reach the register, and no good loses its selection.
TEST_F(ExportTest, UnwritableRequestSendsNothingAndKeepsTheSelection)
{
    SelectGoods(2);
    testsupport::PutFileWhereFolderMustBe(app + "/In");

    module.aExpoTowarExecute();

    EXPECT_TRUE(RegisterGoods().empty());
    EXPECT_EQ(LockFlags("1"), "0,1");
    EXPECT_EQ(LockFlags("2"), "0,1");
    EXPECT_EQ(ExchangeResult, 252);
    const std::string failed =
        "[ZTowar] Error 252 : Nie zapisano pliku " + app + "/In/ZTowar.in (w miejscu folderu jest plik)";
    EXPECT_EQ(ErrorLinesWith(failed).size(), 2u);
    // The summary names each good with its reason, cut to 60 characters.
    const std::string reason = ("Nie zapisano pliku " + app + "/In/ZTowar.in").substr(0, 57) + "...";
    const std::string summary =
        "Eksport zakończony: wysłano 0 z 2, nie wysłano 2 (1: "_cp + reason + "; 2: " + reason + ")" + ReportNamed();
    EXPECT_EQ(status.Last().text, summary);
    EXPECT_TRUE(status.Last().error);
    for (const auto& shown : status.shown)
        EXPECT_TRUE(shown.error || shown.text.empty()) << shown.text; // never a green line
    EXPECT_NE(log->Text().find(failed), std::string::npos);
}

// A price the register cannot take is never sent, nor written for Eureka: the good is named in red and keeps its
// selection.
TEST_F(ExportTest, PricesOutsideTheRegistersRangeAreRefused)
{
    InsertGood("1", "Dobra", "A", 0, "9999999.99");
    InsertGood("2", "Za droga", "A", 0, "10000000.00");
    InsertGood("3", "Ujemna", "A", 0, "-1.50");
    for (const char* symbol : {"1", "2", "3"})
        InsertLock(symbol, 0, 1);
    const std::string Range = " poza zakresem kasy 0.00 - 9999999.99 - nie wysłany"_cp;
    const std::vector<std::string> refused = {"Towar 2: cena 10000000.00" + Range, "Towar 3: cena -1.50" + Range};

    module.aExpoTowarExecute();

    EXPECT_EQ(RegisterCodes(), std::set<std::string>{"$00001"});
    EXPECT_EQ(RegisterGoods()[0].substr(RegisterGoods()[0].rfind('\t', RegisterGoods()[0].size() - 3)),
              "\t999999999\t0");
    EXPECT_EQ(LockFlags("1"), "0,0");
    EXPECT_EQ(LockFlags("2"), "0,1");
    EXPECT_EQ(LockFlags("3"), "0,1");
    EXPECT_EQ(ExchangeResult, 106);
    for (const std::string& text : refused) {
        EXPECT_EQ(ErrorLinesWith(text).size(), 1u) << text;
        EXPECT_NE(log->Text().find(text), std::string::npos) << text;
    }
    EXPECT_EQ(status.Errors()[0].text, refused[0]);
    EXPECT_EQ(status.Errors()[1].text, refused[1]);
    EXPECT_TRUE(status.Last().error);

    // The same goods for Eureka: only the good with a fitting price is written and unselected.
    dm->RunSQL("update blok_cen set wybor=1");
    status.shown.clear();
    exportPage.eurekaFile = DataDir + "Towary.txt";
    module.aExpoTowarEureka();
    EXPECT_EQ(FileText(exportPage.eurekaFile),
              "$00001\tDobra              \t1\t1\t3\t1\t0\t0000000000000\t999999999\t0\r\n");
    EXPECT_EQ(LockFlags("1"), "0,0");
    EXPECT_EQ(LockFlags("2"), "0,1");
    EXPECT_EQ(LockFlags("3"), "0,1");
    EXPECT_EQ(ExchangeResult, 106);
    ASSERT_GE(status.Errors().size(), 3u);
    EXPECT_EQ(status.Errors()[0].text, refused[0]);
    EXPECT_EQ(status.Errors()[1].text, refused[1]);
}

// The Eureka file on a full disk: the previous file stays whole, no temporary or cut file is left, and every
// selection stays for another try.
TEST_F(ExportTest, EurekaFileOnAFullDiskKeepsThePreviousFile)
{
    SelectGoods(3);
    exportPage.eurekaFile = DataDir + "Towary.txt";
    const std::string previous = "$00009\tPoprzedni          \t1\t1\t3\t1\t0\t0000000000000\t100\t0\r\n";
    SaveText(previous, exportPage.eurekaFile);
    {
        // The disk fills up once the goods have been read from the database, as the file is written.
        std::optional<testsupport::FileSizeLimit> full;
        exportPage.onFileName = [&full] { full.emplace(100); };
        module.aExpoTowarEureka();
    }
    EXPECT_EQ(FileText(exportPage.eurekaFile), previous);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DataDir))
        entries += entry.path().filename().string().find("Towary.txt") != std::string::npos;
    EXPECT_EQ(entries, 1);
    // The full disk stops the work history too, which is said after the file's own error.
    const std::string expected = "Nie można zapisać pliku "_cp + exportPage.eurekaFile +
                                 " (przekroczony dopuszczalny rozmiar pliku (brak miejsca))";
    ASSERT_FALSE(status.Errors().empty());
    EXPECT_EQ(status.Errors().front().text, expected);
    EXPECT_EQ(status.Last().text.rfind(expected, 0), 0u);
    EXPECT_TRUE(status.Last().error);
    EXPECT_TRUE(screen.messages.empty());
    for (const char* symbol : {"1", "2", "3"})
        EXPECT_EQ(LockFlags(symbol), "0,1") << symbol;
}

TEST_F(ExportTest, OperatorStopEndsTheExportBetweenTwoGoods)
{
    SelectGoods(5);
    CountingRunner runner;
    module.callRunner = &runner;
    exportPage.stopAfter = 2;

    module.aExpoTowarExecute();

    EXPECT_EQ(runner.runs, 2); // every library call went through the runner
    EXPECT_EQ(RegisterCodes(), (std::set<std::string>{"$00001", "$00002"}));
    std::vector<std::string> flags;
    for (const char* symbol : {"1", "2", "3", "4", "5"})
        flags.push_back(LockFlags(symbol));
    EXPECT_EQ(flags, (std::vector<std::string>{"0,0", "0,0", "0,1", "0,1", "0,1"}));
    EXPECT_EQ(status.Last().text, "Eksport zatrzymany: 2 / 5");
    EXPECT_TRUE(status.Last().error);
}

TEST_F(ExportTest, EurekaFileHoldsTheRecordsOnlyAndClearsTheSelection)
{
    SelectGoods(3);
    InsertGood("9", "Nieaktywny", "A", 1);
    InsertLock("9", 0, 1);
    GroupFilter = " ( k.grupa='B' )";
    dmu->OpenGoods();
    exportPage.eurekaFile = DataDir + "Towary.txt";

    module.aExpoTowarEureka();

    std::string content;
    ASSERT_TRUE(ReadWholeFile(exportPage.eurekaFile, content));
    EXPECT_EQ(content, "$00001\tTowar 1            \t1\t1\t3\t1\t0\t0000000000000\t150\t0\r\n"
                       "$00002\tTowar 2            \t1\t1\t3\t1\t0\t0000000000000\t250\t0\r\n"
                       "$00003\tTowar 3            \t1\t1\t3\t1\t0\t0000000000000\t350\t0\r\n");
    EXPECT_EQ(screen.messages, std::vector<std::string>{"powstał plik "_cp + exportPage.eurekaFile});
    EXPECT_EQ(dm->ReadParS("PLIK_EUREKA", "", "GLOBAL", "TARLA"), exportPage.eurekaFile);
    for (const char* symbol : {"1", "2", "3", "9"})
        EXPECT_EQ(LockFlags(symbol), "0,0") << symbol;
    EXPECT_EQ(ErrorLinesWith("Towar 9" + Skipped).size(), 1u);
    EXPECT_EQ(exportPage.unticked, 1);
    EXPECT_EQ(goodsPage.reopened, 1);
}

TEST_F(ExportTest, EurekaFileThatCannotBeWrittenChangesNothing)
{
    SelectGoods(2);
    dm->WriteParS("PLIK_EUREKA", "stary.txt", "GLOBAL", "TARLA");
    exportPage.eurekaFile = root + "/brak/Towary.txt";

    module.aExpoTowarEureka();

    EXPECT_EQ(status.Errors().size(), 1u);
    EXPECT_TRUE(screen.messages.empty());
    EXPECT_EQ(dm->ReadParS("PLIK_EUREKA", "", "GLOBAL", "TARLA"), "stary.txt");
    EXPECT_EQ(LockFlags("1"), "0,1");
    EXPECT_EQ(LockFlags("2"), "0,1");
    EXPECT_EQ(exportPage.unticked, 0);
}

// ---- the memory of sent goods (WYSLANE) and what builds on it

class SentGoodsTest : public ExportTest
{
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        CurrentRegisterId = 1;
    }

    // Register codes remembered for register 1.
    std::set<int> Remembered() const
    {
        std::set<int> codes;
        for (const auto& [code, entry] : LoadSentMemory(1))
            codes.insert(code);
        return codes;
    }

    // "Changed since the last export" on the whole view: the selected symbols.
    std::set<std::string> Changed()
    {
        dmu->OpenGoods();
        EXPECT_TRUE(dmu->SelectChangedGoods());
        std::set<std::string> selected;
        DataSet rows;
        dm->OpenSds(rows, "select asort from blok_cen where wybor=1");
        for (const Row& row : rows.Rows)
            selected.insert(row.at(0).AsString());
        return selected;
    }

    void Export(bool full)
    {
        exportPage.fullData = full;
        module.aExpoTowarExecute();
    }
};

TEST_F(SentGoodsTest, OnlyWhatTheRegisterAcceptedIsRememberedAlsoWhenTheExportStops)
{
    SelectGoods(5);
    ASSERT_TRUE(dm->RunSQL("update blok_cen set blok=2 where asort='2'")); // refused: price lock 2
    exportPage.stopOnFirstError = true;
    Export(true);
    EXPECT_EQ(Remembered(), (std::set<int>{1})) << log->Text();
    EXPECT_EQ(LoadSentMemory(1).at(1).line, "$00001\tTowar 1            \t1\t1\t3\t1\t0\t0000000000000\t150\t0");
    EXPECT_EQ(LoadSentMemory(1).at(1).asort, "1");

    exportPage.stopOnFirstError = false;
    Export(true); // goods 2..5 still selected; 2 refused again
    EXPECT_EQ(Remembered(), (std::set<int>{1, 3, 4, 5}));
    EXPECT_EQ(Changed(), (std::set<std::string>{"2"}));
}

TEST_F(SentGoodsTest, ChangedOnlyFollowsPricesAndDeletionsAndTheComparisonAgreesAfterSending)
{
    SelectGoods(3);
    Export(true);
    EXPECT_TRUE(Changed().empty());

    // A price change goes with a price-only call; the memory keeps the rest of the line.
    ASSERT_TRUE(dm->RunSQL("update " + GoodsTable + " set cena_1=9.99 where asort='2'"));
    EXPECT_EQ(Changed(), (std::set<std::string>{"2"}));
    Export(false);
    EXPECT_TRUE(Changed().empty());
    EXPECT_NE(LoadSentMemory(1).at(2).line.find("\t999\t0"), std::string::npos);

    // Deleted through the program: forgotten at once.
    view.picked = {{0, "00003"}};
    module.aKasujTowarExecute();
    ASSERT_EQ(ExchangeResult, 0);
    EXPECT_EQ(Changed(), (std::set<std::string>{"3"}));
    Export(true);

    // Deleted at the register itself: the comparison finds it and the memory follows.
    std::string kept;
    for (const std::string& line : RegisterGoods())
        if (line.rfind("$00001", 0) != 0)
            kept += line + "\n";
    SaveText(kept, root + "/sym/kasa01/towary.txt");
    EXPECT_TRUE(Changed().empty()) << "the program cannot know yet";
    const ComparisonResult first = module.PorownajZKasa();
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.toSend, std::vector<std::string>{"1"});
    EXPECT_EQ(Changed(), (std::set<std::string>{"1"}));
    Export(true);
    const ComparisonResult second = module.PorownajZKasa();
    ASSERT_TRUE(second.ok);
    EXPECT_TRUE(second.toSend.empty());
    EXPECT_NE(std::find(view.memo1.begin(), view.memo1.end(), "4. Towary zgodne: 3"), view.memo1.end());
}

TEST_F(SentGoodsTest, TheComparisonReportIsSavedWhole)
{
    SelectGoods(2);
    Export(true);
    const ComparisonResult comparison = module.PorownajZKasa();
    ASSERT_TRUE(comparison.ok);
    EXPECT_EQ(comparison.registerCode, RegisterCode);
    EXPECT_EQ(status.Last().text, comparison.text);
    ASSERT_TRUE(TfmE::ZapiszPorownanie(comparison));
    const std::string path = TfmE::ComparisonReportPath(comparison.registerCode);
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadLines(path, lines));
    EXPECT_EQ(lines, comparison.report);
    EXPECT_EQ(status.Last().text, "Raport zapisany w pliku " + path);
    for (const auto& entry : std::filesystem::directory_iterator(DataDir))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary file is left";

    DataDir = root + "/brak/";
    EXPECT_FALSE(TfmE::ZapiszPorownanie(comparison));
    EXPECT_EQ(status.Last().text,
              "Nie można zapisać pliku "_cp + TfmE::ComparisonReportPath(comparison.registerCode) + " (brak folderu)");
    EXPECT_TRUE(status.Last().error);
}

TEST_F(SentGoodsTest, WithoutTheTableChangedOnlyAsksForAnAdministratorAndTheExportStillRuns)
{
    SelectGoods(2);
    ASSERT_TRUE(dm->RunSQL("drop table wyslane"));
    dmu->OpenGoods();
    EXPECT_FALSE(dmu->SelectChangedGoods());
    EXPECT_NE(status.Last().text.find("administrator"), std::string::npos);
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(LockFlags("1"), "0,1") << "the selection stays as it was";

    Export(true);
    EXPECT_EQ(RegisterCodes(), (std::set<std::string>{"$00001", "$00002"}));
    EXPECT_EQ(LockFlags("1"), "0,0");
}

TEST_F(SentGoodsTest, WithoutMemoryEverythingCountsAndGoodsThatCannotGoAreNamed)
{
    SelectGoods(2);
    InsertGood("D'ARBO1", "Kawa");
    InsertLock("D'ARBO1", 0, 0);
    EXPECT_EQ(Changed(), (std::set<std::string>{"1", "2"}));
    EXPECT_NE(status.Last().text.find("Porównanie z kasą"_cp), std::string::npos) << "advises the comparison";
    EXPECT_NE(status.Last().text.find("D'ARBO1"), std::string::npos);
}

} // namespace

// ---- the cases a real catalogue has, against every export path. The register holds 123 "Maslanka naturalna" at
// 3.49, sent by the program; each case then changes the catalogue, and no path may leave another price under
// $00123 or lose the memory's owner, and every good left out is named.

enum class ExportPath { ManualFull, ManualPrice, ChangedWindow, CliDefault, CliPrices, CliFull, Comparison };

const char* PathName(ExportPath path)
{
    switch (path) {
    case ExportPath::ManualFull:
        return "manual full";
    case ExportPath::ManualPrice:
        return "manual price-only";
    case ExportPath::ChangedWindow:
        return "changed-only in the window";
    case ExportPath::CliDefault:
        return "tarlo-cli default";
    case ExportPath::CliPrices:
        return "tarlo-cli --tylko-ceny";
    case ExportPath::CliFull:
        return "tarlo-cli --pelne";
    case ExportPath::Comparison:
        return "comparison";
    }
    return "";
}

struct GoodsCase {
    const char* name;
    std::vector<std::string> sql; // after the base state; GoodsTable is put in for "T"
    const char* marked;           // the good marked by hand
    const char* groupFilter;      // the window's group filter for changed-only, "" none
    std::string manualReason;     // named by the manual export
    std::string changedReason;    // named by changed-only (the window and the tool)
    std::string comparisonReason; // named by the comparison's report
};

void PrintTo(const GoodsCase& c, std::ostream* os)
{
    *os << c.name;
}

class ExportCases : public SentGoodsTest, public ::testing::WithParamInterface<std::tuple<GoodsCase, ExportPath>>
{
protected:
    // Everything the operator was told: the status lines, the error report, the comparison's report.
    std::string Told() const
    {
        std::string text;
        for (const auto& shown : status.shown)
            text += shown.text + "\n";
        for (const std::string& line : ErrorReportLines())
            text += line + "\n";
        for (const std::string& line : comparison.report)
            text += line + "\n";
        return text;
    }

    ComparisonResult comparison; // the last comparison's outcome
};

const std::string Base = "$00123\tMaslanka naturalna \t1\t1\t3\t1\t0\t0000000000000\t349\t0";
const std::string Shared = "kod $00123 należy w kasie do towaru 123"_cp;
const std::string Collision = "$00123: 123, 100123";

TEST_P(ExportCases, NoPriceOfAnotherGoodAndEveryRefusalNamed)
{
    const GoodsCase& c = std::get<0>(GetParam());
    const ExportPath path = std::get<1>(GetParam());
    InsertGood("123", "Maslanka naturalna", "A", 0, "3.49");
    InsertLock("123", 0, 1);
    Export(true);
    ASSERT_EQ(RegisterGoods(), std::vector<std::string>{Base});
    for (std::string sql : c.sql) {
        for (std::size_t at; (at = sql.find(" T ")) != std::string::npos;)
            sql.replace(at, 3, " " + GoodsTable + " ");
        ASSERT_TRUE(dm->RunSQL(sql)) << sql;
    }
    ASSERT_TRUE(dm->RunSQL("update blok_cen set wybor=0"));
    status.shown.clear();
    SCOPED_TRACE(PathName(path));

    const auto changedOnly = [&](std::optional<SendKind> forced) {
        GroupFilter = c.groupFilter;
        dmu->OpenGoods();
        module.ExportGoods(TfmE::ChangedGoodsRequest(forced));
    };
    std::string reason = c.manualReason;
    switch (path) {
    case ExportPath::ManualFull:
    case ExportPath::ManualPrice:
        ASSERT_TRUE(dm->RunSQL("update blok_cen set wybor=1 where asort=" + SqlQuote(c.marked)));
        Export(path == ExportPath::ManualFull);
        break;
    case ExportPath::ChangedWindow:
        GroupFilter = c.groupFilter;
        dmu->OpenGoods();
        ASSERT_TRUE(dmu->SelectChangedGoods());
        Export(false);
        reason = c.changedReason;
        break;
    case ExportPath::CliDefault:
        changedOnly(std::nullopt);
        reason = c.changedReason;
        break;
    case ExportPath::CliPrices:
        changedOnly(SendKind::PriceOnly);
        reason = c.changedReason;
        break;
    case ExportPath::CliFull:
        changedOnly(SendKind::Full);
        reason = c.changedReason;
        break;
    case ExportPath::Comparison:
        comparison = module.PorownajZKasa();
        ASSERT_TRUE(comparison.ok);
        reason = c.comparisonReason;
        break;
    }

    EXPECT_EQ(RegisterGoods(), std::vector<std::string>{Base}) << "no other price under $00123";
    const SentMemory memory = LoadSentMemory(1);
    ASSERT_EQ(memory.count(123), 1u);
    EXPECT_EQ(memory.at(123).asort, "123");
    for (const auto& [code, entry] : memory)
        EXPECT_FALSE(entry.asort.empty()) << code;
    EXPECT_NE(Told().find(reason), std::string::npos) << reason << "\n" << Told();
}

const std::string Partner = "insert into T (asort,nazwa,jm,stawka_vat,grupa,nieaktywny,cena_1) values "
                            "('100123','Inny towar','SZT',23,'B',";
const std::string PartnerLock = "insert into blok_cen (asort,blok,wybor) values ('100123',0,0)";

INSTANTIATE_TEST_SUITE_P(
    Goods, ExportCases,
    ::testing::Combine(
        ::testing::Values(
            GoodsCase{
                "partner active", {Partner + "0,99.99)", PartnerLock}, "100123", "", Shared, Collision, Collision},
            GoodsCase{"partner inactive",
                      {Partner + "1,99.99)", PartnerLock},
                      "100123",
                      "",
                      "Towar 100123 nieaktywny lub brak w kartotece"_cp,
                      Collision,
                      Collision},
            GoodsCase{"partner unsendable",
                      {Partner + "0,null)", PartnerLock},
                      "100123",
                      "",
                      "Towar 100123: brak ceny"_cp,
                      "100123 (brak ceny)",
                      "100123 (brak ceny)"},
            // The window shows only the partner's group: the guard still sees 123.
            GoodsCase{"partner in view, 123 out of it",
                      {Partner + "0,99.99)", PartnerLock},
                      "100123",
                      " ( k.grupa='B' )",
                      Shared,
                      Collision,
                      Collision},
            GoodsCase{"NULL price",
                      {"update T set cena_1=null where asort='123'"},
                      "123",
                      "",
                      "Towar 123: brak ceny",
                      "123 (brak ceny)",
                      "nie do wysłania: 123 (brak ceny)"_cp},
            GoodsCase{"NULL VAT rate",
                      {"update T set stawka_vat=null where asort='123'"},
                      "123",
                      "",
                      "Towar 123: brak stawki VAT",
                      "123 (brak stawki VAT)",
                      "nie do wysłania: 123 (brak stawki VAT)"_cp},
            GoodsCase{"NULL unit",
                      {"update T set jm=null where asort='123'"},
                      "123",
                      "",
                      "Towar 123: brak jednostki miary"_cp,
                      "123 (brak jednostki miary)"_cp,
                      "nie do wysłania: 123 (brak jednostki miary)"_cp},
            GoodsCase{"price -0.001",
                      {"update T set cena_1=-0.001 where asort='123'"},
                      "123",
                      "",
                      "Towar 123: cena -0.001 poza zakresem",
                      "123 (cena -0.001 poza zakresem",
                      "nie do wysłania: 123 (cena -0.001"_cp},
            GoodsCase{"VAT rate missing from the list",
                      {"update T set stawka_vat=7 where asort='123'"},
                      "123",
                      "",
                      "Towar 123: stawki VAT 7.00 nie ma na liście VAT"_cp,
                      "123 (stawki VAT 7.00 nie ma na liście VAT)"_cp,
                      "nie do wysłania: 123 (stawki VAT 7.00"_cp}),
        ::testing::Values(ExportPath::ManualFull, ExportPath::ManualPrice, ExportPath::ChangedWindow,
                          ExportPath::CliDefault, ExportPath::CliPrices, ExportPath::CliFull, ExportPath::Comparison)),
    [](const auto& info) {
        std::string name = std::string(std::get<0>(info.param).name) + "_" + PathName(std::get<1>(info.param));
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

// A name or VAT change under a price-only call: the price goes, but never in green, and the good stays "changed";
// the paths that may send full data send it.
TEST_F(SentGoodsTest, ANameOrVatChangeUnderPriceOnlyIsNeverGreen)
{
    struct Case {
        ExportPath path;
        std::string held; // the register's line afterwards
        bool red;
    };
    const std::string stale = "$00001\tTowar 1            \t1\t1\t3\t1\t0\t0000000000000\t999\t0";
    const std::string full = "$00001\tNowy 1             \t2\t1\t3\t1\t0\t0000000000000\t999\t0";
    const std::vector<Case> cases = {
        {ExportPath::ManualPrice, stale, true}, {ExportPath::ChangedWindow, stale, true},
        {ExportPath::CliPrices, stale, true},   {ExportPath::CliDefault, full, false},
        {ExportPath::CliFull, full, false},     {ExportPath::ManualFull, full, false},
    };
    SelectGoods(1);
    Export(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(PathName(c.path));
        ASSERT_TRUE(dm->RunSQL("update " + GoodsTable + " set nazwa='Towar 1', stawka_vat=23, cena_1=1.50"));
        ASSERT_TRUE(dm->RunSQL("update blok_cen set wybor=1"));
        Export(true);
        ASSERT_EQ(RegisterGoods().size(), 1u);
        ASSERT_TRUE(dm->RunSQL("update " + GoodsTable + " set nazwa='Nowy 1', stawka_vat=8, cena_1=9.99"));
        ASSERT_TRUE(dm->RunSQL("update blok_cen set wybor=0"));
        status.shown.clear();
        GoodsExportResult result;
        if (c.path == ExportPath::ManualPrice || c.path == ExportPath::ManualFull) {
            ASSERT_TRUE(dm->RunSQL("update blok_cen set wybor=1"));
            exportPage.fullData = c.path == ExportPath::ManualFull;
            result = module.aExpoTowarExecute();
        } else if (c.path == ExportPath::ChangedWindow) {
            EXPECT_EQ(Changed(), std::set<std::string>{"1"});
            exportPage.fullData = false;
            result = module.aExpoTowarExecute();
        } else {
            dmu->OpenGoods();
            const std::optional<SendKind> forced = c.path == ExportPath::CliPrices ? std::optional(SendKind::PriceOnly)
                                                   : c.path == ExportPath::CliFull ? std::optional(SendKind::Full)
                                                                                   : std::nullopt;
            result = module.ExportGoods(TfmE::ChangedGoodsRequest(forced));
        }
        EXPECT_EQ(RegisterGoods(), std::vector<std::string>{c.held});
        EXPECT_EQ(result.summaryIsError, c.red) << result.summary;
        EXPECT_EQ(result.Complete(), !c.red);
        if (c.red) {
            EXPECT_EQ(result.priceOnlyStale, std::vector<std::string>{"1"});
            EXPECT_NE(result.summary.find("wyślij pełne dane"_cp), std::string::npos);
            dmu->OpenGoods();
            EXPECT_EQ(dmu->FindChangedInView().selected, std::vector<std::string>{"1"}) << "stays changed";
            EXPECT_EQ(dmu->FindChangedInView().kinds, std::vector<SendKind>{SendKind::Full});
        }
    }
}

// A register emptied outside the program: a price-only call finds the good missing, the memory mends itself and
// the good goes with full data; the check first finds every good missing and sends them all.
TEST_F(SentGoodsTest, ARegisterEmptiedOutsideTheProgramMendsTheMemory)
{
    SelectGoods(3);
    Export(true);
    ASSERT_EQ(RegisterCodes().size(), 3u);
    ASSERT_EQ(std::system((BinDir() + "/winip-sim reset 1 >/dev/null").c_str()), 0);
    ASSERT_TRUE(RegisterCodes().empty());
    ASSERT_TRUE(dm->RunSQL("update " + GoodsTable + " set cena_1=7.77 where asort='2'"));
    dmu->OpenGoods();

    GoodsExportResult result = module.ExportGoods(TfmE::ChangedGoodsRequest(std::nullopt));

    EXPECT_EQ(RegisterGoods(),
              std::vector<std::string>{"$00002\tTowar 2            \t1\t1\t3\t1\t0\t0000000000000\t777\t0"});
    EXPECT_EQ(result.sent, std::vector<std::string>{"2"});
    ASSERT_EQ(result.notices.size(), 1u);
    EXPECT_NE(result.notices[0].find("kasę zmieniono poza programem"_cp), std::string::npos);
    EXPECT_NE(result.summary.find("kasę zmieniono poza programem"_cp), std::string::npos);

    // Only the checked run sees the other two are gone.
    ASSERT_TRUE(module.PorownajZKasa().ok);
    dmu->OpenGoods();
    result = module.ExportGoods(TfmE::ChangedGoodsRequest(std::nullopt));
    EXPECT_EQ(result.sent, (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(RegisterCodes(), (std::set<std::string>{"$00001", "$00002", "$00003"}));
    EXPECT_TRUE(result.Complete());
}
