#pragma once
// The surroundings of the register operations in tests: a temporary program directory prepared by
// InitEnvironment (with "Dane", "In", "Out" and the stand-in communication library linked in), a separate current
// directory holding "koment.txt" and "KONFIG.txt", a simulator folder of its own (WINIP_SYM_DIR), register 1
// chosen, and fakes of the status line and of the exchange pages.
#include "TestSupport.h"
#include "app/ConstUnit.h"
#include "db/dbDDM.h"
#include "exchange/ExchangeView.h"
#include "exchange/FmElzab.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

class FakeStatusLine : public IStatusLine
{
public:
    struct Shown {
        std::string text;
        bool error = false;
    };
    void ShowStatus(const std::string& text, bool error) override { shown.push_back({text, error}); }
    Shown Last() const { return shown.empty() ? Shown{} : shown.back(); }
    std::vector<Shown> Errors() const
    {
        std::vector<Shown> result;
        for (const auto& s : shown)
            if (s.error && !s.text.empty())
                result.push_back(s);
        return result;
    }
    std::vector<Shown> shown;
};

class FakeExchangeView : public IExchangeView
{
public:
    void MemoClear() override { memo.clear(); }
    void MemoInsertFirst(const std::string& line) override
    {
        if (failMemoInsert)
            throw std::runtime_error("okno niedostępne"_cp);
        memo.insert(memo.begin(), line);
    }
    void MemoAppend(const std::vector<std::string>& lines) override
    {
        memo.insert(memo.end(), lines.begin(), lines.end());
    }
    void SetRegisterGoods(const std::vector<std::string>& lines) override
    {
        if (failRegisterGoods)
            throw std::runtime_error("okno niedostępne"_cp);
        memo1 = lines;
    }
    std::vector<PickedGood> PickedGoods() const override { return picked; }
    void UnpickRow(int row) override
    {
        std::erase_if(picked, [row](const PickedGood& good) { return good.row == row; });
    }

    std::vector<std::string> memo;
    std::vector<std::string> memo1{"poprzedni wykaz"};
    std::vector<PickedGood> picked;
    // Unexpected errors raised from the window.
    bool failMemoInsert = false;
    bool failRegisterGoods = false;
};

inline std::string BinDir()
{
    const char* dir = std::getenv("TARLO_BIN_DIR");
    return dir ? dir : "";
}

inline std::string FileText(const std::string& path)
{
    std::string content;
    return ReadWholeFile(path, content) ? content : "<brak pliku>";
}

class ExchangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "tarlo-exchange-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        work = root + "/praca";
        app = root + "/program";
        fs::create_directories(work);
        fs::create_directories(app);
        previousDir = fs::current_path();
        fs::current_path(work);
        setenv("WINIP_SYM_DIR", (root + "/sym").c_str(), 1);

        std::error_code ec;
        fs::copy_file(BinDir() + "/koment.txt", work + "/koment.txt", ec);
        LinkLibrary(app);
        InitEnvironment(app + "/Tarlo_db");
        ASSERT_EQ(ExeDir, app + "/");

        RegisterCode = "01";
        RegisterSystemNo = "1";
        PortNumber = "1";
        BaudRate = "9600";
        RegisterTimeout = "5";
        UpdateWorkPaths();
        SetStatusLine(&status);
        module.view = &view;
    }

    void TearDown() override
    {
        SetStatusLine(nullptr);
        SetClock({});
        CloseTextFile(ErrorReport);
        std::error_code ec;
        std::filesystem::current_path(previousDir, ec);
        std::filesystem::remove_all(root, ec);
        unsetenv("WINIP_SYM_DIR");
    }

    // tarlo-cli beside the program, with koment.txt and a Tarlo_db.INI naming `database`, as a shop installs it.
    void PlaceTool(const std::string& database) const
    {
        std::filesystem::copy_file(BinDir() + "/tarlo-cli", app + "/tarlo-cli");
        std::filesystem::copy_file(BinDir() + "/koment.txt", app + "/koment.txt");
        SaveText("[Tarlo]\r\nPth=" + database + "\r\nUser=SYSDBA\r\nPass=masterkey\r\n", app + "/Tarlo_db.INI");
    }

    // Puts the stand-in library into a program directory.
    static void LinkLibrary(const std::string& directory)
    {
        std::error_code ec;
        std::filesystem::create_symlink(BinDir() + "/libWinIP.so", directory + "/libWinIP.so", ec);
    }

    // The announced error text for a code described in "koment.txt".
    static std::string AnnouncedError(const std::string& operation, int code)
    {
        const std::string description = LookupLine(IntToStrPad(code, 3, " ") + "\t", ResultTexts, true);
        EXPECT_FALSE(description.empty()) << "koment.txt describes code " << code;
        return "[" + operation + "] Error " + std::to_string(code) + " : " + description;
    }

    void CreateErrorReport() { SaveText("", ErrorReportFile); }
    std::vector<std::string> ErrorReportLines() const
    {
        std::vector<std::string> lines;
        ReadLines(ErrorReportFile, lines);
        return lines;
    }

    std::string root;
    std::string work; // the current directory
    std::string app;  // ExeDir without its "/"
    std::filesystem::path previousDir;
    FakeStatusLine status;
    FakeExchangeView view;
    TfmE module;
};

// ExchangeTest with a throw-away database of the catalogue's schema, connected as `dm`, with the program's own tables.
class DatabaseExchangeTest : public ExchangeTest
{
protected:
    void SetUp() override
    {
        ExchangeTest::SetUp();
        ASSERT_TRUE(testsupport::ConnectDm(database.Path()));
        dm->TestStru(false);
    }
    void TearDown() override
    {
        dm.reset();
        ExchangeTest::TearDown();
    }

    testsupport::TempDatabase database{demodb::Content::Schema};
};
