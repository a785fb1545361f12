// Start-up environment, connection values from the INI files, working paths, the work history and the status line.
#include "app/ConstUnit.h"
#include "app/ReadoutFiles.h"
#include "util/Cp1250Literal.h"
#include "util/TestTempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

const DateTime Moment{{2024, 3, 26}, {14, 5, 9, 0}};

std::string Content(const std::string& path)
{
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

// Each test gets its own executable directory (the executable itself need not exist) and current directory.
class ConstUnitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetClock([] { return Moment; });
        previousDir_ = fs::current_path();
        fs::create_directory(tmp / "cwd");
        fs::current_path(tmp / "cwd");
        exeDir_ = tmp / "Sklep";
        fs::create_directory(exeDir_);
    }
    void TearDown() override
    {
        fs::current_path(previousDir_);
        SetClock({});
        SetDatePicker(nullptr);
        SetStatusLine(nullptr);
        RegisterCode.clear();
        WorkLog.reset();
    }
    void Init() { InitEnvironment(exeDir_ + "/Tarlo_db"); }
    void Write(const std::string& name, const std::string& text) { SaveText(text, exeDir_ + "/" + name); }

    TestTempDir tmp;
    std::string exeDir_;

private:
    fs::path previousDir_;
};

struct FixedPicker : IDatePicker {
    Date date;
    Date PickedDate() const override { return date; }
};

} // namespace

TEST_F(ConstUnitTest, InitCreatesDirectoriesAndNamesFiles)
{
    Init();
    EXPECT_EQ(AppTitle, "Brenmo_Soft             Wymiana danych z kasami ELZAB ");
    EXPECT_EQ(ExeDir, exeDir_ + "/");
    EXPECT_EQ(DataDir, exeDir_ + "/Dane/");
    for (const char* dir : {"Dane", "In", "Out"})
        EXPECT_TRUE(DirectoryExists(exeDir_ + "/" + dir)) << dir;
    EXPECT_EQ(ErrorReportFile, exeDir_ + "/Out/log.txt");
    ASSERT_TRUE(WorkLog);
    EXPECT_EQ(WorkLog->FileName, DataDir + "H_202403.txt");
    EXPECT_FALSE(FileExists(WorkLog->FileName)); // nothing written yet
    EXPECT_TRUE(ResultTexts.empty());
}

TEST_F(ConstUnitTest, ExistingDirectoriesAndKomentAreFoundWhateverTheirCase)
{
    fs::create_directory(exeDir_ + "/in");
    fs::create_directory(exeDir_ + "/OUT");
    SaveText("  5\tZły numer\r\n  6\tBłąd\r\n"_cp, tmp / "cwd/KOMENT.TXT");
    Init();
    EXPECT_FALSE(DirectoryExists(exeDir_ + "/In"));
    EXPECT_EQ(ErrorReportFile, exeDir_ + "/OUT/log.txt");
    EXPECT_EQ(ResultTexts, (std::vector<std::string>{"  5\tZły numer"_cp, "  6\tBłąd"_cp}));
}

TEST_F(ConstUnitTest, ExistingErrorReportIsFoundWhateverItsCase)
{
    fs::create_directory(exeDir_ + "/out");
    SaveText("", exeDir_ + "/out/LOG.TXT");
    Init();
    EXPECT_EQ(ErrorReportFile, exeDir_ + "/out/LOG.TXT");
}

TEST_F(ConstUnitTest, OwnExecutableDirectoryByDefault)
{
    const std::string binDir = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
    std::vector<std::string> created;
    for (const char* dir : {"Dane", "In", "Out"})
        if (!fs::exists(FindCaseless(binDir, dir)))
            created.push_back(binDir + dir);
    InitEnvironment();
    EXPECT_EQ(ExeDir, binDir);
    std::error_code ec;
    for (const std::string& dir : created)
        fs::remove_all(dir, ec);
}

struct IniCase {
    const char* name;
    const char* firma; // content of Firma.ini, nullptr for no file
    const char* own;   // content of Tarlo_db.INI, nullptr for no file
    const char* dbPath;
    const char* dbUser;
    const char* dbPassword;
};

void PrintTo(const IniCase& c, std::ostream* os)
{
    *os << c.name;
}

class IniPrecedence : public ConstUnitTest, public ::testing::WithParamInterface<IniCase>
{
};

TEST_P(IniPrecedence, ConnectionValues)
{
    const IniCase& c = GetParam();
    if (c.firma)
        Write("Firma.ini", c.firma);
    if (c.own)
        Write("Tarlo_db.INI", c.own);
    Init();
    EXPECT_EQ(DbPath, c.dbPath);
    EXPECT_EQ(DbUser, c.dbUser);
    EXPECT_EQ(DbPassword, c.dbPassword);
}

const char OwnIni[] = "[Tarlo]\nPth=own:/own.fdb\nUser=OWNER\nPass=ownpass\n";

INSTANTIATE_TEST_SUITE_P(
    Files, IniPrecedence,
    ::testing::Values(
        IniCase{"Neither", nullptr, nullptr, "", "SYSDBA", "pinewoods"},
        IniCase{"OwnOnly", nullptr, OwnIni, "own:/own.fdb", "OWNER", "ownpass"},
        IniCase{"FirmaWinsEvenForMissingKeys", "[FK]\nBazaSQL=FIRMA.FDB\n", OwnIni, "FIRMA.FDB", "SYSDBA", "pinewoods"},
        IniCase{"FullFk",
                "[FK]\nSerwerBazy=dbhost\nSciezkaDoBazy=D:\\Firma\nBazaSQL=FIRMA.FDB\nHLDS=tajne\n"
                "[Tarlo]\nPth=ignored\nUser=KASJER\nPass=ignored\n",
                nullptr, "dbhost:D:\\Firma\\FIRMA.FDB", "KASJER", "tajne"},
        IniCase{"FkWithoutServer", "[FK]\nSciezkaDoBazy=D:\\Firma\nBazaSQL=FIRMA.FDB\n", nullptr,
                "D:\\Firma\\FIRMA.FDB", "SYSDBA", "pinewoods"},
        IniCase{"PasswordFromTarloSection", "[FK]\nBazaSQL=x.fdb\n[Tarlo]\nPass=haslo\n", OwnIni, "x.fdb", "SYSDBA",
                "haslo"},
        IniCase{"ServerAlone", "[FK]\nSerwerBazy=dbhost\nSciezkaDoBazy=\n[Tarlo]\nPth=/not/used.fdb\n", nullptr,
                "dbhost:", "SYSDBA", "pinewoods"},
        IniCase{"PathWithoutBackslash", "[FK]\nSciezkaDoBazy=/srv/db\nBazaSQL=FIRMA.FDB\n", nullptr,
                "/srv/db/FIRMA.FDB", "SYSDBA", "pinewoods"},
        IniCase{"PathEndingWithColon", "[FK]\nSerwerBazy=h\nSciezkaDoBazy=C:\nBazaSQL=F.FDB\n", nullptr, "h:C:F.FDB",
                "SYSDBA", "pinewoods"},
        IniCase{"FkEmptyFallsBackToPth", "[Tarlo]\nPth=localhost:/db/tarlo.fdb\n", nullptr, "localhost:/db/tarlo.fdb",
                "SYSDBA", "pinewoods"},
        IniCase{"NamesIgnoreCase", "[fk]\nserwerbazy=h\nSCIEZKADOBAZY=/d\nbazasql=b.fdb\n[TARLO]\nuser=u\n", nullptr,
                "h:/d/b.fdb", "u", "pinewoods"},
        // An indented key is a key of its own, a comment line is skipped, a UTF-8 mark is skipped.
        IniCase{"IndentedKeys",
                "\uFEFF[FK]\r\n  SerwerBazy = dbhost\r\n  BazaSQL=FIRMA.FDB\r\n; HLDS=comment\r\n  HLDS=ab;cd\r\n",
                nullptr, "dbhost:FIRMA.FDB", "SYSDBA", "ab;cd"},
        // Read as Windows reads it: an inline ";" is text, one pair of quotes goes.
        IniCase{"InlineSemicolonAndQuotes", "[FK]\r\nBazaSQL=\"/srv/baza;1.fdb\"\r\nHLDS=tajne ;haslo\r\n", nullptr,
                "/srv/baza;1.fdb", "SYSDBA", "tajne ;haslo"},
        IniCase{"MalformedLinesAreSkipped", "garbage line\n[FK\nBazaSQL=x.fdb\n[FK]\nBazaSQL=y.fdb\n", nullptr, "y.fdb",
                "SYSDBA", "pinewoods"}),
    [](const ::testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

struct EngineCase {
    const char* name;
    const char* firma; // content of Firma.ini, nullptr for no file
    const char* own;   // content of Tarlo_db.INI
    bool embedded;
};

class EngineChoice : public ConstUnitTest, public ::testing::WithParamInterface<EngineCase>
{
};

TEST_P(EngineChoice, SilnikWbudowanyChoosesTheEmbeddedEngine)
{
    const EngineCase& c = GetParam();
    if (c.firma)
        Write("Firma.ini", c.firma);
    Write("Tarlo_db.INI", c.own);
    EmbeddedEngine = !c.embedded;
    Init();
    EXPECT_EQ(EmbeddedEngine, c.embedded);
}

INSTANTIATE_TEST_SUITE_P(
    Files, EngineChoice,
    ::testing::Values(EngineCase{"NotSet", nullptr, "[Tarlo]\r\nPth=/d/x.fdb\r\n", false},
                      EngineCase{"Wbudowany", nullptr, "[Tarlo]\r\nPth=/d/x.fdb\r\nSilnik=wbudowany\r\n", true},
                      EngineCase{"AnyLetterCase", nullptr, "[Tarlo]\r\n  silnik = WBUDOWANY \r\n", true},
                      EngineCase{"OtherValue", nullptr, "[Tarlo]\r\nSilnik=serwer\r\n", false},
                      EngineCase{"FromFirmaWhenItExists", "[Tarlo]\r\nSilnik=wbudowany\r\n", "[Tarlo]\r\n", true},
                      EngineCase{"OwnIgnoredWhenFirmaExists", "[FK]\r\n", "[Tarlo]\r\nSilnik=wbudowany\r\n", false}),
    [](const ::testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

TEST_F(ConstUnitTest, IniFileNamesIgnoreCase)
{
    Write("FIRMA.INI", "[FK]\nBazaSQL=upper.fdb\n");
    Init();
    EXPECT_EQ(DbPath, "upper.fdb");

    fs::remove(exeDir_ + "/FIRMA.INI");
    Write("tarlo_db.ini", "[Tarlo]\nPth=lower.fdb\n");
    Init();
    EXPECT_EQ(DbPath, "lower.fdb");
}

TEST_F(ConstUnitTest, OwnIniReplacesTheExtension)
{
    SaveText("[Tarlo]\nUser=EXT\n", exeDir_ + "/Tarlo.INI");
    InitEnvironment(exeDir_ + "/Tarlo.exe");
    EXPECT_EQ(DbUser, "EXT");
}

TEST_F(ConstUnitTest, RelativeExecutablePathGivesAnAbsoluteExeDir)
{
    InitEnvironment("../Sklep/Tarlo_db"); // the current directory is tmp/cwd
    EXPECT_EQ(ExeDir, fs::absolute("../Sklep").string() + "/");
    EXPECT_EQ(ExeDir.front(), '/');
}

TEST_F(ConstUnitTest, WorkPathsForRegisterAndDate)
{
    Init();
    FixedPicker picker;
    picker.date = {2024, 3, 26};
    SetDatePicker(&picker);
    RegisterCode = "05";
    UpdateWorkPaths();
    EXPECT_EQ(SalesDate, (Date{2024, 3, 26}));
    EXPECT_EQ(RegisterDir, DataDir + "Kasa05/");
    EXPECT_EQ(DayDir, DataDir + "Kasa05/20240326/");
    EXPECT_TRUE(DirectoryExists(DayDir));
    EXPECT_EQ(GoodsTable, "Kartas2024");
    EXPECT_EQ(ReadingFile, DayDir + "005_20240326_001.txt");

    picker.date = {2023, 12, 31};
    UpdateWorkPaths();
    EXPECT_EQ(GoodsTable, "Kartas2023");
    EXPECT_EQ(ReadingFile, DataDir + "Kasa05/20231231/005_20231231_001.txt");
}

TEST_F(ConstUnitTest, WorkPathsWithoutPickerUseToday)
{
    Init();
    UpdateWorkPaths();
    EXPECT_EQ(SalesDate, Moment.date);
    // No register chosen yet: the code is empty and the number part is "000".
    EXPECT_EQ(RegisterDir, DataDir + "Kasa/");
    EXPECT_EQ(ReadingFile, DataDir + "Kasa/20240326/000_20240326_001.txt");
    EXPECT_TRUE(DirectoryExists(DataDir + "Kasa/20240326"));
}

TEST_F(ConstUnitTest, ReadoutNumbering)
{
    Init();
    struct Case {
        const char* code;
        std::vector<std::string> existing;
        const char* expected;
    } cases[] = {
        {"05", {"005_20240326_001.txt", "005_20240326_002.txt"}, "005_20240326_003.txt"},
        // A gap: two files, and the count plus one names an existing file, so the next free number is taken.
        {"06", {"006_20240326_001.txt", "006_20240326_003.txt"}, "006_20240326_004.txt"},
        {"07", {"007_20240326_002.txt"}, "007_20240326_003.txt"}, // count 1, 002 taken
        {"08", {"008_20240326_001.TXT"}, "008_20240326_002.txt"},
        {"12345", {}, "345_20240326_001.txt"}, // only the last three digits of a long code
        {"3A", {}, "003_20240326_001.txt"},
    };
    for (const Case& c : cases) {
        const std::string day = DataDir + "Kasa" + c.code + "/20240326/";
        EnsureDir(day);
        for (const std::string& name : c.existing)
            SaveText("x", day + name);
        RegisterCode = c.code;
        UpdateWorkPaths();
        EXPECT_EQ(ReadingFile, day + c.expected) << c.code;
    }
    RegisterCode = "1-";
    EXPECT_THROW(UpdateWorkPaths(), ConversionError);
}

// A stored file's number is above every file of the day folder and its reset folder, and above the highest number
// the database recorded: a readout deleted or moved away leaves its number used.
TEST_F(ConstUnitTest, StoredNumberExceedsTheFilesAndTheRecord)
{
    Init();
    struct Case {
        std::vector<std::string> existing; // under the day folder
        int recorded;
        const char* expected;
    } cases[] = {
        {{}, 0, "009_20240326_001.txt"},
        {{}, 3, "009_20240326_004.txt"}, // 001..003 recorded, their files gone
        {{"009_20240326_002.txt"}, 5, "009_20240326_006.txt"},
        {{"009_20240326_007.txt"}, 5, "009_20240326_008.txt"},
        {{"Zerowania/009_20240326_004.txt"}, 2, "009_20240326_005.txt"},
    };
    const std::string day = DataDir + "Kasa09/20240326/";
    for (const Case& c : cases) {
        std::filesystem::remove_all(day);
        EnsureDir(day + "Zerowania");
        for (const std::string& name : c.existing)
            SaveText("x", day + name);
        std::string stored, reason;
        EXPECT_TRUE(StoreNumberedFile("odczyt", day, day, "009_20240326_", c.recorded, stored, reason)) << reason;
        EXPECT_EQ(stored, day + c.expected) << c.recorded;
    }
    // Past 999 no number is left: refused, nothing stored.
    std::filesystem::remove_all(day);
    std::string stored, reason;
    EXPECT_FALSE(StoreNumberedFile("odczyt", day, day, "009_20240326_", 999, stored, reason));
    EXPECT_FALSE(FileExists(day + "009_20240326_999.txt"));
}

namespace
{
struct RecordingStatusLine : IStatusLine {
    void ShowStatus(const std::string& text, bool error) override { shown.emplace_back(text, error); }
    std::vector<std::pair<std::string, bool>> shown;
};
} // namespace

TEST_F(ConstUnitTest, KomunikatShowsAndLogsNonEmptyTexts)
{
    Init();
    RecordingStatusLine line;
    SetStatusLine(&line);
    Komunikat("Odczyt zakończony"_cp, false);
    Komunikat("Odczyt zakończony"_cp, false);
    Komunikat("", true);
    const std::vector<std::pair<std::string, bool>> expectedShown = {
        {"Odczyt zakończony"_cp, false}, {"Odczyt zakończony"_cp, false}, {"", true}};
    EXPECT_EQ(line.shown, expectedShown);
    EXPECT_EQ(
        Content(WorkLog->FileName),
        "[3.0 [24.086]] 26.03.2024 14:05:09: Odczyt zakończony\r\n[3.0 [24.086]] 26.03.2024 14:05:09: Odczyt zakończony\r\n"_cp);
}

// A work folder that cannot be created is named once in red; the paths are set and the program goes on.
TEST_F(ConstUnitTest, WorkFolderThatCannotBeCreatedIsReportedOnce)
{
    Init();
    RecordingStatusLine line;
    SetStatusLine(&line);
    const struct {
        const char* code;
        std::string blocked;  // where a file stands in the way
        std::string reported; // the folder named
    } cases[] = {
        {"05", DataDir + "Kasa05", DataDir + "Kasa05/"},
        {"06", DataDir + "Kasa06/20240326", DataDir + "Kasa06/20240326/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        line.shown.clear();
        fs::create_directories(fs::path(c.blocked).parent_path());
        SaveText("x", c.blocked);
        RegisterCode = c.code;
        const std::string message =
            "Nie można utworzyć folderu "_cp + c.reported +
            ": w miejscu folderu jest plik. Odczytów tej kasy z tego dnia nie będzie można zapisać."_cp;
        const auto timesLogged = [&message] {
            const std::string log = Content(WorkLog->FileName);
            int n = 0;
            for (auto at = log.find(message); at != std::string::npos; at = log.find(message, at + 1))
                ++n;
            return n;
        };

        ASSERT_NO_THROW(UpdateWorkPaths());
        ASSERT_NO_THROW(UpdateWorkPaths());

        EXPECT_EQ(ReadingFile, DataDir + "Kasa" + c.code + "/20240326/0" + c.code + "_20240326_001.txt");
        EXPECT_EQ(line.shown, (std::vector<std::pair<std::string, bool>>{{message, true}}));
        EXPECT_EQ(timesLogged(), 1);

        // Once the folders can be made the message goes; a new failure is told again.
        fs::remove(c.blocked);
        UpdateWorkPaths();
        EXPECT_TRUE(DirectoryExists(DayDir));
        fs::remove_all(c.blocked);
        SaveText("x", c.blocked);
        UpdateWorkPaths();
        EXPECT_EQ(line.shown.size(), 2u);
        EXPECT_EQ(timesLogged(), 2);
    }
}

TEST_F(ConstUnitTest, LogLineWritesEveryMessageAndNeedsNoStatusLine)
{
    Init();
    LogLine("");
    Komunikat("bez okna", true);
    EXPECT_EQ(Content(WorkLog->FileName), "[3.0 [24.086]] 26.03.2024 14:05:09: \r\n"
                                          "[3.0 [24.086]] 26.03.2024 14:05:09: bez okna\r\n");
    WorkLog.reset();
    EXPECT_NO_THROW(LogLine("no logger"));
    EXPECT_NO_THROW(Komunikat("no logger", false));
}

// ---- "Foldery.ini": where an installed program keeps its configuration, work data and register library

struct FoldersCase {
    const char* name;
    const char* besideExe; // "Foldery.ini" beside the executable; nullptr for none
    const char* inConfig;  // "Foldery.ini" in the folder "Konf" under the temporary folder; nullptr for none
    const char* configDir; // expected, relative to the temporary folder ("Sklep/" is the executable's folder)
    const char* workDir;   // expected, likewise
    const char* library;   // expected, likewise; "" for none named
};

class ProgramFoldersTest : public ConstUnitTest, public ::testing::WithParamInterface<FoldersCase>
{
};

TEST_P(ProgramFoldersTest, Folders)
{
    const FoldersCase& c = GetParam();
    const std::string root = tmp.Path() + "/";
    fs::create_directory(root + "Konf");
    // Absolute paths in the cases are written as "@/", which stands for the temporary folder.
    auto expand = [&root](std::string text) {
        for (std::size_t at; (at = text.find("@/")) != std::string::npos;)
            text.replace(at, 2, root);
        return text;
    };
    if (c.besideExe)
        Write("foldery.INI", expand(c.besideExe));
    if (c.inConfig)
        SaveText(expand(c.inConfig), root + "Konf/Foldery.ini");
    const ProgramFolders folders = ReadProgramFolders(exeDir_);
    EXPECT_EQ(folders.configDir, root + c.configDir);
    EXPECT_EQ(folders.workDir, root + c.workDir);
    EXPECT_EQ(folders.library, *c.library ? root + c.library : std::string());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramFoldersTest,
    ::testing::Values(
        FoldersCase{"NoFileEverythingBesideTheProgram", nullptr, nullptr, "Sklep/", "Sklep/", ""},
        FoldersCase{"EmptyKeysKeepTheDefault", "[Foldery]\nKonfiguracja=\nPraca=  \n", nullptr, "Sklep/", "Sklep/", ""},
        FoldersCase{"OtherSectionSaysNothing", "[Tarlo]\nPraca=@/Praca\n", nullptr, "Sklep/", "Sklep/", ""},
        FoldersCase{"AbsolutePaths", "[foldery]\nkonfiguracja=@/Konf\nPRACA=@/Praca/\nBiblioteka=@/kasy/libWinIP.so\n",
                    nullptr, "Konf/", "Praca/", "kasy/libWinIP.so"},
        FoldersCase{"RelativePathsCountFromTheProgram", "[Foldery]\nKonfiguracja=../Konf\nPraca=dane\n", nullptr,
                    "Sklep/../Konf/", "Sklep/dane/", ""},
        // The shop's own file in the configuration folder names its own library and work folder; its
        // Konfiguracja says nothing.
        FoldersCase{"ConfigFolderFileWins",
                    "[Foldery]\nKonfiguracja=@/Konf\nPraca=@/Praca\nBiblioteka=@/sym/libWinIP.so\n",
                    "[Foldery]\nKonfiguracja=@/Inna\nBiblioteka=elzab/libWinIP.so\n", "Konf/", "Praca/",
                    "Konf/elzab/libWinIP.so"},
        // Without a configuration folder of its own, no second file is read.
        FoldersCase{"ConfigFolderFileOnlyWhenNamed", "[Foldery]\nPraca=@/Praca\n",
                    "[Foldery]\nBiblioteka=@/elzab/libWinIP.so\n", "Sklep/", "Praca/", ""}),
    [](const ::testing::TestParamInfo<FoldersCase>& info) { return std::string(info.param.name); });

// An installed program: configuration from one folder, work data in another, result texts shipped beside the
// executable, the library where the file names it.
TEST_F(ConstUnitTest, InstalledProgramUsesTheNamedFolders)
{
    const std::string root = tmp.Path() + "/";
    fs::create_directories(root + "etc");
    fs::create_directories(root + "var");
    Write("Foldery.ini",
          "[Foldery]\nKonfiguracja=" + root + "etc\nPraca=" + root + "var\nBiblioteka=" + root + "sym/libWinIP.so\n");
    Write("Tarlo_db.INI", "[Tarlo]\nPth=beside.fdb\n");
    SaveText("[Tarlo]\nPth=etc.fdb\n", root + "etc/Tarlo_db.INI");
    Write("koment.txt", "Bez błędu\r\n"_cp);
    Init();
    EXPECT_EQ(ExeDir, exeDir_ + "/");
    EXPECT_EQ(ConfigDir, root + "etc/");
    EXPECT_EQ(WorkDir, root + "var/");
    EXPECT_EQ(WinIPLibraryPath, root + "sym/libWinIP.so");
    EXPECT_EQ(DbPath, "etc.fdb");
    EXPECT_EQ(DataDir, root + "var/Dane/");
    EXPECT_EQ(ErrorReportFile, root + "var/Out/log.txt");
    for (const char* dir : {"Dane", "In", "Out"}) {
        EXPECT_TRUE(DirectoryExists(root + "var/" + dir)) << dir;
        EXPECT_FALSE(fs::exists(exeDir_ + "/" + dir)) << dir;
    }
    EXPECT_EQ(ResultTexts, std::vector<std::string>{"Bez błędu"_cp});

    // Firma.ini is looked for in the configuration folder too.
    SaveText("[FK]\nBazaSQL=firma.fdb\n", root + "etc/Firma.ini");
    Init();
    EXPECT_EQ(DbPath, "firma.fdb");
}
