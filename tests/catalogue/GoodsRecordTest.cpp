// The goods record line that the export sends to a register and writes to the Eureka file.
#include "catalogue/GoodsRecord.h"
#include "util/Cp1250Literal.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string Rates = "23.00;8.00;5.00;0.00;0.00;0.00;-1.00;";
const std::string Units = "SZT;KG;L;OPAK;M;;;;szt;kg;l;op;m;;;;";

GoodsRecordInput Bread()
{
    GoodsRecordInput good;
    good.code = 123;
    good.name = "Chleb";
    good.vatRate = Decimal{800, 2};
    good.unit = "KG";
    good.priceLock = 1;
    good.price = Decimal{25000, 4};
    return good;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

TEST(GoodsRecordLine, HasTenTabSeparatedFieldsByteForByte)
{
    EXPECT_EQ(BuildGoodsRecordLine(Bread(), Rates, ExportUnitList(Units)),
              "$00123\tChleb              \t2\t1\t3\t2\t1\t0000000000000\t250\t0");
}

// One changed input and the field it shows in (1-based).
struct FieldCase {
    const char* what;
    void (*change)(GoodsRecordInput&, std::string& rates, std::string& units);
    int field;
    std::string expected;
};

void PrintTo(const FieldCase& c, std::ostream* os)
{
    *os << c.what;
}

class GoodsRecordField : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(GoodsRecordField, Shows)
{
    GoodsRecordInput good = Bread();
    std::string rates = Rates;
    std::string units = ExportUnitList(Units);
    GetParam().change(good, rates, units);
    std::vector<std::string> fields = Fields(BuildGoodsRecordLine(good, rates, units));
    ASSERT_EQ(fields.size(), 10u);
    EXPECT_EQ(fields[GetParam().field - 1], GetParam().expected) << GetParam().what;
}

// Names with Polish letters, outside the generic lambdas below: clang 14 leaves a literal operator call inside a
// generic lambda unevaluated and then cannot link it.
const std::string LongPolishName = "Serek Łaciaty tłusty 200g"_cp;
const std::string CityName = "Łódź"_cp;

INSTANTIATE_TEST_SUITE_P(
    Cases, GoodsRecordField,
    ::testing::Values(FieldCase{"code 7", [](auto& g, auto&, auto&) { g.code = 7; }, 1, "$00007"},
                      FieldCase{"code 1234567 keeps its last five digits",
                                [](auto& g, auto&, auto&) { g.code = 1234567; }, 1, "$34567"},
                      FieldCase{"long name cut after the conversion",
                                [](auto& g, auto&, auto&) { g.name = LongPolishName; }, 2,
                                "Serek \x9D"
                                "aciaty t\x88ust"},
                      FieldCase{"Polish letters in code page 852", [](auto& g, auto&, auto&) { g.name = CityName; }, 2,
                                "ť˘d«               "_cp},
                      FieldCase{"price 0.999 cut to hundredths",
                                [](auto& g, auto&, auto&) {
                                    g.price = Decimal{999, 3};
                                },
                                9, "99"},
                      FieldCase{"price 10",
                                [](auto& g, auto&, auto&) {
                                    g.price = Decimal{10, 0};
                                },
                                9, "1000"},
                      FieldCase{"rate 8 against a list with decimals",
                                [](auto& g, auto&, auto&) {
                                    g.vatRate = Decimal{8, 0};
                                },
                                3, "2"},
                      FieldCase{"rate 8 against a list without decimals",
                                [](auto& g, auto& rates, auto&) {
                                    g.vatRate = Decimal{8, 0};
                                    rates = "23;8;5;0;";
                                },
                                3, "0"},
                      FieldCase{"rate last in a list without a closing separator",
                                [](auto& g, auto& rates, auto&) {
                                    g.vatRate = Decimal{500, 2};
                                    rates = "23.00;8.00;5.00";
                                },
                                3, "0"},
                      FieldCase{"unit in lower case", [](auto& g, auto&, auto&) { g.unit = "szt"; }, 6, "1"},
                      FieldCase{"unit with a trailing blank", [](auto& g, auto&, auto&) { g.unit = "szt "; }, 6, "0"},
                      FieldCase{"unit after an empty row",
                                [](auto&, auto&, auto& units) { units = ExportUnitList("SZT;;KG;;;;;;szt;;kg;;;;;;"); },
                                6, "3"},
                      FieldCase{"empty unit is not found, whatever empty places the list has",
                                [](auto& g, auto&, auto& units) {
                                    g.unit = "";
                                    units = ExportUnitList("SZT;;KG;;;;;;szt;;kg;;;;;;");
                                },
                                6, "0"},
                      FieldCase{"price free", [](auto& g, auto&, auto&) { g.priceLock = 0; }, 7, "0"}));

// Control characters in a catalogue name never split the record into more fields or lines.
TEST(GoodsRecordLine, ControlCharactersInTheNameBecomeBlanks)
{
    struct Case {
        std::string name;
        std::string field;
    };
    const std::vector<Case> cases = {
        {"Kawa\tmielona", "Kawa mielona       "},
        {"Mleko\r\n3,2%", "Mleko  3,2%        "},
        {std::string("A\x01"
                     "B\x1F"
                     "C\x7F",
                     6),
         std::string("A B C\x7F", 6) + std::string(13, ' ')},
        {"Łódź\n"_cp, "ť˘d« "_cp + std::string(14, ' ')},
        {"\t\t\t", std::string(19, ' ')},
    };
    for (const auto& c : cases) {
        GoodsRecordInput good = Bread();
        good.name = c.name;
        const std::string line = BuildGoodsRecordLine(good, Rates, ExportUnitList(Units));
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << c.field;
        const std::vector<std::string> fields = Fields(line);
        ASSERT_EQ(fields.size(), 10u) << c.field;
        EXPECT_EQ(fields[1], c.field);
    }
}

// The price field holds at most nine digits of hundredths; anything else is refused, never sent wrong.
TEST(GoodsRecordRefusal, PricesOutsideTheRegistersRange)
{
    struct Case {
        Decimal price;
        std::string refusal; // empty: accepted
        std::string field;   // the record's price when accepted
    };
    const std::string Range = " poza zakresem kasy 0.00 - 9999999.99";
    const std::vector<Case> cases = {
        {Decimal{0, 2}, "", "0"},
        {Decimal{999999999, 2}, "", "999999999"},
        {Decimal{9999999999, 3}, "", "999999999"}, // 9999999.999 cut to hundredths
        {Decimal{1000000000, 2}, "cena 10000000.00" + Range, ""},
        {Decimal{-1, 3}, "cena -0.001" + Range, ""},
        {Decimal{-150, 2}, "cena -1.50" + Range, ""},
        {Decimal{100000000000, 4}, "cena 10000000.00" + Range, ""}, // as NUMERIC(15,4) holds it
        {Decimal{-12345, 4}, "cena -1.2345" + Range, ""},
        // A whole number beyond what hundredths can hold in 64 bits once gave a negative price.
        {Decimal{92233720368547759, 0}, "cena 92233720368547759.00" + Range, ""},
        {Decimal{INT64_MAX, 1}, "cena 922337203685477580.70" + Range, ""},
    };
    for (const auto& c : cases) {
        GoodsRecordInput good = Bread();
        good.price = c.price;
        EXPECT_EQ(GoodsRecordRefusal(good, Rates), c.refusal) << c.price.ToString();
        if (c.refusal.empty()) {
            EXPECT_EQ(Fields(BuildGoodsRecordLine(good, Rates, ExportUnitList(Units)))[8], c.field);
        }
    }
}

// Every reason a good cannot be sent, each named; the good that passes gives a record.
TEST(GoodsRecordRefusal, EachGoodThatCannotBeSentIsNamed)
{
    struct Case {
        const char* what;
        void (*change)(GoodsRecordInput&);
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {"as it is", [](GoodsRecordInput&) {}, ""},
        {"symbol not a whole number", [](GoodsRecordInput& g) { g.wholeSymbol = false; },
         "symbol nie jest liczbą całkowitą"_cp},
        {"negative symbol", [](GoodsRecordInput& g) { g.code = -5; }, "symbol ujemny"},
        {"code $00000", [](GoodsRecordInput& g) { g.code = 200000; }, "kod w kasie $00000"},
        {"empty name", [](GoodsRecordInput& g) { g.name.clear(); }, "pusta nazwa"},
        {"blank name", [](GoodsRecordInput& g) { g.name = " \t "; }, "pusta nazwa"},
        {"no price", [](GoodsRecordInput& g) { g.price.reset(); }, "brak ceny"},
        {"price -0.001 cut to 0.00 is still negative",
         [](GoodsRecordInput& g) {
             g.price = Decimal{-1, 3};
         },
         "cena -0.001 poza zakresem kasy 0.00 - 9999999.99"},
        {"no VAT rate", [](GoodsRecordInput& g) { g.vatRate.reset(); }, "brak stawki VAT"},
        {"VAT rate not on the list",
         [](GoodsRecordInput& g) {
             g.vatRate = Decimal{7, 0};
         },
         "stawki VAT 7.00 nie ma na liście VAT"_cp},
        {"no unit", [](GoodsRecordInput& g) { g.unit.reset(); }, "brak jednostki miary"_cp},
        {"unit not on the list is sent as 0", [](GoodsRecordInput& g) { g.unit = "SKRZYNKA"; }, ""},
        {"empty unit is sent as 0", [](GoodsRecordInput& g) { g.unit = ""; }, ""},
    };
    for (const Case& c : cases) {
        GoodsRecordInput good = Bread();
        c.change(good);
        EXPECT_EQ(GoodsRecordRefusal(good, Rates), c.refusal) << c.what;
    }
}

DataSet CatalogueRow(const std::string& asort)
{
    DataSet goods;
    goods.Assign("", FieldList{{"BLOK", "WYBOR", "ASORT", "NAZWA", "JM", "STAWKA_VAT", "CENA_2"}},
                 {Row{Value(int64_t{0}), Value(int64_t{1}), Value(asort), Value(std::string("Bułka"_cp)),
                      Value(std::string("SZT")), Value(Decimal{2300, 2}), Value(Decimal{12349, 4})}});
    return goods;
}

TEST(GoodsRecordFromRow, TakesTheCatalogueFieldsAndTheNamedPrice)
{
    GoodsRecordInput good = GoodsRecordFromRow(CatalogueRow("00042"), 0, "cena_2");
    EXPECT_EQ(good.code, 42);
    EXPECT_EQ(good.name, "Bułka"_cp);
    EXPECT_EQ(good.unit, "SZT");
    EXPECT_EQ(good.priceLock, 0);
    EXPECT_EQ(BuildGoodsRecordLine(good, Rates, ExportUnitList(Units)),
              "$00042\tBu\x88ka              \t1\t1\t3\t1\t0\t0000000000000\t123\t0");
}

TEST(GoodsRecordFromRow, ASymbolThatIsNoNumberIsRefusedAMissingPriceFieldRaises)
{
    const GoodsRecordInput good = GoodsRecordFromRow(CatalogueRow("D'ARBO1"), 0, "CENA_2");
    EXPECT_FALSE(good.wholeSymbol);
    EXPECT_EQ(GoodsRecordRefusal(good, Rates), "symbol nie jest liczbą całkowitą"_cp);
    EXPECT_THROW(GoodsRecordFromRow(CatalogueRow("42"), 0, "CENA_3"), FieldError);
}

// A NULL in the catalogue is an absent value, never 0 or an empty text.
TEST(GoodsRecordFromRow, NullsAreAbsentValues)
{
    DataSet goods = CatalogueRow("42");
    for (const char* field : {"JM", "STAWKA_VAT", "CENA_2"})
        goods.Rows[0][goods.Fields.IndexOf(field)] = Value();
    const GoodsRecordInput good = GoodsRecordFromRow(goods, 0, "cena_2");
    EXPECT_FALSE(good.unit.has_value());
    EXPECT_FALSE(good.vatRate.has_value());
    EXPECT_FALSE(good.price.has_value());
    EXPECT_EQ(GoodsRecordRefusal(good, Rates), "brak ceny");
}

} // namespace
