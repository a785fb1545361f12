// The INI reader against the rules of the Windows INI reader.
#include "util/IniFile.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/TestTempDir.h"

#include <gtest/gtest.h>

namespace
{

struct IniCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    const char* expected; // nullptr: the default is returned
};

class IniFileCases : public ::testing::TestWithParam<IniCase>
{
};

const std::string LongPath = "C:\\" + std::string(251, 'x'); // 254 characters
const std::string LongLine = "Pth=" + std::string(5000, 'p');

const IniCase Cases[] = {
    {"InlineSemicolonIsText", "[FK]\r\nHLDS=tajne ;haslo\r\n", "FK", "HLDS", "tajne ;haslo"},
    {"SemicolonAtLineStartIsComment", "[FK]\r\n;HLDS=stare\r\nHLDS=nowe\r\n", "FK", "HLDS", "nowe"},
    {"IndentedCommentIsComment", "[FK]\r\n   ;HLDS=stare\r\n", "FK", "HLDS", nullptr},
    {"HashLineIsOrdinary", "[FK]\r\n#HLDS=x\r\nBazaSQL=#1.FDB\r\n", "FK", "#HLDS", "x"},
    {"HashInValueKept", "[FK]\r\nBazaSQL=#1.FDB\r\n", "FK", "BazaSQL", "#1.FDB"},
    {"QuotesRemovedOnce", "[Tarlo]\r\nPass=\"\"tajne\"\"\r\n", "Tarlo", "Pass", "\"tajne\""},
    {"SingleQuotesRemoved", "[Tarlo]\r\nPass='a b'\r\n", "Tarlo", "Pass", "a b"},
    {"UnmatchedQuoteKept", "[Tarlo]\r\nPass=\"abc\r\n", "Tarlo", "Pass", "\"abc"},
    {"LoneQuoteKept", "[Tarlo]\r\nPass=\"\r\n", "Tarlo", "Pass", "\""},
    {"QuotesInsideKept", "[Tarlo]\r\nPass=a\"b\"\r\n", "Tarlo", "Pass", "a\"b\""},
    {"LongPathKept", "[Tarlo]\r\nPth=" + LongPath + "\r\n", "Tarlo", "Pth", LongPath.c_str()},
    {"VeryLongLineKept", "[Tarlo]\r\n" + LongLine + "\r\nUser=JAN\r\n", "Tarlo", "User", "JAN"},
    {"IndentedKey", "[Tarlo]\r\n   User = JAN  \r\n\tPass=\tx\r\n", "Tarlo", "User", "JAN"},
    {"IndentedKeyAfterValue", "[Tarlo]\r\nPth=a\r\n   User=JAN\r\n", "Tarlo", "Pth", "a"},
    {"IndentedSection", "  [Tarlo]  \r\nUser=JAN\r\n", "Tarlo", "User", "JAN"},
    {"LfOnly", "[Tarlo]\nUser=JAN\nPass=x\n", "Tarlo", "User", "JAN"},
    {"NoFinalLineEnd", "[Tarlo]\r\nUser=JAN", "Tarlo", "User", "JAN"},
    {"LetterCaseIgnored", "[tarlo]\r\nuser=JAN\r\n", "TARLO", "USER", "JAN"},
    {"PolishLetterCaseIgnored", "[łódź]\r\nx=1\r\n"_cp, "ŁÓDŹ"_cp, "X", "1"},
    {"FirstKeyCounts", "[Tarlo]\r\nUser=A\r\nUser=B\r\n", "Tarlo", "User", "A"},
    {"FirstSectionCounts", "[Tarlo]\r\nUser=A\r\n[FK]\r\n[Tarlo]\r\nPass=B\r\n", "Tarlo", "Pass", nullptr},
    {"EqualsInValueKept", "[Tarlo]\r\nPth=a=b\r\n", "Tarlo", "Pth", "a=b"},
    {"EmptyValueIsNotDefault", "[Tarlo]\r\nPass=\r\n", "Tarlo", "Pass", ""},
    {"LineWithoutEqualsSaysNothing", "[Tarlo]\r\nPass\r\n", "Tarlo", "Pass", nullptr},
    {"KeyOfOtherSectionNotFound", "[FK]\r\nUser=A\r\n", "Tarlo", "User", nullptr},
    {"KeyBeforeAnySectionNotInSection", "User=A\r\n[Tarlo]\r\n", "Tarlo", "User", nullptr},
    {"SectionWithoutCloseIsNoSection", "[Tarlo]\r\n[FK\r\nUser=A\r\n", "Tarlo", "User", "A"},
    {"TextAfterSectionIgnored", "[Tarlo] ; nasze\r\nUser=A\r\n", "Tarlo", "User", "A"},
    {"Utf8MarkSkipped", "\uFEFF[Tarlo]\r\nUser=JAN\r\n", "Tarlo", "User", "JAN"},
    {"Empty", "", "Tarlo", "User", nullptr},
    // Saved as UTF-8, with or without the mark: read in Windows-1250; a Windows-1250 file stays as it is.
    {"Utf8WithMarkConverted", "\uFEFF[Tarlo]\r\nPth=/dane/Łódź/baza.fdb\r\n", "Tarlo", "Pth", "/dane/Łódź/baza.fdb"_cp},
    {"Utf8WithoutMarkConverted", "[Tarlo]\r\nPth=/dane/Żółć/baza.fdb\r\n", "Tarlo", "Pth", "/dane/Żółć/baza.fdb"_cp},
    {"Utf8SectionConverted", "[Łódź]\r\nx=ą\r\n", "ŁÓDŹ"_cp, "X", "ą"_cp},
    {"Win1250Kept", "[Tarlo]\r\nPth=/dane/Łódź/baza.fdb\r\n"_cp, "Tarlo", "Pth", "/dane/Łódź/baza.fdb"_cp},
    {"Win1250WithMarkLikeBytesKept", "[Tarlo]\r\nPth=ĂÂ\r\n"_cp, "Tarlo", "Pth", "ĂÂ"_cp},
};

TEST_P(IniFileCases, ReadsAsWindowsDoes)
{
    const IniCase& c = GetParam();
    const IniFile ini = IniFile::FromText(c.text);
    EXPECT_EQ(ini.Read(c.section, c.key, "<default>"), c.expected ? c.expected : "<default>");
}

INSTANTIATE_TEST_SUITE_P(Rules, IniFileCases, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, ReadsAFileAndTakesAMissingOneForEmpty)
{
    TestTempDir tmp;
    SaveText("[Tarlo]\r\nPth=" + LongPath + "\r\nPass=a;b\r\n", tmp / "Tarlo_db.INI");
    const IniFile ini(tmp / "Tarlo_db.INI");
    EXPECT_EQ(ini.Read("Tarlo", "Pth"), LongPath);
    EXPECT_EQ(ini.Read("Tarlo", "Pass"), "a;b");
    EXPECT_EQ(IniFile(tmp / "none.ini").Read("Tarlo", "User", "SYSDBA"), "SYSDBA");
}

} // namespace
