// Polish letters between code pages, and the Windows-1250 / UTF-8 boundary of the user interface.
#include "util/Cp1250.h"
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
