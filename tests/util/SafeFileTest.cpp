// Files written through a temporary name: what is on disk after success, a full disk, a file where the folder
// must be, an existing target and a target that is not a regular file.
#include "util/SafeFile.h"
#include "Faults.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/TestTempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{

std::string Content(const std::string& path)
{
    std::string text;
    return ReadWholeFile(path, text) ? text : "<brak pliku>";
}

// Every entry of the folder, hidden ones included: no temporary file may be left behind.
std::vector<std::string> Entries(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Both writers that replace a file: the durable one and the one for files handed over to the library at once.
using Replacing = bool (*)(const std::string&, const std::string&, std::string&);
const std::pair<const char*, Replacing> ReplacingWriters[] = {{"WriteFileReplacing", WriteFileReplacing},
                                                              {"WriteFileHandedOver", WriteFileHandedOver}};

TEST(WriteFileReplacing, ReplacesWholeAndLeavesNoTemporary)
{
    for (const auto& [name, write] : ReplacingWriters) {
        SCOPED_TRACE(name);
        TestTempDir tmp;
        std::string reason;
        ASSERT_TRUE(write(tmp / "Towary.txt", "stary\r\n", reason)) << reason;
        ASSERT_TRUE(write(tmp / "Towary.txt", "nowy\r\n", reason)) << reason;
        EXPECT_EQ(Content(tmp / "Towary.txt"), "nowy\r\n");
        EXPECT_EQ(Entries(tmp.Path()), std::vector<std::string>{"Towary.txt"});
        // Created with the rights a plain fopen would give, not the temporary file's private ones.
        struct stat info {
        };
        ASSERT_EQ(stat((tmp / "Towary.txt").c_str(), &info), 0);
        const mode_t mask = umask(0);
        umask(mask);
        EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    }
}

TEST(WriteFileReplacing, FullDiskKeepsTheOldFile)
{
    for (const auto& [name, write] : ReplacingWriters) {
        SCOPED_TRACE(name);
        TestTempDir tmp;
        std::string reason;
        ASSERT_TRUE(write(tmp / "Towary.txt", "stary\r\n", reason));
        {
            testsupport::FileSizeLimit full(1000);
            EXPECT_FALSE(write(tmp / "Towary.txt", std::string(5000, 'x'), reason));
        }
        EXPECT_EQ(reason, "przekroczony dopuszczalny rozmiar pliku (brak miejsca)");
        EXPECT_EQ(Content(tmp / "Towary.txt"), "stary\r\n");
        EXPECT_EQ(Entries(tmp.Path()), std::vector<std::string>{"Towary.txt"});
    }
}

TEST(WriteFileNoOverwrite, NeverReplacesAndFailsCleanly)
{
    TestTempDir tmp;
    std::string reason;
    ASSERT_TRUE(WriteFileNoOverwrite(tmp / "001.txt", "odczyt 1", reason)) << reason;
    EXPECT_FALSE(WriteFileNoOverwrite(tmp / "001.txt", "odczyt 2", reason));
    EXPECT_EQ(reason, "plik już istnieje"_cp);
    EXPECT_EQ(Content(tmp / "001.txt"), "odczyt 1");

    {
        testsupport::FileSizeLimit full(100);
        EXPECT_FALSE(WriteFileNoOverwrite(tmp / "002.txt", std::string(300, 'x'), reason));
    }
    EXPECT_FALSE(fs::exists(tmp / "002.txt")); // no empty or cut readout
    EXPECT_EQ(Entries(tmp.Path()), std::vector<std::string>{"001.txt"});
}

TEST(SafeWriters, RefuseWhatIsNotARegularFileAndAMissingFolder)
{
    TestTempDir tmp;
    fs::create_directory(tmp / "folder");
    ASSERT_EQ(mkfifo((tmp / "fifo").c_str(), 0600), 0);
    testsupport::PutFileWhereFolderMustBe(tmp / "Dane");
    struct Case {
        std::string path;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {tmp / "folder", "w miejscu pliku jest folder"},
        {tmp / "fifo", "to nie jest zwykły plik"_cp},
        {tmp / "Dane/odczyt.txt", "w miejscu folderu jest plik"},
        {tmp / "brak/odczyt.txt", "brak folderu"},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_FALSE(WriteFileReplacing(c.path, "x", reason)) << c.path;
        EXPECT_EQ(reason, c.reason) << c.path;
    }
    EXPECT_TRUE(fs::is_directory(tmp / "folder"));
    EXPECT_TRUE(fs::is_fifo(tmp / "fifo"));
}

TEST(WriteFileReplacing, FollowsALinkToARegularFile)
{
    TestTempDir tmp;
    SaveText("stary", tmp / "real.txt");
    fs::create_symlink(tmp / "real.txt", tmp / "link.txt");
    std::string reason;
    ASSERT_TRUE(WriteFileReplacing(tmp / "link.txt", "nowy", reason)) << reason;
    EXPECT_TRUE(fs::is_symlink(tmp / "link.txt"));
    EXPECT_EQ(Content(tmp / "real.txt"), "nowy");
}

TEST(CopyToNewFile, CopiesOrSaysWhy)
{
    TestTempDir tmp;
    SaveText("sumy", tmp / "OTSpMax.out");
    std::string reason;
    ASSERT_TRUE(CopyToNewFile(tmp / "OTSpMax.out", tmp / "001.txt", reason)) << reason;
    EXPECT_EQ(Content(tmp / "001.txt"), "sumy");
    EXPECT_FALSE(CopyToNewFile(tmp / "brak.out", tmp / "002.txt", reason));
    EXPECT_EQ(reason, "nie można odczytać pliku "_cp + (tmp / "brak.out") + " (brak folderu)");
}

TEST(EnsureDirReporting, NamesTheReason)
{
    TestTempDir tmp;
    std::string reason;
    EXPECT_TRUE(EnsureDirReporting(tmp / "Kasa01/20240326/", reason));
    EXPECT_TRUE(fs::is_directory(tmp / "Kasa01/20240326"));
    testsupport::PutFileWhereFolderMustBe(tmp / "Kasa02");
    EXPECT_FALSE(EnsureDirReporting(tmp / "Kasa02/20240326/", reason));
    EXPECT_EQ(reason, "w miejscu folderu jest plik");
    EXPECT_FALSE(EnsureDirReporting(tmp / "Kasa02", reason));
    EXPECT_EQ(reason, "w miejscu folderu jest plik");
}

TEST(RenameNoOverwrite, NeverReplacesAndNamesTheReason)
{
    struct Case {
        const char* what;
        bool sourceThere;
        const char* targetThere; // nothing, "file" or "folder"
        bool ok;
        std::string reason;
    };
    const Case cases[] = {
        {"free name", true, nullptr, true, ""},
        {"name taken by a file", true, "file", false, "plik już istnieje"_cp},
        {"name taken by a folder", true, "folder", false, "plik już istnieje"_cp},
        {"no source", false, nullptr, false, "brak pliku"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestTempDir tmp;
        if (c.sourceThere)
            SaveText("raport", tmp / "001.txt");
        if (c.targetThere && std::string(c.targetThere) == "file")
            SaveText("inny", tmp / "nowy.txt");
        if (c.targetThere && std::string(c.targetThere) == "folder")
            fs::create_directory(tmp / "nowy.txt");
        std::string reason = "stary";

        EXPECT_EQ(RenameNoOverwrite(tmp / "001.txt", tmp / "nowy.txt", reason), c.ok);

        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(fs::exists(tmp / "001.txt"), c.sourceThere && !c.ok);
        if (c.ok) {
            EXPECT_EQ(Content(tmp / "nowy.txt"), "raport");
        } else if (c.targetThere && std::string(c.targetThere) == "file") {
            EXPECT_EQ(Content(tmp / "nowy.txt"), "inny");
        }
    }
}
