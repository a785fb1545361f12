// The frame of every register operation: the configuration file, the request and response files, the result
// announcements, the error report and the loading of the communication library.
#include "ExchangeFixture.h"
#include "Faults.h"
#include "SimulatorHelpers.h"

#include "exchange/ErrorReportScope.h"
#include "exchange/WinIP.h"
#include "util/Cp1250Literal.h"

#include <filesystem>

namespace
{

const std::string Green = "[KTowMax] - Transmisja bez błędów"_cp;

struct KonfigCase {
    const char* timeout;
    const char* expected;
};

void PrintTo(const KonfigCase& c, std::ostream* os)
{
    *os << "time-out \"" << c.timeout << "\"";
}

class KonfigTest : public ExchangeTest, public ::testing::WithParamInterface<KonfigCase>
{
};

TEST_P(KonfigTest, WritesExactlyOneLineIntoTheCurrentDirectory)
{
    RegisterSystemNo = "12";
    PortNumber = "1";
    BaudRate = "19200";
    RegisterTimeout = GetParam().timeout;
    module.TwKonfig();
    EXPECT_EQ(FileText(work + "/KONFIG.txt"), GetParam().expected);
    EXPECT_FALSE(std::filesystem::exists(app + "/KONFIG.txt"));
}

INSTANTIATE_TEST_SUITE_P(Settings, KonfigTest,
                         ::testing::Values(KonfigCase{"10", "$12\tCOM1:19200:STX0:1:E\t10\tK10\t\r\n"},
                                           KonfigCase{"", "$12\tCOM1:19200:STX0:1:E\t\tK10\t\r\n"}),
                         [](const auto& info) {
                             return std::string(*info.param.timeout ? "TimeOut" : "EmptyTimeOut");
                         });

TEST_F(ExchangeTest, KonfigReplacesAnExistingFileWhateverItsCase)
{
    SaveText("stara zawartosc\r\nwiersz 2\r\n", work + "/konfig.TXT");
    module.TwKonfig();
    EXPECT_EQ(FileText(work + "/konfig.TXT"), "$1\tCOM1:9600:STX0:1:E\t5\tK10\t\r\n");
    EXPECT_FALSE(std::filesystem::exists(work + "/KONFIG.txt"));
}

TEST_F(ExchangeTest, RequestFileHoldsTheHeaderInTheExistingInDirectory)
{
    RegisterSystemNo = "12";
    ExchangeResult = 9;
    module.TwInFile("KTowMax");
    EXPECT_EQ(ExchangeResult, 0);
    EXPECT_EQ(RequestFile, app + "/In/KTowMax.in");
    EXPECT_EQ(FileText(RequestFile), "#12\r\n#\r\n#\r\n");
}

// A configuration or request file that cannot be written completely: the old one is not left for the library,
// the library is not called, and the operation ends with code 252 naming the file.
struct UnwrittenCase {
    const char* title;
    bool konfig; // KONFIG.txt, otherwise the request file
};

void PrintTo(const UnwrittenCase& c, std::ostream* os)
{
    *os << c.title;
}

class UnwrittenFileTest : public ExchangeTest, public ::testing::WithParamInterface<UnwrittenCase>
{
};

TEST_P(UnwrittenFileTest, NoCallOnAStaleFile)
{
    const auto& c = GetParam();
    ASSERT_EQ(LoadGoods(module, {GoodsRecord(1, "Chleb", 1, 250)}), 0);
    // What an earlier operation left: another register's configuration, a request for good $00099.
    SaveText("$2\tCOM1:9600:STX0:1:E\t5\tK10\t\r\n", work + "/KONFIG.txt");
    SaveText("#1\r\n#\r\n#\r\n" + GoodsRecord(99, "Stary", 1, 100) + "\r\n", app + "/In/ZTowar.in");
    CreateErrorReport();
    status.shown.clear();
    if (!c.konfig) {
        ASSERT_TRUE(module.TwKonfig());
    }
    {
        testsupport::FileSizeLimit full(20); // the disk fills up while the files are written
        if (c.konfig) {
            EXPECT_FALSE(module.TwKonfig());
        } else {
            module.TwInFile("ZTowar");
            module.RequestLines.push_back(GoodsRecord(2, "Mleko", 1, 319));
            EXPECT_FALSE(module.WriteRequestFile());
        }
    }
    const std::string file = c.konfig ? work + "/KONFIG.txt" : app + "/In/ZTowar.in";
    EXPECT_FALSE(std::filesystem::exists(file)) << "the stale file is removed";
    if (c.konfig)
        module.TwInFile("ZTowar");
    {
        ErrorReportScope report;
        module.CallLibrary(WinIPFunction::ZTowar);
        module.ErrAnnouncement2("ZTowar");
    }

    EXPECT_EQ(ExchangeResult, 252);
    const std::string announced =
        "[ZTowar] Error 252 : Nie zapisano pliku " + file + " (przekroczony dopuszczalny rozmiar pliku (brak miejsca))";
    EXPECT_EQ(status.Last().text, announced);
    EXPECT_TRUE(status.Last().error);
    ASSERT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_TRUE(ErrorReportLines()[0].ends_with(": " + announced));
    EXPECT_NE(FileText(WorkLog->FileName).find(announced), std::string::npos);
    // The register holds only what it held before.
    EXPECT_EQ(FileText(root + "/sym/kasa01/towary.txt").find("$00099"), std::string::npos);
    EXPECT_EQ(FileText(root + "/sym/kasa01/towary.txt").find("$00002"), std::string::npos);
    EXPECT_NE(FileText(root + "/sym/kasa01/towary.txt").find("$00001"), std::string::npos);

    // Once the file is written again, the calls go through.
    ASSERT_TRUE(module.TwKonfig());
    ASSERT_TRUE(module.TwInFile("ZTowar"));
    module.RequestLines.push_back(GoodsRecord(2, "Mleko", 1, 319));
    ASSERT_TRUE(module.WriteRequestFile());
    module.CallLibrary(WinIPFunction::ZTowar);
    EXPECT_EQ(ExchangeResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, UnwrittenFileTest,
                         ::testing::Values(UnwrittenCase{"Konfig", true}, UnwrittenCase{"Request", false}),
                         [](const auto& info) { return std::string(info.param.title); });

// A request folder that is a file: the readout names the request file and makes no call.
TEST_F(ExchangeTest, ReadoutWithoutARequestFolderMakesNoCall)
{
    testsupport::PutFileWhereFolderMustBe(app + "/In");
    ASSERT_EQ(Sim("fail 1 OTSpMax 24"), 0); // would be used up by a call
    module.ElzabSprz();
    EXPECT_EQ(ExchangeResult, 252);
    EXPECT_EQ(status.Last().text,
              "[OTSpMax] Error 252 : Nie zapisano pliku " + app + "/In/OTSpMax.in (w miejscu folderu jest plik)");
    EXPECT_TRUE(status.Last().error);
    EXPECT_NE(FileText(root + "/sym/kasa01/awarie.txt").find("OTSpMax"), std::string::npos) << "no call made";
}

TEST_F(ExchangeTest, ResponseFileLeftByAnEarlierCallIsRemoved)
{
    SaveText("stara odpowiedz", app + "/Out/TowarMax.out");
    module.TwOutFile("TowarMax");
    EXPECT_EQ(ResponseFile, app + "/Out/TowarMax.out");
    EXPECT_FALSE(std::filesystem::exists(ResponseFile));
}

struct AnnouncementCase {
    const char* title;
    bool forWrite; // ErrAnnouncement2
    uint8_t code;
    std::vector<std::string> koment;
    std::string shown;
    bool error;
};

void PrintTo(const AnnouncementCase& c, std::ostream* os)
{
    *os << c.title;
}

class AnnouncementTest : public ExchangeTest, public ::testing::WithParamInterface<AnnouncementCase>
{
};

TEST_P(AnnouncementTest, ShowsTheResultAndReportsErrors)
{
    const auto& c = GetParam();
    SetClock([] { return DateTime{{2024, 3, 26}, {14, 5, 9, 0}}; });
    ResultTexts = c.koment;
    CreateErrorReport();
    OpenTextFile(ErrorReportFile, 0, ErrorReport);
    ExchangeResult = c.code;
    if (c.forWrite)
        module.ErrAnnouncement2("KTowMax");
    else
        module.ErrAnnouncement("KTowMax");
    CloseTextFile(ErrorReport);

    ASSERT_EQ(status.shown.size(), 1u);
    EXPECT_EQ(status.Last().text, c.shown);
    EXPECT_EQ(status.Last().error, c.error);
    const std::vector<std::string> expectedReport =
        c.error ? std::vector<std::string>{"26.03.2024 14:05:09: " + c.shown} : std::vector<std::string>{};
    EXPECT_EQ(ErrorReportLines(), expectedReport);
}

INSTANTIATE_TEST_SUITE_P(
    Results, AnnouncementTest,
    ::testing::Values(
        AnnouncementCase{"ReadSuccessClearsTheLine", false, 0, {}, "", false},
        AnnouncementCase{"WriteSuccessIsGreen", true, 0, {}, Green, false},
        AnnouncementCase{"ReadError",
                         false,
                         7,
                         {"  1\tjeden", "  7\tBrak odpowiedzi kasy "},
                         "[KTowMax] Error 7 : Brak odpowiedzi kasy",
                         true},
        AnnouncementCase{
            "WriteError255", true, 255, {" 25\tzly", "255\tOpis 255"}, "[KTowMax] Error 255 : Opis 255", true},
        AnnouncementCase{"Code5NeedsTwoBlanks", false, 5, {"5\tzly", "  5\tdobry"}, "[KTowMax] Error 5 : dobry", true},
        AnnouncementCase{"Code5WithoutItsLine", true, 5, {"5\tzly"}, "[KTowMax] Error 5 : ", true},
        AnnouncementCase{"NoKomentTxt", true, 9, {}, "[KTowMax] Error 9 : ", true}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(ExchangeTest, TransmissionTimeDropsFractionsOfASecond)
{
    struct Case {
        TimeOfDay start;
        DateTime now;
        const char* line;
    };
    const Case cases[] = {
        {{10, 0, 0, 0}, {{2024, 3, 26}, {10, 0, 2, 900}}, "Czas transmisji: 2 sek."},
        // A readout started just before midnight ends on the next day.
        {{23, 59, 59, 0}, {{2024, 3, 27}, {0, 0, 1, 500}}, "Czas transmisji: 2 sek."},
    };
    for (const Case& c : cases) {
        OpStartTime = c.start;
        SetClock([now = c.now] { return now; });
        EXPECT_EQ(module.TransmissionTimeLine(), c.line) << LongTimeText(c.start);
    }
}

// ---- the communication library

TEST_F(ExchangeTest, ErrorWithoutAnErrorReportFileCreatesNoFile)
{
    std::filesystem::remove(app + "/libWinIP.so");
    module.aKasujWszystkieTowaryExecute();
    EXPECT_NE(ExchangeResult, 0);
    EXPECT_TRUE(status.Last().error);
    EXPECT_FALSE(std::filesystem::exists(ErrorReportFile));
    // The work history still has the text.
    EXPECT_NE(FileText(WorkLog->FileName).find(status.Last().text), std::string::npos);
}

struct MissingLibraryCase {
    const char* title;
    const char* library; // what lies in the program directory as libWinIP.so: "" nothing, "junk", "partial"
    std::string (*expected)(const std::string& libraryPath);
};

void PrintTo(const MissingLibraryCase& c, std::ostream* os)
{
    *os << c.title;
}

class MissingLibraryTest : public ExchangeTest, public ::testing::WithParamInterface<MissingLibraryCase>
{
};

TEST_P(MissingLibraryTest, IsAnnouncedWithoutACall)
{
    const std::string library = app + "/libWinIP.so";
    std::filesystem::remove(library);
    const std::string kind = GetParam().library;
    if (kind == "junk")
        SaveText("to nie jest biblioteka", library);
    if (kind == "partial")
        std::filesystem::create_symlink(PARTIAL_WINIP, library);
    CreateErrorReport();

    module.aKasujWszystkieTowaryExecute();

    EXPECT_EQ(ExchangeResult, WinIPNotLoaded);
    const std::string expected = "[KTowMax] Error 250 : " + GetParam().expected(library);
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(status.Last().text.substr(0, expected.size()), expected);
    ASSERT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_NE(ErrorReportLines()[0].find(expected), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Library, MissingLibraryTest,
    ::testing::Values(MissingLibraryCase{"NoFile", "",
                                         [](const std::string& path) {
                                             return "Brak biblioteki komunikacyjnej " + path;
                                         }},
                      MissingLibraryCase{"NotALibrary", "junk",
                                         [](const std::string& path) {
                                             return "Nie można załadować biblioteki komunikacyjnej "_cp + path;
                                         }},
                      MissingLibraryCase{"FunctionMissing", "partial",
                                         [](const std::string& path) {
                                             return "Brak funkcji __KTowMax w bibliotece komunikacyjnej " + path;
                                         }}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(ExchangeTest, LibraryFoundLaterIsLoadedThen)
{
    std::filesystem::remove(app + "/libWinIP.so");
    module.aKasujWszystkieTowaryExecute();
    ASSERT_EQ(ExchangeResult, WinIPNotLoaded);
    LinkLibrary(app);
    module.aKasujWszystkieTowaryExecute();
    EXPECT_EQ(ExchangeResult, 0);
    ASSERT_GE(status.shown.size(), 2u);
    EXPECT_EQ(status.shown[status.shown.size() - 2].text, Green);
    EXPECT_EQ(status.Last().text, "Skasowano wszystkie towary w kasie 01");
}

// An installed program loads the library that "Foldery.ini" names, not one beside the executable.
TEST_F(ExchangeTest, LibraryNamedInFolderFileIsLoadedFromThere)
{
    std::filesystem::remove(app + "/libWinIP.so");
    std::filesystem::create_directory(app + "/kasy");
    LinkLibrary(app + "/kasy");
    SaveText("[Foldery]\nBiblioteka=kasy/libWinIP.so\n", app + "/Foldery.ini");
    InitEnvironment(app + "/Tarlo_db");
    ASSERT_EQ(WinIPLibraryPath, app + "/kasy/libWinIP.so");

    module.aKasujWszystkieTowaryExecute();

    EXPECT_EQ(ExchangeResult, 0);
    EXPECT_TRUE(status.Errors().empty());
    EXPECT_EQ(status.Last().text, "Skasowano wszystkie towary w kasie 01");
}

TEST_F(ExchangeTest, PathOf256BytesIsNeverPassed)
{
    // A program directory so deep that the request path reaches 256 bytes; no library lies there, so any
    // attempt to call would end in WinIPNotLoaded instead.
    const std::string deep = app + "/" + std::string(120, 'a') + "/" + std::string(120, 'b');
    std::filesystem::create_directories(deep + "/In");
    ExeDir = WorkDir = deep + "/";
    ASSERT_GE((ExeDir + "In/KTowMax.in").size(), 256u);
    CreateErrorReport();

    module.aKasujWszystkieTowaryExecute();

    EXPECT_EQ(ExchangeResult, WinIPFileNameError);
    EXPECT_EQ(status.Last().text, AnnouncedError("KTowMax", WinIPFileNameError));
    EXPECT_TRUE(status.Last().error);
    EXPECT_EQ(ErrorReportLines().size(), 1u);
}

TEST_F(ExchangeTest, PathOf255BytesIsPassed)
{
    // A request path of exactly 255 bytes still fits its buffer with the zero byte.
    const std::string fixed = app + "/";
    const std::string tail = "/In/KTowMax.in";
    const std::string deep = fixed + std::string(255 - fixed.size() - tail.size(), 'c');
    std::filesystem::create_directories(deep + "/In");
    LinkLibrary(deep);
    ExeDir = WorkDir = deep + "/";
    ASSERT_EQ((ExeDir + "In/KTowMax.in").size(), 255u);

    module.aKasujWszystkieTowaryExecute();

    EXPECT_EQ(ExchangeResult, 0);
    ASSERT_GE(status.shown.size(), 2u);
    EXPECT_EQ(status.shown[status.shown.size() - 2].text, Green);
    EXPECT_EQ(status.Last().text, "Skasowano wszystkie towary w kasie 01");
}

} // namespace
