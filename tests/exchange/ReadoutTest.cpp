// The sales readout and its report priced against the goods catalogue of a throw-away database.
#include "SimulatorHelpers.h"

#include "Faults.h"
#include "TestSupport.h"
#include "db/dbDDM.h"
#include "util/Cp1250Literal.h"
#include "util/SafeFile.h"

#include <filesystem>
#include <optional>

namespace
{

namespace fs = std::filesystem;

const std::string Missing = " !!! Brak odpowiednika w kartotece asort.";
const std::string Header = "Kasa nr 1\r\nOdczyt\r\nKod\tIlosc\tWartosc\tNazwa\r\n";

struct CatalogueGood {
    std::string asort;
    std::string nazwa; // "" stores NULL
    std::string jm;
};

class ReadoutTest : public DatabaseExchangeTest
{
protected:
    void AddGoods(const std::vector<CatalogueGood>& goods)
    {
        std::vector<std::string> commands;
        for (const auto& g : goods)
            commands.push_back("insert into " + GoodsTable + " (asort,nazwa,jm) values (" +
                               SqlQuoteItem(g.asort, false) +
                               (g.nazwa.empty() ? "null," : SqlQuoteItem(g.nazwa, false)) +
                               (g.jm.empty() ? "null" : SqlQuote(g.jm)) + ")");
        ASSERT_TRUE(dm->RunSQLBatch(commands)) << FileText(WorkLog->FileName);
    }

    std::string ReadingName(int sequence) const
    {
        return DayDir + "001_" + DateText(Today()) + "_" + IntToStrPad(sequence, 3, "0") + ".txt";
    }
};

TEST_F(ReadoutTest, ReportLinesAreBuiltByteForByte)
{
    AddGoods({{"00123", "Chleb", "szt"},
              {"45", "Ser", "kg"},
              {"0009", "Mleko", "l"},
              {"8", "", "szt"},
              {"X1", "Kawa", "op"},
              {"D'ARBO1", "Dżem"_cp, "sl"},
              {"0", "Gratis", "szt"}});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"$00123\t2\t250", "   1  00123        2.000  szt        2.50  Chleb"},
        // the register's code for catalogue symbol 45, as the export writes it
        {"$00045\t1,5\t1000", "   2  00045        1.500   kg       10.00  Ser"},
        {"$9\t1.5\t99", "   3      9        1.500    l        0.99  Mleko"},
        {"$8\t1\t100", "   4      8        1.000  szt        1.00  " + Missing},
        {"$99999\t3\t300\tNieznany", "   5  99999        3.000             3.00  " + Missing},
        {"$D'ARBO1\t1\t100", "   6D'ARBO1        1.000   sl        1.00  Dżem"_cp},
        {"#ABCDEFGHIJ", "   7DEFGHIJ        0.000             0.00  " + Missing},
        {"", "   8               0.000             0.00  " + Missing},
        {"$00123\t1234567\t123456789", "   9  00123 1234 567.000  szt 1234 567.89  Chleb"},
        {"$000\t1\t1", "  10    000        1.000  szt        0.01  Gratis"},
        {"$X1 \t1\t100", "  11    X1         1.000   op        1.00  Kawa"},
    };
    std::string file = Header;
    std::vector<std::string> expected;
    for (const auto& [line, report] : cases) {
        file += line + "\r\n";
        expected.push_back(report);
    }
    SaveText(file, root + "/odczyt.txt");
    view.memo = {"stary raport"};

    module.WCzytaj(root + "/odczyt.txt");

    EXPECT_EQ(view.memo, expected);
}

// The report as one query per readout line would give it: the good of that symbol; for a code of digits, else the
// good of its integer value, else the smallest symbol of digits with leading zeros of that value.
std::vector<std::string> ReportLineByLine(const std::vector<std::string>& lines)
{
    std::vector<std::string> report;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        const std::string code = TailFrom(TabField(lines[i], 1), 2);
        const std::string head = "select first 1 jm,nazwa from " + GoodsTable + " where ";
        dm->OpenSQT(head + "asort=" + SqlQuote(code));
        if (dm->SQT.Eof() && !code.empty() && code.find_first_not_of("0123456789") == std::string::npos) {
            const auto nonZero = code.find_first_not_of('0');
            const std::string value = nonZero == std::string::npos ? "" : code.substr(nonZero);
            dm->OpenSQT(head + "asort=" + SqlQuote(value.empty() ? "0" : value));
            if (dm->SQT.Eof())
                dm->OpenSQT(head + "asort starting with '0' and trim(trailing from asort) similar to '[0-9]+' and " +
                            "trim(leading '0' from trim(trailing from asort)) = " + SqlQuote(value) +
                            " order by asort");
        }
        const std::string unit = dm->SQT.FieldByName("jm").AsString();
        std::string name = dm->SQT.FieldByName("nazwa").AsString();
        dm->SQT.Close();
        report.push_back(IntToStrPad(static_cast<int64_t>(i) - 2, 4, " ") + PadLeft(code, 7, " ") +
                         PadLeft(FormatFloat("##### ##0.000", TextToFloat(TabField(lines[i], 2), 0)), 13, " ") +
                         PadLeft(unit, 5, " ") +
                         PadLeft(FormatFloat("##### ##0.00", TextToFloat(TabField(lines[i], 3), 0) / 100), 12, " ") +
                         "  " + (name.empty() ? Missing : name));
    }
    return report;
}

TEST_F(ReadoutTest, BatchedLookupGivesTheLineByLineReport)
{
    std::vector<CatalogueGood> goods;
    for (int i = 1; i <= 300; ++i) {
        const std::string n = std::to_string(i);
        const std::string name = i % 11 == 0 ? "" : "Towar " + n;
        const std::string unit = i % 3 == 0 ? "" : i % 3 == 1 ? "szt" : "kg";
        const std::string symbols[] = {IntToStrPad(i, 5, "0"), n, "0" + n, "A" + n, " " + n};
        goods.push_back({symbols[i % 5], name, unit});
        if (i % 7 == 0) // several symbols of the same integer value
            goods.push_back({"0000" + n, name + " bis", unit});
    }
    goods.push_back({"O'Brien", "Whisky", "but"});
    AddGoods(goods);

    std::string file = Header;
    for (int k = 0; k < 1000; ++k) {
        const std::string n = std::to_string((k * 37) % 400);
        const std::string codes[] = {IntToStrPad((k * 37) % 400, 5, "0"), n, "A" + n, n + " ", " " + n, "O'Brien", ""};
        file += "$" + codes[k % 7] + "\t" + std::to_string(k % 9) + ",5\t" + std::to_string(k * 13) + "\r\n";
    }
    SaveText(file, root + "/odczyt.txt");
    std::vector<std::string> lines;
    ReadLines(root + "/odczyt.txt", lines);

    int queries = 0;
    dm->OnStatement = [&queries](const std::string&, bool query) { queries += query ? 1 : 0; };
    module.WCzytaj(root + "/odczyt.txt");
    dm->OnStatement = nullptr;

    EXPECT_EQ(view.memo, ReportLineByLine(lines));
    // 1000 lines: at most two queries per 400 lines and one for the zero-padded symbols, not one per line.
    EXPECT_LE(queries, 7);
}

TEST_F(ReadoutTest, SalesRungUpAtTheRegisterAreReadAndStored)
{
    AddGoods({{"123", "Chleb", "szt"}});
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250), GoodsRecord(7, "Mleko", 2, 319)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);
    ASSERT_EQ(Sim("sell 1 123 1"), 0);
    ASSERT_EQ(Sim("sell 1 7 2"), 0);
    status.shown.clear();

    module.ElzabSprz();

    EXPECT_EQ(ExchangeResult, 0);
    // The register reports its goods in code order.
    EXPECT_EQ(view.memo, (std::vector<std::string>{"   1  00007        2.000             6.38  " + Missing,
                                                   "   2  00123        3.000  szt        7.50  Chleb"}));
    EXPECT_EQ(ReadingFile, ReadingName(1));
    EXPECT_EQ(FileText(ReadingFile), FileText(app + "/Out/OTSpMax.out"));
    EXPECT_EQ(FileText(app + "/In/OTSpMax.in"), "#1\r\n#\r\n#\r\n");
    EXPECT_TRUE(status.Errors().empty());
    EXPECT_EQ(status.Last().text, "");
}

// Two goods share the register code 00123 and the memory of sent goods says the register holds 100123 under it:
// the report names 100123, as the hand-over will book it, both right after the readout and for the stored file.
TEST_F(ReadoutTest, ReportNamesTheGoodTheRegisterHoldsUnderASharedCode)
{
    AddGoods({{"123", "Chleb", "szt"}, {"100123", "Bułka droga"_cp, "szt"}});
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Bulka droga", 1, 250)}), 0);
    ASSERT_TRUE(dm->RunSQL("insert into WYSLANE (ID_KASY,KOD,ASORT) values (" + std::to_string(CurrentRegisterId) +
                           ",123,'100123')"));
    ASSERT_EQ(Sim("sell 1 123 2"), 0);
    const std::vector<std::string> expected{"   1  00123        2.000  szt        5.00  "
                                            "Bułka droga"_cp};

    ASSERT_TRUE(module.ElzabSprz().recorded);
    EXPECT_EQ(view.memo, expected);

    // Later the memory changes owner; the stored file keeps the good recorded with it.
    ASSERT_TRUE(dm->RunSQL("update WYSLANE set ASORT='123'"));
    module.WCzytaj(ReadingFile);
    EXPECT_EQ(view.memo, expected);
}

TEST_F(ReadoutTest, ReadoutIsStoredUnderTheNextFreeName)
{
    SaveText("pierwszy", ReadingName(1));
    SaveText("trzeci", ReadingName(3));
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);

    module.ElzabSprz();

    EXPECT_EQ(ReadingFile, ReadingName(4));
    EXPECT_EQ(FileText(ReadingFile), FileText(app + "/Out/OTSpMax.out"));
    EXPECT_EQ(FileText(ReadingName(3)), "trzeci");
    EXPECT_EQ(view.memo.size(), 1u);
}

TEST_F(ReadoutTest, TestDatReplaysTheLastResponseWithoutACall)
{
    AddGoods({{"00123", "Chleb", "szt"}});
    // Without the library any call would fail.
    fs::remove(app + "/libWinIP.so");
    SaveText("", work + "/TEST.DAT");
    const std::string response = Header + "$00123\t2\t250\r\n";
    SaveText(response, app + "/Out/OTSpMax.out");

    module.ElzabSprz();

    EXPECT_EQ(ExchangeResult, 0);
    ASSERT_EQ(view.memo.size(), 2u);
    EXPECT_EQ(view.memo[1], "   1  00123        2.000  szt        2.50  Chleb");
    EXPECT_FALSE(fs::exists(ReadingName(1))) << "a test is not the register's readout";
    EXPECT_TRUE(status.Errors().empty());
}

TEST_F(ReadoutTest, OperationsRunWithoutAWindow)
{
    module.view = nullptr;
    AddGoods({{"123", "Chleb", "szt"}});
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(123, "Chleb", 1, 250)}), 0);
    ASSERT_EQ(Sim("sell 1 123 2"), 0);

    module.ElzabSprz();
    EXPECT_EQ(ExchangeResult, 0);
    EXPECT_EQ(FileText(ReadingName(1)), FileText(app + "/Out/OTSpMax.out"));
    module.aZerujLicznikiExecute();
    EXPECT_EQ(ExchangeResult, 0);
    module.WczytajTowary();
    EXPECT_EQ(ExchangeResult, 0);
    module.aKasujTowarExecute();
    EXPECT_EQ(status.Last().text, "Brak zaznaczonych pozycji");
    module.aKasujWszystkieTowaryExecute();
    EXPECT_EQ(ExchangeResult, 0);
}

// ---- a readout that cannot be stored

// The view of a readout during which the disk fills up: from the moment the register has answered (the
// transmission time is shown) until the report is printed, no file may grow beyond `limit` bytes.
class DiskFillsAfterTheCall : public FakeExchangeView
{
public:
    explicit DiskFillsAfterTheCall(rlim_t limit) : limit_(limit) {}
    void MemoInsertFirst(const std::string& line) override
    {
        if (line.starts_with("Czas transmisji"))
            full_.emplace(limit_);
        FakeExchangeView::MemoInsertFirst(line);
    }
    void MemoClear() override
    {
        full_.reset();
        FakeExchangeView::MemoClear();
    }

private:
    rlim_t limit_;
    std::optional<testsupport::FileSizeLimit> full_;
};

// Every entry of a folder, hidden ones included.
std::vector<std::string> Entries(const std::string& directory)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

enum class StoreFault { FileWhereDayFolderMustBe, FullDisk, FolderWhereReadoutMustBe };

struct StoreFaultCase {
    const char* title;
    StoreFault fault;
    std::string reason; // after the file name, in brackets; "{day}" stands for the day folder
};

void PrintTo(const StoreFaultCase& c, std::ostream* os)
{
    *os << c.title;
}

class ReadoutStoreTest : public ReadoutTest, public ::testing::WithParamInterface<StoreFaultCase>
{
};

TEST_P(ReadoutStoreTest, FailureIsAnnouncedAndTheReportMarked)
{
    const auto& c = GetParam();
    // Twenty goods sold: the readout is larger than what the history and the error report get while the disk is
    // full, so only the readout meets the limit.
    std::vector<CatalogueGood> catalogue;
    std::vector<std::string> records;
    std::vector<std::string> report;
    for (int i = 1; i <= 20; ++i) {
        const std::string name = "Towar " + std::to_string(i);
        catalogue.push_back({std::to_string(i), name, "szt"});
        records.push_back(GoodsRecord(i, name, 1, 100));
        report.push_back(IntToStrPad(i, 4, " ") + "  " + IntToStrPad(i, 5, "0") + "        1.000  szt        1.00  " +
                         name);
    }
    AddGoods(catalogue);
    ASSERT_EQ(LoadGoods(module, records), 0);
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(Sim("sell 1 " + std::to_string(i) + " 1"), 0);
    const std::string totalsBefore = FileText(root + "/sym/kasa01/sprzedaz.txt");
    CreateErrorReport();
    DiskFillsAfterTheCall fillingView(500);
    switch (c.fault) {
    case StoreFault::FileWhereDayFolderMustBe:
        testsupport::PutFileWhereFolderMustBe(DayDir);
        break;
    case StoreFault::FullDisk:
        module.view = &fillingView;
        break;
    case StoreFault::FolderWhereReadoutMustBe:
        fs::create_directory(ReadingName(1));
        break;
    }
    const std::string dayDir = DayDir.substr(0, DayDir.size() - 1);
    std::string reason = c.reason;
    if (const auto at = reason.find("{day}"); at != std::string::npos)
        reason.replace(at, 5, DayDir);
    if (const auto at = reason.find("{date}"); at != std::string::npos)
        reason.replace(at, 6, DateText(SalesDate));
    const std::string announced = "[OTSpMax] Error 252 : Nie zapisano pliku " + ReadingName(1) + " (" + reason + ")";
    status.shown.clear();

    module.ElzabSprz();

    EXPECT_EQ(ExchangeResult, 252);
    // The operator: the error in red, never followed by a green line, and the report marked as not stored. A day
    // folder that cannot be made is named already when the paths are recomputed after the call.
    std::vector<std::string> expectedErrors{announced};
    if (c.fault == StoreFault::FileWhereDayFolderMustBe)
        expectedErrors.insert(
            expectedErrors.begin(),
            "Nie można utworzyć folderu "_cp + DayDir +
                ": w miejscu folderu jest plik. Odczytów tej kasy z tego dnia nie będzie można zapisać."_cp);
    std::vector<std::string> errors;
    for (const auto& shownError : status.Errors()) {
        // A full disk also stops the work history, which is said after the error it could not record.
        const auto historyFailed = shownError.text.find(" | Nie można zapisać historii pracy "_cp);
        const std::string text = shownError.text.substr(0, historyFailed);
        if (errors.empty() || errors.back() != text)
            errors.push_back(text);
    }
    EXPECT_EQ(errors, expectedErrors);
    EXPECT_TRUE(status.Last().error);
    const FakeExchangeView& shown = c.fault == StoreFault::FullDisk ? fillingView : view;
    report.insert(report.begin(), "!!! Odczyt nie został zapisany: "_cp + ReadingName(1) + " (" + reason + ")");
    EXPECT_EQ(shown.memo, report);
    // The history and the error report.
    if (c.fault != StoreFault::FullDisk) { // a full disk takes the history with it
        EXPECT_NE(FileText(WorkLog->FileName).find(announced), std::string::npos);
    }
    ASSERT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_TRUE(ErrorReportLines()[0].ends_with(": " + announced));
    // The disk: no readout file, not even an empty or partial one, and no temporary file.
    switch (c.fault) {
    case StoreFault::FileWhereDayFolderMustBe:
        EXPECT_TRUE(fs::is_regular_file(dayDir));
        break;
    case StoreFault::FullDisk:
        EXPECT_TRUE(Entries(dayDir).empty());
        break;
    case StoreFault::FolderWhereReadoutMustBe:
        EXPECT_EQ(Entries(dayDir), std::vector<std::string>{fs::path(ReadingName(1)).filename().string()});
        EXPECT_TRUE(fs::is_directory(ReadingName(1)));
        break;
    }
    // The register: a readout changes nothing there.
    EXPECT_EQ(FileText(root + "/sym/kasa01/sprzedaz.txt"), totalsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadoutStoreTest,
    ::testing::Values(StoreFaultCase{"FileWhereTheDayFolderMustBe", StoreFault::FileWhereDayFolderMustBe,
                                     "nie można utworzyć folderu {day}: w miejscu folderu jest plik"_cp},
                      StoreFaultCase{"FullDisk", StoreFault::FullDisk,
                                     "przekroczony dopuszczalny rozmiar pliku (brak miejsca)"},
                      StoreFaultCase{"FolderWhereTheReadoutMustBe", StoreFault::FolderWhereReadoutMustBe,
                                     "nie można nadać wolnego numeru pliku 001_{date}_SSS.txt"_cp}),
    [](const auto& info) { return std::string(info.param.title); });

} // namespace
