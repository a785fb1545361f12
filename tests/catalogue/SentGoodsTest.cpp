// The memory of sent goods, "changed since the last export" and the comparison with the register's goods list,
// on catalogue rows built in memory.
#include "catalogue/SentGoods.h"
#include "util/Cp1250Literal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

const std::string Rates = "23.00;8.00;5.00;0.00;0.00;0.00;-1.00;";
const std::string Units = "SZT;KG;L;OPAK;M;;;;";

struct Good {
    std::string asort;
    std::string name = "Chleb";
    std::string vat = "23.00";
    std::string unit = "SZT";
    int64_t lock = 0;
    std::string price = "2.50";
    int64_t inactive = 0;
};

Decimal Amount(const std::string& text)
{
    const std::size_t point = text.find('.');
    const std::string digits = text.substr(0, point) + text.substr(point + 1);
    return Decimal{std::stoll(digits), static_cast<int>(text.size() - point - 1)};
}

DataSet Rows(const std::vector<Good>& goods)
{
    DataSet rows;
    std::vector<Row> values;
    for (const Good& g : goods)
        values.push_back({Value(g.asort), Value(g.name), Value(Amount(g.vat)), Value(g.unit), Value(g.lock),
                          Value(Amount(g.price)), Value(g.inactive)});
    rows.Assign("", FieldList{{"ASORT", "NAZWA", "STAWKA_VAT", "JM", "BLOK", "CENA_1", "NIEAKTYWNY"}}, values);
    return rows;
}

std::vector<SendableGood> Catalogue(const std::vector<Good>& goods, const std::string& rates = Rates,
                                    const std::string& units = Units)
{
    return CatalogueGoods(Rows(goods), {rates, units, "CENA_1"});
}

// What the register holds when it took every good of the catalogue as it is.
std::vector<RegisterGood> Held(const std::vector<SendableGood>& goods)
{
    std::vector<RegisterGood> held;
    for (const SendableGood& good : goods)
        held.push_back(good.record);
    return held;
}

// The memory after a comparison with a register holding exactly `held`.
SentMemory Remembered(const std::vector<RegisterGood>& held, const std::vector<SendableGood>& catalogue)
{
    return CompareWithRegister(held, catalogue, {}, 0).memory;
}

// What the catalogue would send is read straight from the row: it must be exactly the record line the export
// builds, read back, for every byte a name may hold and for the rates and units the lists do or do not have.
TEST(CatalogueGoods, RecordIsTheSentLineReadBack)
{
    std::vector<Good> goods;
    for (int first = 1; first < 256; first += 19) {
        std::string name;
        for (int c = first; c < first + 19 && c < 256; ++c)
            name += static_cast<char>(c);
        goods.push_back({std::to_string(first), name + " tail"});
    }
    const std::vector<std::pair<std::string, std::string>> variants = {
        {"8.00", "KG"}, {"5.0", "szt"}, {"23.00", "  "}, {"0.00", "KARTON"}, {"8.00", ""}};
    for (const auto& [vat, unit] : variants)
        goods.push_back({std::to_string(goods.size() + 100000), "Chleb  ", vat, unit, 1, "0.999"});
    goods.push_back({"7", "   "});

    const DataSet rows = Rows(goods);
    const std::vector<SendableGood> catalogue = CatalogueGoods(rows, {Rates, Units, "CENA_1"});
    const GoodsRecordColumns columns = GoodsRecordColumns::Of(rows.Fields, "CENA_1");
    for (int row = 0; row < rows.RecordCount(); ++row) {
        const GoodsRecordInput input = GoodsRecordFromRow(rows, row, columns);
        const std::string refusal = GoodsRecordRefusal(input, Rates);
        EXPECT_EQ(catalogue[row].problem, refusal) << row;
        if (!refusal.empty())
            continue;
        RegisterGood sent;
        ASSERT_TRUE(ParseRecordLine(BuildGoodsRecordLine(input, Rates, Units), sent)) << row;
        EXPECT_EQ(catalogue[row].record, sent) << row;
    }
    EXPECT_FALSE(catalogue.back().sendable);
}

TEST(RegisterGoodsList, ReadsTheGoodsLinesAndCountsDamagedOnes)
{
    int unreadable = -1;
    const std::vector<RegisterGood> goods =
        ParseRegisterGoodsList({"Wykaz towarów w kasie nr 1"_cp, "Liczba towarów: 3 (pojemność 4095)"_cp, "",
                                "Kod     Nazwa                VAT  JM  Blokada        Cena",
                                "$00007  Łyżka kuchenna        B   2  nie            1.99\r"_cp,
                                "$00123  Chleb tak nie 5        A   1  tak         1234.50", "$00124  zepsuty wiersz"},
                               unreadable);
    ASSERT_EQ(goods.size(), 2u);
    EXPECT_EQ(goods[0], (RegisterGood{7, "Łyżka kuchenna"_cp, 2, 2, 0, 199}));
    EXPECT_EQ(goods[1], (RegisterGood{123, "Chleb tak nie 5", 1, 1, 1, 123450}));
    EXPECT_EQ(unreadable, 1);
}

TEST(SentMemoryRecord, FullCallReplacesPriceOnlyCallChangesPriceAndLock)
{
    SentMemory memory;
    SentEntry stored;
    int code = 0;
    // A price-only call for a code nothing is remembered for stores nothing.
    EXPECT_FALSE(RememberSent(memory, "123", "$00123\tChleb              \t1\t1\t3\t1\t0\t0000000000000\t250\t0", false,
                              stored, code));
    ASSERT_TRUE(RememberSent(memory, "123", "$00123\tChleb              \t1\t1\t3\t1\t0\t0000000000000\t250\t0", true,
                             stored, code));
    EXPECT_EQ(code, 123);
    ASSERT_TRUE(RememberSent(memory, "123", "$00123\tBu\x88ka              \t2\t1\t3\t2\t1\t0000000000000\t260\t0",
                             false, stored, code));
    EXPECT_EQ(stored.line, "$00123\tChleb              \t1\t1\t3\t1\t1\t0000000000000\t260\t0");
    EXPECT_EQ(memory.at(123).line, stored.line);
    ASSERT_TRUE(RememberSent(memory, "123", "$00123\tBu\x88ka              \t2\t1\t3\t2\t1\t0000000000000\t260\t0",
                             true, stored, code));
    // The name is kept in Windows-1250 (ł is 0x88 in code page 852, 0xB3 in Windows-1250).
    EXPECT_EQ(stored.line, "$00123\tBułka              \t2\t1\t3\t2\t1\t0000000000000\t260\t0"_cp);
}

struct ComparisonCase {
    const char* what;
    Good catalogue;
    bool inRegister;
    RegisterGood held; // code 0: the register holds the catalogue's record unchanged
    const char* group; // "missing", "differing", "extra", "agreeing"
    const char* reportText;
};

TEST(RegisterComparisonCases, EachGoodLandsInItsGroup)
{
    const std::vector<ComparisonCase> cases = {
        {"missing", {"1"}, false, {}, "missing", "   1          $00001  Chleb"},
        {"equal", {"1"}, true, {}, "agreeing", "4. Towary zgodne: 1"},
        {"price", {"1"}, true, {1, "Chleb", 1, 1, 0, 260}, "differing", "cena: 2.50 / 2.60"},
        {"name", {"1"}, true, {1, "Bułka"_cp, 1, 1, 0, 250}, "differing", "nazwa: \"Chleb\" / \"Bułka\""_cp},
        {"VAT", {"1"}, true, {1, "Chleb", 2, 1, 0, 250}, "differing", "VAT: 1 (A) / 2 (B)"},
        {"unit", {"1"}, true, {1, "Chleb", 1, 2, 0, 250}, "differing", "jm: 1 / 2"},
        {"lock", {"1"}, true, {1, "Chleb", 1, 1, 1, 250}, "differing", "blokada ceny: nie / tak"},
        {"inactive",
         {"1", "Chleb", "23.00", "SZT", 0, "2.50", 1},
         true,
         {1, "Chleb", 1, 1, 0, 250},
         "extra",
         "- nieaktywny: 1"},
    };
    for (const ComparisonCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<SendableGood> catalogue = Catalogue({c.catalogue});
        std::vector<RegisterGood> held;
        if (c.inRegister)
            held.push_back(c.held.code ? c.held : catalogue.front().record);
        const RegisterComparison result = CompareWithRegister(held, catalogue, {}, 0);
        const std::string group = c.group;
        EXPECT_EQ(result.missing.size(), group == "missing" ? 1u : 0u);
        EXPECT_EQ(result.differing.size(), group == "differing" ? 1u : 0u);
        EXPECT_EQ(result.extra.size(), group == "extra" ? 1u : 0u);
        EXPECT_EQ(result.agreeing, group == "agreeing" ? 1 : 0);
        EXPECT_EQ(result.ToSend(), group == "missing" || group == "differing" ? std::vector<std::string>{"1"}
                                                                              : std::vector<std::string>{});
        const std::vector<std::string> lines = result.ReportLines("Porównanie"_cp);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(c.reportText) != std::string::npos;
        })) << c.reportText;
        // The memory becomes what the register holds, for the good it holds.
        EXPECT_EQ(result.memory.size(), held.size());
        if (!held.empty()) {
            EXPECT_EQ(result.memory.at(1).asort, "1");
        }
    }
}

TEST(RegisterComparisonCases, ForeignCodesCollisionsAndUnsendableGoods)
{
    const std::vector<SendableGood> catalogue = Catalogue(
        {{"123", "Chleb"}, {"100123", "Bułka"_cp}, {"D'ARBO1"}, {"5", "Drogi", "23.00", "SZT", 0, "10000000.00"}});
    const std::vector<RegisterGood> held{{777, "Obcy", 1, 1, 0, 100}, catalogue[1].record};
    const RegisterComparison result = CompareWithRegister(held, catalogue, {}, 0);
    EXPECT_TRUE(result.missing.empty()) << "goods of a shared code are not reported missing";
    EXPECT_EQ(result.collisions, std::vector<std::string>{"$00123: 123, 100123 (w kasie: Bułka)"_cp});
    ASSERT_EQ(result.extra.size(), 1u);
    EXPECT_EQ(result.extra[0].second, "brak w kartotece");
    EXPECT_EQ(result.unsendable,
              (std::vector<std::string>{"D'ARBO1 (symbol nie jest liczbą całkowitą)"_cp,
                                        "5 (cena 10000000.00 poza zakresem kasy 0.00 - 9999999.99)"}));
    EXPECT_EQ(result.memory.at(123).asort, "100123") << "the register holds the record of 100123";
    EXPECT_EQ(result.memory.count(777), 0u) << "a code whose good is unknown is not remembered";
    EXPECT_EQ(result.agreeing, 1) << "100123 agrees";
}

// Under a shared code, a price the register holds for the good the memory names is a difference naming both goods;
// goods the catalogue holds but cannot send are not "missing from the catalogue".
TEST(RegisterComparisonCases, ASharedCodeWithAnotherPriceDiffersAndNamesBothGoods)
{
    const std::vector<SendableGood> catalogue = Catalogue({{"123", "Maslanka naturalna", "23.00", "SZT", 0, "3.49"},
                                                           {"100123", "Inny", "23.00", "SZT", 0, "99.99", 1},
                                                           {"7", "Bez ceny", "99.00"}});
    RegisterGood wrong = catalogue[0].record;
    wrong.price = 100;
    RegisterGood seven{7, "Bez ceny", 1, 1, 0, 100};
    const SentMemory previous{{123, {"123", StoredLine(catalogue[0].record)}}};
    const RegisterComparison result = CompareWithRegister({wrong, seven}, catalogue, previous, 0);
    ASSERT_EQ(result.differing.size(), 1u);
    EXPECT_EQ(result.differing[0].asort, "123");
    EXPECT_EQ(result.differing[0].sharedWith, "100123");
    EXPECT_EQ(result.ToSend(), std::vector<std::string>{"123"});
    ASSERT_EQ(result.extra.size(), 1u);
    EXPECT_EQ(result.extra[0].second, "nie do wysłania: 7 (stawki VAT 99.00 nie ma na liście VAT)"_cp);
    EXPECT_EQ(result.memory.at(123).asort, "123");
    const std::vector<std::string> report = result.ReportLines("t");
    EXPECT_TRUE(std::any_of(report.begin(), report.end(), [](const std::string& line) {
        return line.find("cena: 3.49 / 1.00; kod wspólny z towarem 100123"_cp) != std::string::npos;
    }));
}

// The guard each call passes just before it is made.
TEST(SharedCodeGuard, EachCallIsCheckedAgainstTheMemoryAndTheWholeCatalogue)
{
    CatalogueCodes codes;
    codes.Add(123, "123", true);
    codes.Add(123, "100123", true);
    codes.Add(124, "124", true);
    codes.Add(124, "100124", false);
    const SentMemory memory{{123, {"123", "x"}}, {124, {"100124", "x"}}, {125, {"", "x"}}};
    struct Case {
        const char* what;
        std::string asort;
        int code;
        SendKind kind;
        std::string refusal;
        bool replaces;
    };
    const std::vector<Case> cases = {
        {"price of the good the register holds", "123", 123, SendKind::PriceOnly, "", false},
        {"price of its partner", "100123", 123, SendKind::PriceOnly, "kod $00123 należy w kasie do towaru 123"_cp,
         false},
        {"full data of its partner", "100123", 123, SendKind::Full, "kod $00123 należy w kasie do towaru 123"_cp,
         false},
        {"full data over a withdrawn good", "124", 124, SendKind::Full, "", true},
        {"price over a withdrawn good", "124", 124, SendKind::PriceOnly,
         "kod $00124 należy w kasie do towaru 100124"_cp, false},
        {"price of a code nobody else has and the memory lacks", "126", 126, SendKind::PriceOnly, "", false},
        {"full data over a good the memory does not name", "125", 125, SendKind::Full, "", true},
    };
    for (const Case& c : cases) {
        const CallCheck check = CheckCall(c.asort, c.code, c.kind, memory, codes);
        EXPECT_EQ(check.refusal, c.refusal) << c.what;
        EXPECT_EQ(check.replacesOther, c.replaces) << c.what;
    }
    // Without memory a shared code takes no price-only call: nobody knows which good the register holds.
    EXPECT_EQ(
        CheckCall("100123", 123, SendKind::PriceOnly, {}, codes).refusal,
        "kod $00123 ma w kartotece także towar 123, a nie wiadomo, który z nich jest w kasie - wyślij pełne dane"_cp);
    EXPECT_EQ(CheckCall("100123", 123, SendKind::Full, {}, codes).refusal, "");
}

// Changed-only after the catalogue or the register moved away from what was sent.
TEST(ChangedSinceLastExport, SelectsExactlyTheGoodsThatChanged)
{
    const std::vector<Good> sent = {{"1", "Chleb"}, {"2", "Masło"_cp, "8.00", "KG"}, {"3", "Mleko", "5.00", "L"}};
    const std::vector<SendableGood> before = Catalogue(sent);
    const SentMemory memory = Remembered(Held(before), before);
    EXPECT_TRUE(FindChangedGoods(before, memory).selected.empty());

    struct Case {
        const char* what;
        std::vector<Good> goods;
        std::string rates = Rates;
        std::string units = Units;
        std::vector<std::string> expected;
    };
    std::vector<Good> price = sent, name = sent, vat = sent;
    price[1].price = "7.99";
    name[2].name = "Mleko 2%";
    vat[0].vat = "8.00";
    const std::vector<Case> cases = {
        {"price", price, Rates, Units, {"2"}},
        {"name", name, Rates, Units, {"3"}},
        {"VAT rate", vat, Rates, Units, {"1"}},
        // 8% becomes the first rate: only the good taxed 8% gets another number
        {"rate list", sent, "8.00;23.00;5.00;0.00;", Units, {"1", "2"}},
        // KG moves to the fourth place
        {"unit list", sent, Rates, "SZT;OPAK;L;KG;", {"2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FindChangedGoods(Catalogue(c.goods, c.rates, c.units), memory).selected, c.expected);
    }
    // What each change needs: a price alone goes price-only, a name or a VAT rate needs full data.
    EXPECT_EQ(FindChangedGoods(Catalogue(price), memory).kinds, std::vector<SendKind>{SendKind::PriceOnly});
    EXPECT_EQ(FindChangedGoods(Catalogue(name), memory).kinds, std::vector<SendKind>{SendKind::Full});
    EXPECT_EQ(FindChangedGoods(Catalogue(vat), memory).kinds, std::vector<SendKind>{SendKind::Full});

    // A good deleted at the register is sent again.
    SentMemory deleted = memory;
    deleted.erase(3);
    EXPECT_EQ(FindChangedGoods(before, deleted).selected, std::vector<std::string>{"3"});
}

TEST(ChangedSinceLastExport, WithoutMemoryEverySendableGoodCounts)
{
    const std::vector<SendableGood> goods =
        Catalogue({{"1"}, {"D'ARBO1"}, {"2", "Złoto"_cp, "23.00", "SZT", 0, "10000000.00"}, {"3"}});
    const ChangedGoods changed = FindChangedGoods(goods, {});
    EXPECT_TRUE(changed.noMemory);
    EXPECT_EQ(changed.selected, (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(changed.unsendable.size(), 2u);
}

TEST(ChangedSinceLastExport, OfGoodsSharingACodeOnlyTheOneTheRegisterHoldsMayGo)
{
    std::vector<Good> goods = {{"123", "Chleb"}, {"100123", "Bułka"_cp}};
    const std::vector<SendableGood> before = Catalogue(goods);
    // Never sent: neither goes, both are named.
    ChangedGoods changed = FindChangedGoods(before, {{7, {"7", "x"}}});
    EXPECT_TRUE(changed.selected.empty());
    EXPECT_EQ(changed.collisions, std::vector<std::string>{"$00123: 123, 100123"});
    // The register holds 100123: a change of either moves only 100123.
    const SentMemory memory = Remembered({before[1].record}, before);
    goods[0].price = "3.00";
    EXPECT_TRUE(FindChangedGoods(Catalogue(goods), memory).selected.empty());
    goods[1].price = "3.00";
    EXPECT_EQ(FindChangedGoods(Catalogue(goods), memory).selected, std::vector<std::string>{"100123"});
}

} // namespace
