// Directories, file search and the text file functions, on temporary directories.
#include "util/MyUtil.h"
#include "util/TestTempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
std::string Content(const std::string& path)
{
    std::string text;
    ReadWholeFile(path, text);
    return text;
}
} // namespace

TEST(AddPathSeparator, DescribedCases)
{
    EXPECT_EQ(AddPathSeparator("C:"), "C:");
    EXPECT_EQ(AddPathSeparator("D:\\Dane"), "D:\\Dane\\");
    EXPECT_EQ(AddPathSeparator("data"), "data/");
    EXPECT_EQ(AddPathSeparator("data/"), "data/");
    EXPECT_EQ(AddPathSeparator(""), "");
    EXPECT_EQ(AddPathSeparator("D:\\Dane\\"), "D:\\Dane\\");
    EXPECT_EQ(AddPathSeparator("a", "|"), "a|");
}

TEST(EnsureDir, CreatesParentsAndReportsFailure)
{
    TestTempDir tmp;
    EXPECT_TRUE(EnsureDir(tmp / "a/b/c/"));
    EXPECT_TRUE(DirectoryExists(tmp / "a/b/c"));
    EXPECT_TRUE(EnsureDir(tmp / "a/b"));
    EXPECT_FALSE(EnsureDir(""));
    SaveText("x", tmp / "file");
    EXPECT_FALSE(EnsureDir(tmp / "file/sub")); // a file stands in the way
}

TEST(CountAndListFiles, MaskCaseHiddenAndDirectories)
{
    TestTempDir tmp;
    for (const char* name : {"005_20240326_001.txt", "005_20240326_002.TXT", ".005_20240326_003.txt", "other.txt"})
        SaveText("", tmp / name);
    fs::create_directory(tmp / "005_20240326_004.txt");

    EXPECT_EQ(CountFiles("", tmp / "005_20240326_*.txt"), 2);
    EXPECT_EQ(CountFiles(tmp.Path(), "005_????????_00?.txt"), 2);
    EXPECT_EQ(CountFiles(tmp.Path(), "*"), 3);
    EXPECT_EQ(CountFiles(tmp / "missing", "*"), 0);

    std::vector<std::string> list = {"kept"};
    EXPECT_EQ(ListFiles(list, tmp.Path(), "*.txt"), 5);
    const std::vector<std::string> expected = {"kept", tmp / ".005_20240326_003.txt", tmp / "005_20240326_001.txt",
                                               tmp / "005_20240326_002.TXT", tmp / "other.txt"};
    EXPECT_EQ(list, expected);
}

TEST(FindCaseless, FindsExistingSpellingOrKeepsTheName)
{
    TestTempDir tmp;
    SaveText("", tmp / "FIRMA.INI");
    fs::create_directory(tmp / "OUT");
    EXPECT_EQ(FindCaseless(tmp.Path(), "Firma.ini"), tmp / "FIRMA.INI");
    EXPECT_EQ(FindCaseless(tmp.Path() + "/", "out"), tmp / "OUT");
    EXPECT_EQ(FindCaseless(tmp.Path(), "koment.txt"), tmp / "koment.txt");
    SaveText("", tmp / "OUT/ZTowar.Out");
    EXPECT_EQ(FindCaseless(tmp.Path(), "out/ztowar.out"), tmp / "OUT/ZTowar.Out");
    EXPECT_EQ(FindCaseless(tmp.Path(), "out/new.out"), tmp / "OUT/new.out");
    SaveText("", tmp / "firma.ini");
    EXPECT_EQ(FindCaseless(tmp.Path(), "firma.ini"), tmp / "firma.ini"); // exact spelling first
}

TEST(ReadLines, LineEndsAndBinaryContent)
{
    TestTempDir tmp;
    std::vector<std::string> lines;
    SaveText("a\r\nb\nc\r\n\r\nd", tmp / "mixed.txt");
    ASSERT_TRUE(ReadLines(tmp / "mixed.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));

    const std::string binary("\x00\xFF\r\x01\n\x00", 6);
    SaveText(binary, tmp / "bin");
    ASSERT_TRUE(ReadLines(tmp / "bin", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{std::string("\x00\xFF", 2), "\x01", std::string(1, '\0')}));

    EXPECT_FALSE(ReadLines(tmp / "missing", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(ReadLines(tmp.Path(), lines)); // a directory is no file
}

TEST(SaveText, WritesUnchangedAndReplaces)
{
    TestTempDir tmp;
    SaveText("old content", tmp / "KONFIG.txt");
    SaveText("COM1 9600\r\n", tmp / "KONFIG.txt");
    EXPECT_EQ(Content(tmp / "KONFIG.txt"), "COM1 9600\r\n");
    SaveText("x", tmp / "missing/dir/file"); // silent
    EXPECT_FALSE(FileExists(tmp / "missing/dir/file"));
}

TEST(CopyFileNoOverwrite, NeverReplacesATarget)
{
    TestTempDir tmp;
    SaveText("response", tmp / "a.out");
    SaveText("stored", tmp / "b.txt");
    EXPECT_TRUE(CopyFileNoOverwrite(tmp / "a.out", tmp / "c.txt"));
    EXPECT_EQ(Content(tmp / "c.txt"), "response");
    EXPECT_FALSE(CopyFileNoOverwrite(tmp / "a.out", tmp / "b.txt"));
    EXPECT_EQ(Content(tmp / "b.txt"), "stored");
    EXPECT_FALSE(CopyFileNoOverwrite(tmp / "missing", tmp / "d.txt"));
}

TEST(TextFile, ModesAndQuietFailure)
{
    TestTempDir tmp;
    const std::string report = tmp / "log.txt";
    {
        TextFile file;
        EXPECT_FALSE(OpenTextFile(report, 0, file)); // appending never creates the file
        EXPECT_FALSE(WriteTextLine("lost", file));
        EXPECT_FALSE(CloseTextFile(file));
        EXPECT_FALSE(FileExists(report));
    }
    {
        TextFile file;
        ASSERT_TRUE(OpenTextFile(report, 2, file));
        EXPECT_TRUE(WriteTextLine("first", file));
        EXPECT_TRUE(CloseTextFile(file));
    }
    {
        TextFile file;
        ASSERT_TRUE(OpenTextFile(report, 0, file));
        EXPECT_TRUE(WriteTextLine("second", file));
        EXPECT_TRUE(CloseTextFile(file));
    }
    EXPECT_EQ(Content(report), "first\r\nsecond\r\n");
    {
        TextFile file;
        ASSERT_TRUE(OpenTextFile(report, 2, file)); // rewriting empties the file
        // Left open on purpose: the destructor closes it.
    }
    EXPECT_EQ(Content(report), "");
    TextFile file;
    EXPECT_TRUE(OpenTextFile(report, 1, file));
    EXPECT_FALSE(OpenTextFile(tmp / "no/such/dir.txt", 2, file));
    EXPECT_FALSE(OpenTextFile(report, 7, file));
}
