// Row storage without a database: typed values, field lookup, the cached data set's cursor and in-place edits,
// and the DDL catalogue.
#include "db/DataSet.h"
#include "db/USql.h"
#include "util/Cp1250Literal.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

Value Text(const std::string& s)
{
    return Value(s);
}
Value Int(int64_t v)
{
    return Value(v);
}
Value Dec(int64_t unscaled, int scale)
{
    return Value(Decimal{unscaled, scale});
}

TEST(DbValue, ConvertsAtTheEdge)
{
    struct Case {
        Value value;
        std::string asString;
        int64_t asInteger;
    };
    const Case cases[] = {
        {Value(), "", 0},
        {Int(-42), "-42", -42},
        {Dec(12349, 3), "12.349", 12},
        {Dec(-12999, 3), "-12.999", -12}, // cut toward zero
        {Dec(123400, 4), "12.3400", 12},
        {Text(" 17 "), " 17 ", 17},
        {Value(Date{2024, 3, 26}), "26.03.2024", 0},
        {Value(DateTime{{2024, 3, 26}, {14, 5, 9, 0}}), "26.03.2024 14:05:09", 0},
        {Value(DateTime{{2024, 3, 26}, {0, 0, 0, 0}}), "26.03.2024", 0},
        {Value(TimeOfDay{7, 8, 9, 0}), "07:08:09", 0},
        {Value(1.5), "1.5", 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value.AsString(), c.asString);
        bool temporal = std::holds_alternative<Date>(c.value.Data()) ||
                        std::holds_alternative<DateTime>(c.value.Data()) ||
                        std::holds_alternative<TimeOfDay>(c.value.Data());
        if (!temporal) {
            EXPECT_EQ(c.value.AsInteger(), c.asInteger) << c.asString;
        }
    }
}

TEST(DbValue, ExactNumbersStayExact)
{
    Value v = Dec(12349, 3);
    EXPECT_EQ(v.AsDecimal(), (Decimal{12349, 3}));
    EXPECT_EQ(v.AsDecimal().Rescaled(4).ToString(), "12.3490");
    EXPECT_EQ(Text("12.349").AsDecimal(), (Decimal{12349, 3}));
    EXPECT_EQ(Int(7).AsDecimal(), (Decimal{7, 0}));
    EXPECT_DOUBLE_EQ(v.AsFloat(), 12.349);
}

TEST(DbValue, TextThatIsNotANumberRaisesFieldError)
{
    for (const char* text : {"", "abc", "1.5", "12x"})
        EXPECT_THROW(Text(text).AsInteger(), FieldError) << text;
    EXPECT_THROW(Text("1,5").AsDecimal(), FieldError);
    EXPECT_THROW(Text("x").AsFloat(), FieldError);
    EXPECT_THROW(Value(Date{2024, 1, 1}).AsInteger(), FieldError);
}

TEST(DbFieldList, LookupIgnoresLetterCase)
{
    FieldList fields;
    fields.names = {"ASORT", "NAZWA", "ŁĄKA"_cp};
    EXPECT_EQ(fields.IndexOf("asort"), 0);
    EXPECT_EQ(fields.IndexOf("NaZwA"), 1);
    EXPECT_EQ(fields.IndexOf("łąka"_cp), 2);
    EXPECT_EQ(fields.IndexOf("nazw"), -1);
    EXPECT_THROW(fields.IndexOrThrow("cena"), FieldError);
}

class DbDataSet : public ::testing::Test
{
protected:
    DataSet ds;
    void SetUp() override
    {
        FieldList fields;
        fields.names = {"ASORT", "CENA_1"};
        ds.Assign("select asort, cena_1 from kartas", fields,
                  {{Text("100"), Dec(549, 2)}, {Text("123"), Dec(12349, 3)}, {Text("D'ARBO1"), Value()}});
    }
};

TEST_F(DbDataSet, CursorMovesLikeADataSet)
{
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    std::vector<std::string> seen;
    for (ds.First(); !ds.Eof(); ds.Next())
        seen.push_back(ds.FieldByName("asort").AsString());
    EXPECT_EQ(seen, (std::vector<std::string>{"100", "123", "D'ARBO1"}));
    EXPECT_EQ(ds.RecNo(), 2); // stays on the last row
    ds.Prior();
    EXPECT_EQ(ds.RecNo(), 1);
    ds.SetRecNo(99);
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Close();
    EXPECT_FALSE(ds.Active());
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.FieldByName("asort"), FieldError);
}

TEST_F(DbDataSet, LocateFindsExactValues)
{
    EXPECT_TRUE(ds.Locate("asort", Text("123")));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_FALSE(ds.Locate("asort", Text("123 ")));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.Find("cena_1", Dec(5490, 3)), 0); // same amount, other scale
    EXPECT_EQ(ds.Find("cena_1", Value()), 2);
    EXPECT_EQ(ds.Find("asort", Int(100)), -1); // a number is not the text
    EXPECT_THROW(ds.Find("nazwa", Text("x")), FieldError);
}

TEST_F(DbDataSet, EditsOneRowInPlace)
{
    ds.SetValue(1, "CENA_1", Dec(1, 0));
    EXPECT_EQ(ds.At(1, "cena_1").AsString(), "1");
    ds.ReplaceRow(0, {Text("100"), Value()});
    EXPECT_TRUE(ds.At(0, "cena_1").IsNull());
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_THROW(ds.ReplaceRow(0, {Text("only one")}), FieldError);
    EXPECT_THROW(ds.SetValue(3, "asort", Text("x")), FieldError);
}

TEST(DbCatalogue, NamesInTheirFixedOrder)
{
    EXPECT_EQ(
        SqlScriptNames(),
        (std::vector<std::string>{"C_BLOK_CEN",          "C_COM_DEF",         "C_HIST_PAR",        "C_ODCZYT",
                                  "C_ODCZYT_IDX",        "C_PARAGONY",        "C_PARAGONY_IDX",    "C_WYSLANE",
                                  "C_PRZESLANE_ODCZYTY", "C_ODCZYTY_KAS",     "C_ODCZYTY_KAS_IDX", "C_ODCZYTY_KAS_SUMY",
                                  "C_KASY_OKRESY",       "C_PRZEKAZANE_SUMY", "G_NR_ODCZYTY_KAS",  "G_ID_COM_DEF",
                                  "G_ID_ODCZYT",         "G_ID_PARAGONY",     "TRI_COM_DEF",       "TRI_HIST_PAR",
                                  "TRI_ODCZYT",          "TRI_PARAGONY"}));
    for (const std::string& name : SqlScriptNames())
        EXPECT_FALSE(GetSqlScript(name).empty()) << name;
}

TEST(DbCatalogue, UnknownNamesGiveEmptyScripts)
{
    for (const char* name : {"c_blok_cen", "C_BLOK_CEN_IDX", "C_COM_DEF_IDX", "", "C_KARTAS"})
        EXPECT_TRUE(GetSqlScript(name).empty()) << name;
}

TEST(DbCatalogue, ScriptsAreExactLines)
{
    auto comDef = GetSqlScript("C_COM_DEF");
    ASSERT_EQ(comDef.size(), 29u);
    EXPECT_EQ(comDef[25], "TIMEOUT2     INTEGER DEFAULT 0,");
    EXPECT_EQ(comDef[26], "NRKASYSYSTEM INTEGER");
    EXPECT_EQ(comDef[27], ");");
    EXPECT_EQ(comDef[28], "");
    EXPECT_EQ(GetSqlScript("C_HIST_PAR")[0], "CREATE TABLE HIST_PAR (");
    EXPECT_EQ(GetSqlScript("TRI_HIST_PAR")[6], "  NEW.DATA_WPISU = current_timestamp;\t");
    EXPECT_EQ(GetSqlScript("TRI_ODCZYT")[6], "  NEW.DATA = current_timestamp;\t");
    EXPECT_EQ(GetSqlScript("C_PARAGONY")[18], "KASJER        VARCHAR(24) COLLATE PXW_PLK,");
    EXPECT_EQ(GetSqlScript("C_PARAGONY_IDX"),
              (std::vector<std::string>{"CREATE INDEX PARAGONY00 ON PARAGONY(KOMPLET,DATA,ODCZYT,STORNO);",
                                        "CREATE INDEX PARAGONY01 ON PARAGONY(DATA,KASA,NUMER,KOMPLET);",
                                        "CREATE INDEX PARAGONY03 ON PARAGONY(DATASPRZ,KASA,NUMER);",
                                        "CREATE INDEX PARAGONY04 ON PARAGONY(ODCZYT);", ""}));
    // Each call returns a list of its own.
    auto first = GetSqlScript("C_BLOK_CEN");
    first.clear();
    EXPECT_EQ(GetSqlScript("C_BLOK_CEN").size(), 6u);
}

} // namespace
