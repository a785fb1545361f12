// Padding, delimited text, tolerant conversions, case and SQL literals.
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <gtest/gtest.h>

TEST(Padding, CutsAndPadsAtTheDescribedEnd)
{
    EXPECT_EQ(PadLeft("7", 2, "0"), "07");
    EXPECT_EQ(PadLeft("123", 2, "0"), "23");
    EXPECT_EQ(PadLeft("12345", 3, "0"), "345");
    EXPECT_EQ(PadLeft("x", 3, "ab"), "abx");
    EXPECT_EQ(PadLeft("x", 0, "0"), "");
    EXPECT_EQ(PadRight("Chleb", 3, " "), "Chl");
    EXPECT_EQ(PadRight("ab", 5, "."), "ab...");
    EXPECT_EQ(PadRight("ab", -1, "."), "");
    EXPECT_EQ(IntToStrPad(5, 3, "0"), "005");
    EXPECT_EQ(IntToStrPad(1234, 3, "0"), "234");
    EXPECT_EQ(IntToStrPad(-5, 3, "0"), "0-5");
    EXPECT_EQ(IntToStrPad(65535, 8, " "), "   65535");
}

TEST(Cutting, TextBeforeTailFromDropLast)
{
    EXPECT_EQ(TextBefore(" - ", "01 - Pieczywo"), "01");
    EXPECT_EQ(TextBefore(";", "bez"), "bez");
    EXPECT_EQ(TailFrom("abcdef", 3), "cdef");
    EXPECT_EQ(TailFrom("abc", 4), "");
    EXPECT_EQ(TailFrom("abc", 0), "abc");
    EXPECT_EQ(DropLast("abc", 1), "ab");
    EXPECT_EQ(DropLast("abc", 5), "");
    EXPECT_EQ(DropLast("", 1), "");
    EXPECT_EQ(Trim(" \t\r\nab c\x01 "), "ab c");
}

TEST(ListItem, RunsOfSeparatorsCountAsOne)
{
    struct Case {
        const char* text;
        int n;
        const char* sep;
        const char* expected;
    } cases[] = {
        {"A;B;;C", 3, ";", "C"}, {"A;B", 3, ";", ""},
        {"A;B", 0, ";", ""},     {"A;B", -1, ";", ""},
        {";a", 1, ";", ""},      {";a", 2, ";", "a"},
        {"a;;b", 2, ";", "b"},   {"CREATE   TABLE  X", 2, " ", "TABLE"},
        {"x", 1, "", ""},        {"1,5|2,0|", 2, "|", "2,0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListItem(c.text, c.n, c.sep), c.expected) << c.text << " #" << c.n;
}

TEST(TabField, AdjacentTabsEncloseEmptyFields)
{
    const std::string line = "a\t\tc\t";
    EXPECT_EQ(TabField(line, 1), "a");
    EXPECT_EQ(TabField(line, 2), "");
    EXPECT_EQ(TabField(line, 3), "c");
    EXPECT_EQ(TabField(line, 4), ""); // after the trailing tab
    EXPECT_EQ(TabField(line, 5), "");
    EXPECT_EQ(TabField(line, 0), "");
}

TEST(ListIndex, ComparesItemsFollowedByASeparatorIgnoringCase)
{
    EXPECT_EQ(ListIndex("b", "A;B;C;", ";"), 2);
    EXPECT_EQ(ListIndex("C", "A;B;C", ";"), 0); // no separator after the last item
    EXPECT_EQ(ListIndex("x", "A;B;C;", ";"), 0);
    EXPECT_EQ(ListIndex("", "A;;B;", ";"), 2);
    EXPECT_EQ(ListIndex("B", "A,B;", ",;"), 2);
    // Polish letters in Windows-1250, whatever the process locale.
    EXPECT_EQ(ListIndex("żółć"_cp, "SZT;ŻÓŁĆ;"_cp, ";"), 2);
}

TEST(CaseConversion, CoversPolishLettersOfWindows1250)
{
    const std::string lower = "ąćęłńóśźżabc"_cp;
    const std::string upper = "ĄĆĘŁŃÓŚŹŻABC"_cp;
    EXPECT_EQ(UpperCase1250(lower), upper);
    EXPECT_EQ(LowerCase1250(upper), lower);
    EXPECT_EQ(UpperCase1250("÷ß"_cp), "÷ß"_cp); // division sign and sharp s have no upper case
    EXPECT_EQ(UpperAscii("abą"_cp), "ABą"_cp);
}

TEST(LookupLine, PrefixAndSuffixMatching)
{
    const std::vector<std::string> lines = {"  1\tBrak odpowiedzi", "  5\tZły numer "_cp, "Cena1\tcena detaliczna"};
    EXPECT_EQ(LookupLine("  5\t", lines, true), "Zły numer"_cp);
    EXPECT_EQ(LookupLine("  7\t", lines, true), "");
    EXPECT_EQ(LookupLine("\tcena detaliczna", lines, false), "Cena1");
    EXPECT_EQ(LookupLine("  5\t", lines, false), "");    // only the end is compared outside prefix mode
    EXPECT_EQ(LookupLine("  1\tbrak", lines, true), ""); // letter case counts
    EXPECT_EQ(ComboIndexOf("Cena1", lines, true), 2);
    EXPECT_EQ(ComboIndexOf("odpowiedzi", lines, false), 0);
    EXPECT_EQ(ComboIndexOf("Cena2", lines, true), -1);
}

TEST(LeadingInt, TakesTheLeadingRunOfDigits)
{
    EXPECT_EQ(LeadingInt(" 12ab"), 12);
    EXPECT_EQ(LeadingInt("ab12"), 0);
    EXPECT_EQ(LeadingInt(""), 0);
    EXPECT_EQ(LeadingInt("05"), 5);
    EXPECT_EQ(LeadingInt("-7 szt"), -7);
    for (const char* bad : {"-", "1-2", "--1", "99999999999999999999"})
        EXPECT_THROW(LeadingInt(bad), ConversionError) << bad;
}

TEST(TextToFloat, AcceptsCommaOrPointAndIgnoresNoise)
{
    struct Case {
        const char* text;
        double defaultValue;
        double expected;
    } cases[] = {
        {"12,50", 9, 12.5}, {"12.50", 9, 12.5}, {"1 234,50 zł"_cp, 9, 1234.5},
        {"1.234,50", 9, 0}, {"-7", 9, -7},      {"abc", 9, 0},
        {"", 1, 1},         {"  ", 1, 1},       {"x", 1, 0},
        {"5-3", 9, 53},     {"-", 9, 0},        {"0,0", 9, 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(TextToFloat(c.text, c.defaultValue), c.expected) << c.text;
}

TEST(DateText, EightDigits)
{
    EXPECT_EQ(DateText({2024, 3, 26}), "20240326");
    EXPECT_EQ(DateText({987, 1, 2}), "09870102");
}

TEST(SqlLiterals, QuoteAndDoubleApostrophes)
{
    EXPECT_EQ(SqlQuote(""), "''");
    EXPECT_EQ(SqlQuoteItem("a", false), "'a',");
    EXPECT_EQ(SqlQuote("O'Neil"), "'O''Neil'");
    EXPECT_EQ(SqlQuote("''"), "''''''");
    EXPECT_EQ(SqlIntItem(-3, false), "-3,");
    EXPECT_EQ(SqlInt(42), "42");
}

TEST(ToCharBuffer, WritesWholeBufferAndRefusesLongTexts)
{
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_TRUE(ToCharBuffer("in/ZTowar.in", buffer));
    EXPECT_STREQ(buffer, "in/ZTowar.in");
    EXPECT_EQ(std::count(std::begin(buffer), std::end(buffer), '\0'), 256 - 12);

    EXPECT_TRUE(ToCharBuffer(std::string(255, 'a'), buffer));
    EXPECT_EQ(buffer[254], 'a');
    EXPECT_EQ(buffer[255], '\0');

    EXPECT_FALSE(ToCharBuffer(std::string(256, 'a'), buffer));
    EXPECT_EQ(std::count(std::begin(buffer), std::end(buffer), '\0'), 256);
}

TEST(LineHeight, KnownSizesOnly)
{
    const int expected[] = {11, 13, 15, 16, 17, 18, 19, 22, 23};
    for (int points = 6; points <= 14; ++points)
        EXPECT_EQ(LineHeightForFontSize(points), expected[points - 6]);
    EXPECT_EQ(LineHeightForFontSize(5), 0);
    EXPECT_EQ(LineHeightForFontSize(15), 0);
}
