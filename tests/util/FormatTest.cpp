// Number pictures and the exact decimal type.
#include "util/MyUtil.h"

#include <gtest/gtest.h>

TEST(FormatFloat, PicturesOfTheProgram)
{
    struct Case {
        const char* picture;
        double value;
        const char* expected;
    } cases[] = {
        {"## ##0.00", 1234.5, "1 234.50"},
        {"## ##0.00", 5, "5.00"},
        {"## ##0.00", -1234.5, "-1 234.50"},
        {"## ##0.00", 0, "0.00"},
        {"## ##0.00", 123, "123.00"},
        {"## ##0.00", 1234567.891, "1234 567.89"}, // digits beyond the placeholders go in front
        {"##### ##0.000", 12345678.9, "12345 678.900"},
        {"##### ##0.00", 999.999, "1 000.00"}, // rounding carries into a new group
        {"0.00", 0.125, "0.13"},               // halves away from zero
        {"0.00", -0.125, "-0.13"},
        {"0.00", 1.005, "1.01"}, // decided on fifteen significant digits, not the binary value
        {"0.00", 2.675, "2.68"},
        {"0.00", -0.001, "0.00"}, // no sign for a value shown as zero
        {"0", 2.5, "3"},
        {"0.0#", 1.5, "1.5"},
        {"0.0#", 1.257, "1.26"},
        {"#.##", 0.5, ".5"},
        {"00", 7, "07"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFloat(c.picture, c.value), c.expected) << c.picture << " " << c.value;
}

TEST(FormatFloat, DecimalIsExact)
{
    struct Case {
        const char* picture;
        Decimal value;
        const char* expected;
    } cases[] = {
        {"## ##0.00", {123450, 2}, "1 234.50"},
        {"0.00", {12345, 4}, "1.23"},
        {"0.00", {1125, 3}, "1.13"},
        {"0.00", {-1125, 3}, "-1.13"},
        {"0.000", {5, 0}, "5.000"},
        {"0.00", {5, 4}, "0.00"},
        {"0.00", {50, 4}, "0.01"},
        {"##### ##0.00", {INT64_MIN, 2}, "-92233720368547 758.08"}, // the smallest value, overflow digits in front
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFloat(c.picture, c.value), c.expected) << c.value.unscaled << "e-" << c.value.scale;
}

TEST(Decimal, TextRescaleAndEquality)
{
    EXPECT_EQ((Decimal{123490, 4}.ToString()), "12.3490");
    EXPECT_EQ((Decimal{-50, 2}.ToString()), "-0.50");
    EXPECT_EQ((Decimal{-5, 3}.ToString()), "-0.005");
    EXPECT_EQ((Decimal{7, 0}.ToString()), "7");
    EXPECT_EQ((Decimal{INT64_MIN, 0}.ToString()), "-9223372036854775808");
    EXPECT_EQ((Decimal{12399, 3}.Rescaled(1)), (Decimal{123, 1}));
    EXPECT_EQ((Decimal{-12399, 3}.Rescaled(1).unscaled), -123); // cut toward zero
    EXPECT_EQ((Decimal{5, 0}.Rescaled(2).unscaled), 500);
    // Too large for the new scale: held at the limit with its sign, never wrapped around.
    EXPECT_EQ((Decimal{92233720368547759, 0}.Rescaled(2).unscaled), INT64_MAX);
    EXPECT_EQ((Decimal{-92233720368547759, 0}.Rescaled(2).unscaled), INT64_MIN);
    EXPECT_EQ((Decimal{INT64_MAX, 17}.Rescaled(18).unscaled), INT64_MAX);
    EXPECT_TRUE((Decimal{150, 2} == Decimal{15, 1}));
    EXPECT_FALSE((Decimal{150, 2} == Decimal{15, 2}));
    EXPECT_TRUE((Decimal{INT64_MAX, 0} == Decimal{INT64_MAX, 0}));
    EXPECT_FALSE((Decimal{INT64_MAX, 0} == Decimal{INT64_MAX, 18})); // no overflow when scales differ
    EXPECT_DOUBLE_EQ((Decimal{-1250, 3}.ToDouble()), -1.25);
}
