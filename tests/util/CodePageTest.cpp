// Polish letters between code pages, and the Windows-1250 / UTF-8 boundary of the user interface.
#include "util/Cp1250.h"
#include "util/Cp1250Literal.h"
#include "util/uPol.h"

#include <gtest/gtest.h>

TEST(ConvertPolish, TablesAndRanges)
{
    const std::string zolw = "\xBF\xF3\xB3\x77"; // żółw in Windows-1250
    EXPECT_EQ(ConvertPolish(zolw, PlWin1250, PlCp852), "\xBE\xA2\x88\x77");
    EXPECT_EQ(ConvertPolish(zolw, PlWin1250, PlWin1250), zolw);
    EXPECT_EQ(ConvertPolish(zolw, 0, PlCp852), zolw);
    EXPECT_EQ(ConvertPolish(zolw, PlAscii, PlCp852), zolw); // ASCII is a target only
    EXPECT_EQ(ConvertPolish(zolw, PlWin1250, 21), zolw);
    EXPECT_EQ(ConvertPolish("\x8F\x9F\xAF\xBF", PlWin1250, PlAscii), "XxZz");
    EXPECT_EQ(ConvertPolish("\xA5\x8C", PlWin1250, PlIso88592), "\xA1\xA6");
    EXPECT_EQ(ConvertPolish("\xA2\x86", PlMazovia, PlWin1250), "\xF3\xB9"); // Mazovia o-acute, a-ogonek
}

// Every Polish letter, both ways between Windows-1250 and code page 852 (register names), each byte on its own and
// between plain letters, so that one wrong table entry fails.
struct PolishLetter {
    const char* name; // the letter in UTF-8, for the failure message only
    char win1250;
    char cp852;
};

constexpr PolishLetter PolishLetters[] = {
    {"ą", '\xB9', '\xA5'}, {"ć", '\xE6', '\x86'}, {"ę", '\xEA', '\xA9'}, {"ł", '\xB3', '\x88'}, {"ń", '\xF1', '\xE4'},
    {"ó", '\xF3', '\xA2'}, {"ś", '\x9C', '\x98'}, {"ź", '\x9F', '\xAB'}, {"ż", '\xBF', '\xBE'}, {"Ą", '\xA5', '\xA4'},
    {"Ć", '\xC6', '\x8F'}, {"Ę", '\xCA', '\xA8'}, {"Ł", '\xA3', '\x9D'}, {"Ń", '\xD1', '\xE3'}, {"Ó", '\xD3', '\xE0'},
    {"Ś", '\x8C', '\x97'}, {"Ź", '\x8F', '\x8D'}, {"Ż", '\xAF', '\xBD'},
};

TEST(ConvertPolish, EveryLetterBothWaysBetweenWindows1250AndCp852)
{
    for (const PolishLetter& letter : PolishLetters) {
        SCOPED_TRACE(letter.name);
        const std::string win = std::string("a") + letter.win1250 + "Z";
        const std::string dos = std::string("a") + letter.cp852 + "Z";
        EXPECT_EQ(ConvertPolish(win, PlWin1250, PlCp852), dos);
        EXPECT_EQ(ConvertPolish(dos, PlCp852, PlWin1250), win);
    }
}

TEST(Cp1250, RoundTripAndUnmappableCharacters)
{
    const std::string win = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1 \xA3\xD3\x8C\x8F";
    const std::string utf8 = "Zażółć gęślą jaźń ŁÓŚŹ";
    EXPECT_EQ(Win1250ToUtf8(win), utf8);
    EXPECT_EQ(Utf8ToWin1250(utf8), win);
    EXPECT_EQ(Win1250ToUtf8("a\x81"
                            "b"),
              "a?b"); // 0x81 is undefined in Windows-1250
    EXPECT_EQ(Utf8ToWin1250("a€b日c"), "a\x80"
                                       "b?c"); // the euro sign exists, the ideograph does not
    EXPECT_EQ(Utf8ToWin1250("a\xC3"), "a?");   // cut-off sequence
    EXPECT_EQ(Utf8ToWin1250("a\xFF"
                            "b"),
              "a?b"); // malformed byte
    EXPECT_EQ(Win1250ToUtf8(std::string(3000, 'x')).size(), 3000u);
}

// The compile-time table of the Polish literals against iconv's Windows-1250, byte by byte.
TEST(Cp1250Literal, TableAgreesWithIconv)
{
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        SCOPED_TRACE(byte);
        const std::string utf8 = Win1250ToUtf8(std::string(1, static_cast<char>(byte)));
        const char32_t expected = cp1250::UpperHalf[byte - 0x80];
        if (expected == 0) {
            EXPECT_EQ(utf8, "?");
            continue;
        }
        ASSERT_GE(utf8.size(), 2u);
        char32_t decoded = static_cast<unsigned char>(utf8[0]) & (utf8.size() == 2 ? 0x1F : 0x0F);
        for (size_t i = 1; i < utf8.size(); ++i)
            decoded = (decoded << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        EXPECT_EQ(decoded, expected);
    }
    EXPECT_EQ(std::string("Zażółć gęślą jaźń ŁÓŚŹ €"_cp), Utf8ToWin1250("Zażółć gęślą jaźń ŁÓŚŹ €"));
}
