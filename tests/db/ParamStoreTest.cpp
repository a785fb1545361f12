// The parameter store PARAMETRY: keys, value columns side by side, quoting.
#include "DbTestFixture.h"
#include "util/Cp1250Literal.h"

#include <gmock/gmock.h>

using ::testing::HasSubstr;

namespace
{

class DbParamStore : public DbFixture
{
protected:
    DbParamStore() : DbFixture(demodb::Content::Schema) {}

    std::string S(const std::string& name, const std::string& def = "def")
    {
        return dm->ReadParS(name, def, "GLOBAL", "TARLA");
    }
    int64_t I(const std::string& name, int64_t def = -1) { return dm->ReadParI(name, def, "GLOBAL", "TARLA"); }
};

TEST_F(DbParamStore, ReadsWhatTheTradeSystemStored)
{
    EXPECT_EQ(S("VAT"), "23.00;8.00;5.00;0.00;0.00;0.00;-1.00;");
    EXPECT_EQ(S("ELZB_JM"), "SZT;KG;L;OPAK;M;;;;szt;kg;l;op;m;;;;");
    EXPECT_EQ(sent.back().sql, "select pString from PARAMETRY where LOKALIZACJA='GLOBAL' and Sekcja='TARLA' and "
                               "NAZWA='ELZB_JM'");
}

TEST_F(DbParamStore, KeysAreUpperCasedAndOnlyTheNameTrimmed)
{
    ASSERT_TRUE(dm->WriteParS("wersja", "3.0 [24.086]", "global", "tarla"));
    EXPECT_EQ(Commands().back(), "update or insert into PARAMETRY (LOKALIZACJA,SEKCJA,NAZWA,pSTRING) "
                                 "Values('GLOBAL','TARLA','WERSJA','3.0 [24.086]') ");
    EXPECT_EQ(S(" wersja "), "3.0 [24.086]");
    EXPECT_EQ(dm->ReadParS("WERSJA", "def", " GLOBAL", "TARLA"), "def");
    // Polish letters are upper-cased too.
    ASSERT_TRUE(dm->WriteParS("żółw"_cp, "x", "GLOBAL", "TARLA"));
    EXPECT_EQ(Count("from PARAMETRY where NAZWA='ŻÓŁW'"_cp), 1);
}

TEST_F(DbParamStore, NullValueIsNotAMissingRow)
{
    ASSERT_TRUE(dm->WriteParI("REJESTR", 5, "GLOBAL", "TARLA")); // pString stays NULL
    EXPECT_EQ(S("REJESTR"), "");
    EXPECT_EQ(S("BRAK"), "def");
    ASSERT_TRUE(dm->WriteParS("NRMAG", "01", "GLOBAL", "TARLA")); // pInteger stays NULL
    EXPECT_EQ(I("NRMAG"), 0);
    EXPECT_EQ(I("BRAK"), -1);
}

TEST_F(DbParamStore, TextAndIntegerLiveSideBySide)
{
    ASSERT_TRUE(dm->WriteParS("REJESTR", "stary tekst", "GLOBAL", "TARLA"));
    ASSERT_TRUE(dm->WriteParI("REJESTR", -12, "GLOBAL", "TARLA"));
    EXPECT_EQ(Commands().back(), "update or insert into PARAMETRY (LOKALIZACJA,SEKCJA,NAZWA,pINTEGER) "
                                 "Values('GLOBAL','TARLA','REJESTR',-12) ");
    EXPECT_EQ(S("REJESTR"), "stary tekst");
    EXPECT_EQ(I("REJESTR"), -12);
}

TEST_F(DbParamStore, WritingTwiceKeepsOneRow)
{
    ASSERT_TRUE(dm->WriteParS("VAT", "23.00;;;;;;;", "GLOBAL", "TARLA"));
    ASSERT_TRUE(dm->WriteParS("VAT", "8.00;;;;;;;", "GLOBAL", "TARLA"));
    EXPECT_EQ(Count("from PARAMETRY where NAZWA='VAT'"), 1);
    EXPECT_EQ(S("VAT"), "8.00;;;;;;;");
}

TEST_F(DbParamStore, ValuesRoundTripAsTyped)
{
    const std::vector<std::string> values = {
        "C:\\Sklep\\O'Neil\\Towary.txt", // apostrophe
        "'';--",                         // quoting cannot be broken out of
        "Łódź"_cp,
        std::string(1000, 'x'), // a long path
        "",
    };
    for (const std::string& value : values) {
        ASSERT_TRUE(dm->WriteParS("PLIK_EUREKA", value, "GLOBAL", "TARLA"));
        EXPECT_EQ(S("PLIK_EUREKA"), value);
    }
    ASSERT_TRUE(dm->WriteParS("O'NEIL", "v", "GLOBAL", "TARLA"));
    EXPECT_EQ(S("o'neil"), "v");
}

class DbParamStoreWithoutTable : public DbFixture
{
};

TEST_F(DbParamStoreWithoutTable, ReadsRaiseAndWritesReportFalse)
{
    EXPECT_THROW(dm->ReadParS("VAT", "", "GLOBAL", "TARLA"), DbError);
    EXPECT_THROW(dm->ReadParI("REJESTR", 0, "GLOBAL", "TARLA"), DbError);
    EXPECT_FALSE(dm->dbQ.Active());
    EXPECT_FALSE(dm->WriteParS("VAT", "x", "GLOBAL", "TARLA"));
    EXPECT_FALSE(dm->WriteParI("REJESTR", 1, "GLOBAL", "TARLA"));
    auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], HasSubstr("Table unknown -PARAMETRY"));
    EXPECT_THAT(lines[0], HasSubstr(" :: update or insert into PARAMETRY"));
    EXPECT_TRUE(screen.prompts.empty());
}

} // namespace
