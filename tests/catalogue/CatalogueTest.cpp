// The catalogue view with its filters, price locks and selections, the goods groups and the duplicate names
// report.
#include "CatalogueFixture.h"

#include "catalogue/GoodsRecord.h"
#include "util/Cp1250Literal.h"

#include <algorithm>

namespace
{

struct FilterCase {
    const char* name;
    const char* group;
    const char* lock;
    const char* selection;
    const char* tail;              // what follows "where nieaktywny<>1"
    std::set<std::string> symbols; // the view over the goods of CatalogueFilters
};

void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << c.name;
}

class CatalogueFilters : public CatalogueTest, public ::testing::WithParamInterface<FilterCase>
{
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        AddGood("1", "Mleko", "A");
        AddGood("2", "Ser", "B");
        AddGood("3", "Chleb", "C");
        AddGood("4", "Kefir", "A", 1); // inactive, selected and locked: never in view
        AddLock("1", 1, 0);
        AddLock("2", 0, 1);
        AddLock("3", 1, 1);
        AddLock("4", 1, 1);
    }
};

TEST_P(CatalogueFilters, AppendsTheFiltersByteForByteAndShowsActiveGoodsOnly)
{
    GroupFilter = GetParam().group;
    LockFilter = GetParam().lock;
    SelectionFilter = GetParam().selection;
    dmu->OpenGoods();
    EXPECT_EQ(dmu->SDSTowary.CommandText, "select b.blok,b.wybor,k.* from " + GoodsTable +
                                              " k join BLOK_CEN b using(asort)  where nieaktywny<>1" + GetParam().tail);
    EXPECT_EQ(ViewSymbols(), GetParam().symbols);
    EXPECT_EQ(goodsPage.reopened, 1);
    EXPECT_EQ(goodsPage.countRefreshes, 1);
}

INSTANTIATE_TEST_SUITE_P(Filters, CatalogueFilters,
                         ::testing::Values(FilterCase{"none", "", "", "", "", {"1", "2", "3"}},
                                           FilterCase{"groups A and B, locked",
                                                      " ( k.grupa='A' or k.grupa='B' )",
                                                      "b.blok=1",
                                                      "",
                                                      " and  ( k.grupa='A' or k.grupa='B' ) and b.blok=1",
                                                      {"1"}},
                                           FilterCase{"selected", "", "", "b.wybor=1", " and b.wybor=1", {"2", "3"}},
                                           FilterCase{"group C, locked, selected",
                                                      " ( k.grupa='C' )",
                                                      "b.blok=1",
                                                      "b.wybor=1",
                                                      " and  ( k.grupa='C' ) and b.blok=1 and b.wybor=1",
                                                      {"3"}}));

TEST_F(CatalogueTest, OpenGoodsPointsThePriceColumnAtThePriceField)
{
    AddGood("1", "Mleko", "A", 0, "3.25");
    dmu->SyncPriceLocks();
    PriceField = "CENA_2";
    dmu->OpenGoods();
    EXPECT_EQ(goodsPage.priceColumn, 2);
    EXPECT_EQ(goodsPage.priceField, "CENA_2");
    EXPECT_EQ(dmu->PriceGetText(dmu->SDSTowary.At(0, PriceField)), "4.25");

    // A field the catalogue lacks, and a register with no price field at all, are named in the message.
    RegisterCode = "02";
    const std::pair<std::string, std::string> missing[] = {
        {"CENA_9", "Brak pola CENA_9 w kartotece towarów "_cp + GoodsTable},
        {"", "Kasa 02 nie ma wskazanego pola z ceną (kolumna CENA w COM_DEF)"_cp},
    };
    for (const auto& [field, message] : missing) {
        PriceField = field;
        try {
            dmu->OpenGoods();
            ADD_FAILURE() << field;
        } catch (const FieldError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
    EXPECT_EQ(goodsPage.reopened, 3); // the grid still learns that the view was reopened
}

TEST_F(CatalogueTest, PriceTextHasAThousandsBlankAndIsExact)
{
    EXPECT_EQ(dmu->PriceGetText(Value(Decimal{12345000, 4})), "1 234.50");
    EXPECT_EQ(dmu->PriceGetText(Value(Decimal{23450, 4})), "2.35");
    EXPECT_EQ(dmu->PriceGetText(Value()), "0.00");
}

TEST_F(CatalogueTest, SyncPriceLocksAddsActiveGoodsOnlyAndKeepsExistingFlags)
{
    AddGood("1", "Mleko");
    AddGood("2", "Kefir", "A", 1);
    AddGood("D'ARBO1", "D’arbo dżem"_cp);
    AddGood("3", "Ser");
    AddLock("3", 1, 1);
    AddLock("99", 1, 0); // a good that left the catalogue

    dmu->SyncPriceLocks();
    dmu->SyncPriceLocks(); // nothing left to add
    EXPECT_EQ(Flags("1"), "0,0");
    EXPECT_EQ(Flags("D'ARBO1"), "0,0");
    EXPECT_EQ(Flags("2"), "-");
    EXPECT_EQ(Flags("3"), "1,1");
    EXPECT_EQ(Flags("99"), "1,0");
    EXPECT_TRUE(CommandErrors().empty());

    dmu->OpenGoods();
    EXPECT_EQ(ViewSymbols(), (std::set<std::string>{"1", "3", "D'ARBO1"}));
}

// A catalogue symbol longer than BLOK_CEN can hold once kept every new good out of the view.
TEST_F(CatalogueTest, SyncPriceLocksNamesGoodsThatCannotBeTrackedAndAddsTheOthers)
{
    // A trade system whose symbols may be longer than BLOK_CEN's.
    ASSERT_TRUE(dm->RunSQL("alter table " + GoodsTable + " drop constraint PK_" + GoodsTable));
    ASSERT_TRUE(dm->RunSQL("alter table " + GoodsTable + " alter asort type varchar(30)"));
    const std::string longSymbol = "ABCDEFGHIJKLMNOPQRSTUVWXY"; // 25 characters
    AddGood("1", "Mleko");
    AddGood(longSymbol, "Za długi symbol"_cp);
    AddGood("12345678901234567890", "Dwadzieścia znaków"_cp); // exactly 20: fits
    AddGood("2", "Ser");

    dmu->SyncPriceLocks();

    EXPECT_EQ(Flags("1"), "0,0");
    EXPECT_EQ(Flags("2"), "0,0");
    EXPECT_EQ(Flags("12345678901234567890"), "0,0");
    const std::string named =
        "Towary, których nie można zaznaczać ani wysyłać (symbol dłuższy niż 20 znaków lub błąd zapisu w BLOK_CEN): "_cp +
        longSymbol;
    EXPECT_EQ(status.errors, std::vector<std::string>{named});
    const std::vector<std::string> history = log->Lines();
    EXPECT_EQ(std::count(history.begin(), history.end(), named), 1);
    EXPECT_TRUE(CommandErrors().empty());
    dmu->OpenGoods();
    EXPECT_EQ(ViewSymbols(), (std::set<std::string>{"1", "2", "12345678901234567890"}));
}

TEST_F(CatalogueTest, LoadGroupsListsCodeAndName)
{
    dm->RunSQL("delete from GrupyAs");
    dm->RunSQL("insert into GrupyAs (grupa,nazwa) values ('01','Nabiał')"_cp);
    dm->RunSQL("insert into GrupyAs (grupa,nazwa) values ('07','Pieczywo')");
    dmu->LoadGroups();
    std::vector<std::string> expected = {"01 Nabiał"_cp, "07 Pieczywo"};
    std::sort(goodsPage.groups.begin(), goodsPage.groups.end());
    EXPECT_EQ(goodsPage.groups, expected);
    EXPECT_EQ(dmu->GroupItems.size(), 2u);
}

// ---- single toggles and bulk locks

class CatalogueToggles : public CatalogueTest
{
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        for (const char* symbol : {"1", "2", "3", "4"})
            AddGood(symbol, std::string("Towar ") + symbol, symbol[0] <= '2' ? "A" : "B");
        AddGood("O'NEIL", "Whisky", "B");
        dmu->SyncPriceLocks();
        dm->OnStatement = [this](const std::string& sql, bool query) {
            if (query && sql.find("k join BLOK_CEN") != std::string::npos)
                viewQueries.push_back(sql);
        };
    }
    void TearDown() override
    {
        dm->OnStatement = nullptr;
        CatalogueTest::TearDown();
    }
    int RowOf(const std::string& symbol) { return dmu->GoodsRowOf(symbol); }

    std::vector<std::string> viewQueries;
};

TEST_F(CatalogueToggles, ToggleWritesTheFlagAndUpdatesOnlyThatRow)
{
    dmu->OpenGoods();
    viewQueries.clear();
    const int row = RowOf("O'NEIL");
    ASSERT_GE(row, 0);

    ASSERT_TRUE(dmu->ToggleFlag(row, "wybor"));
    ASSERT_TRUE(dmu->ToggleFlag(row, "blok"));
    EXPECT_EQ(Flags("O'NEIL"), "1,1");
    EXPECT_EQ(dmu->SDSTowary.At(row, "wybor").AsInteger(), 1);
    EXPECT_EQ(dmu->SDSTowary.At(row, "blok").AsInteger(), 1);
    EXPECT_EQ(goodsPage.changed, (std::vector<int>{row, row}));
    EXPECT_EQ(goodsPage.reopened, 1);
    EXPECT_EQ(goodsPage.countRefreshes, 1); // a toggle leaves the count label alone
    ASSERT_EQ(viewQueries.size(), 2u);
    EXPECT_NE(viewQueries[0].find("and k.asort='O''NEIL'"), std::string::npos) << viewQueries[0];

    ASSERT_TRUE(dmu->ToggleFlag(row, "WYBOR"));
    EXPECT_EQ(Flags("O'NEIL"), "1,0");
    EXPECT_FALSE(dmu->ToggleFlag(row, "nazwa"));
    EXPECT_FALSE(dmu->ToggleFlag(dmu->SDSTowary.RecordCount(), "wybor"));
}

TEST_F(CatalogueToggles, ARowThatLeavesTheFilterLeavesTheViewAndTheOthersAreStillFound)
{
    dm->RunSQL("update blok_cen set wybor=1");
    SelectionFilter = "b.wybor=1";
    dmu->OpenGoods();
    const int row = RowOf("2");
    ASSERT_GE(row, 0);
    dmu->SDSTowary.SetRecNo(dmu->SDSTowary.RecordCount() - 1);

    ASSERT_TRUE(dmu->ToggleFlag(row, "wybor"));
    EXPECT_EQ(Flags("2"), "0,0");
    EXPECT_EQ(ViewSymbols(), (std::set<std::string>{"1", "3", "4", "O'NEIL"}));
    EXPECT_EQ(goodsPage.removing, std::vector<int>{row});
    EXPECT_EQ(goodsPage.removed, std::vector<int>{row});
    EXPECT_EQ(dmu->SDSTowary.RecNo(), dmu->SDSTowary.RecordCount() - 1); // the cursor stays on the last row
    for (const char* symbol : {"1", "3", "4", "O'NEIL"})
        EXPECT_EQ(dmu->SDSTowary.At(RowOf(symbol), "asort").AsString(), symbol);
    EXPECT_EQ(RowOf("2"), -1);
}

// A database that refuses marks (read-only, or a trigger as here): each refusal is announced in red, logged, and
// the rows keep showing what is stored.
TEST_F(CatalogueToggles, RefusedMarksAreAnnouncedAndTheRowsKeepTheStoredValues)
{
    dm->RunSQL("update blok_cen set wybor=1 where asort='2'");
    ASSERT_TRUE(dm->RunSQL("create exception tylko_odczyt 'tylko do odczytu'"));
    ASSERT_TRUE(
        dm->RunSQL("create trigger blok_cen_ro for blok_cen before update as begin exception tylko_odczyt; end"));
    dmu->OpenGoods();
    const int row = RowOf("2");
    ASSERT_GE(row, 0);
    log->Clear();

    const std::string Refused = " - baza danych odrzuciła polecenie (szczegóły w historii pracy)"_cp;
    EXPECT_FALSE(dmu->ToggleFlag(row, "wybor"));
    EXPECT_FALSE(dmu->ToggleFlag(row, "blok"));
    EXPECT_FALSE(dmu->SelectGoods(SelectionCommand::UnselectAll));
    EXPECT_FALSE(dmu->SelectGoods(SelectionCommand::Invert));
    EXPECT_FALSE(dmu->LockGoodsInView(LockCommand::LockAll));
    EXPECT_EQ(status.errors, (std::vector<std::string>{"Nie zapisano zaznaczenia towaru 2" + Refused,
                                                       "Nie zapisano blokady ceny towaru 2" + Refused,
                                                       "Nie zapisano zaznaczeń towarów"_cp + Refused,
                                                       "Nie zapisano zaznaczeń towarów"_cp + Refused,
                                                       "Nie zapisano blokad cen towarów"_cp + Refused}));
    // The work history holds each refused command with the database's reason, and each announcement.
    EXPECT_EQ(CommandErrors().size(), 5u);
    const std::string history = log->Text();
    EXPECT_NE(history.find("Nie zapisano zaznaczenia towaru 2" + Refused), std::string::npos);
    EXPECT_EQ(dmu->SDSTowary.At(row, "wybor").AsInteger(), 1);
    EXPECT_EQ(dmu->SDSTowary.At(row, "blok").AsInteger(), 0);
    EXPECT_EQ(Flags("2"), "0,1");
    EXPECT_TRUE(goodsPage.changed.empty());
}

struct LockCase {
    const char* name;
    LockCommand command;
    const char* lockFilter;
    std::vector<std::string> flags; // blok of goods 1, 2, 3, 4 afterwards
};

void PrintTo(const LockCase& c, std::ostream* os)
{
    *os << c.name;
}

class CatalogueBulkLocks : public CatalogueToggles, public ::testing::WithParamInterface<LockCase>
{
};

TEST_P(CatalogueBulkLocks, ChangeTheGoodsInViewOnly)
{
    dm->RunSQL("update blok_cen set blok=1 where asort in ('1','3')");
    GroupFilter = " ( k.grupa='A' )";
    LockFilter = GetParam().lockFilter;
    dmu->OpenGoods();
    GroupFilter = " ( k.grupa='B' )"; // not yet applied to the view: the view's own filters count
    ASSERT_TRUE(dmu->LockGoodsInView(GetParam().command));
    std::vector<std::string> flags;
    for (const char* symbol : {"1", "2", "3", "4"})
        flags.push_back(Flags(symbol).substr(0, 1));
    EXPECT_EQ(flags, GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CatalogueBulkLocks,
    ::testing::Values(LockCase{"lock all", LockCommand::LockAll, "", {"1", "1", "1", "0"}},
                      LockCase{"unlock all", LockCommand::UnlockAll, "", {"0", "0", "1", "0"}},
                      LockCase{"invert", LockCommand::Invert, "", {"0", "1", "1", "0"}},
                      LockCase{"unlock all locked", LockCommand::UnlockAll, "b.blok=1", {"0", "0", "1", "0"}},
                      LockCase{"invert free", LockCommand::Invert, "b.blok=0", {"1", "1", "1", "0"}}));

// ---- duplicate names

class DuplicateNames : public CatalogueTest
{
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        SetClock([] { return DateTime{{2024, 3, 26}, {14, 5, 9, 0}}; });
    }
    std::vector<std::string> Report()
    {
        std::vector<std::string> lines;
        EXPECT_TRUE(ReadLines(DataDir + "Error.txt", lines));
        return lines;
    }
};

TEST_F(DuplicateNames, ListsGoodsWhoseFirst19CharactersCollide)
{
    AddGood("123", "Chleb");
    AddGood("1234567", "Chleb");
    AddGood("77", "Chleb", "A", 1); // inactive
    // The same 19 characters, different after them.
    AddGood("5", "Masło ekstra 82% 200g Mlekovita"_cp);
    AddGood("6", "Masło ekstra 82% 200g Łaciate"_cp);
    AddGood("8", "D'arbo dżem"_cp);
    AddGood("9", "D'arbo dżem"_cp);
    AddGood("10", "Mleko");

    dmu->ReportDuplicateNames();
    EXPECT_EQ(ErrorReportFile, DataDir + "Error.txt");
    std::vector<std::string> lines = Report();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "Raport 26.03.2024 14:05:09");
    EXPECT_EQ(lines[1], "-- Powtarzające się nazwy"_cp);
    EXPECT_EQ(lines[8], "----------------------");
    std::set<std::string> goods(lines.begin() + 2, lines.begin() + 8);
    EXPECT_EQ(goods, (std::set<std::string>{
                         "      123  Chleb ... ",
                         "    34567  Chleb ... ",
                         "        5  Masło ekstra 82% 20 ... 0g Mlekovita"_cp,
                         "        6  Masło ekstra 82% 20 ... 0g Łaciate"_cp,
                         "        8  D'arbo dżem ... "_cp,
                         "        9  D'arbo dżem ... "_cp,
                     }));
    EXPECT_EQ(screen.busyOn, screen.busyOff);
}

TEST_F(DuplicateNames, WithoutCollisionsLeavesAnEmptyReport)
{
    SaveText("poprzedni raport\r\n", DataDir + "Error.txt");
    AddGood("1", "Chleb");
    AddGood("2", "Chleb", "A", 1);
    dmu->ReportDuplicateNames();
    EXPECT_EQ(ErrorReportFile, DataDir + "Error.txt");
    std::string content = "-";
    EXPECT_TRUE(ReadWholeFile(ErrorReportFile, content));
    EXPECT_EQ(content, "");
}

} // namespace
