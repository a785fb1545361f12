// The readout parser and the report builder, with the catalogue replaced by a map.
#include "exchange/SalesReport.h"

#include <gtest/gtest.h>

#include <map>

namespace
{

class MapLookup : public IGoodsLookup
{
public:
    std::map<std::string, CatalogueGood> goods;
    std::vector<std::vector<std::string>> prepared;

    void Prepare(const std::vector<std::string>& codes) override { prepared.push_back(codes); }
    const CatalogueGood* Find(const std::string& code) const override
    {
        const auto it = goods.find(code);
        return it == goods.end() ? nullptr : &it->second;
    }
};

TEST(SalesReportTest, ParserReadsCodeQuantityAndHundredths)
{
    const std::vector<std::string> file = {"naglowek", "", "Kod", "$00123\t1,5\t250\tChleb", "#7", "", "x\t\t-99"};
    const auto lines = ParseReadout(file);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].code, "00123");
    EXPECT_DOUBLE_EQ(lines[0].quantity, 1.5);
    EXPECT_DOUBLE_EQ(lines[0].value, 2.5);
    EXPECT_EQ(lines[1].code, "7");
    EXPECT_EQ(lines[1].quantity, 0);
    EXPECT_EQ(lines[2].code, "");
    EXPECT_DOUBLE_EQ(lines[3].value, -0.99);
    EXPECT_TRUE(ParseReadout({"a", "b"}).empty());
}

TEST(SalesReportTest, LongReadoutIsLookedUpAndEmittedInNumberedBatches)
{
    MapLookup lookup;
    lookup.goods["5"] = {"5", "szt", "Chleb", std::nullopt};
    std::vector<std::string> file = {"a", "b", "c"};
    for (int i = 0; i < 450; ++i)
        file.push_back("$" + std::to_string(i) + "\t1\t100");

    std::vector<std::vector<std::string>> pieces;
    BuildSalesReport(file, lookup, [&pieces](const std::vector<std::string>& piece) { pieces.push_back(piece); });

    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), ReportBatchSize);
    EXPECT_EQ(pieces[1].size(), 450 - ReportBatchSize);
    ASSERT_EQ(lookup.prepared.size(), 2u);
    EXPECT_EQ(lookup.prepared[1].front(), std::to_string(ReportBatchSize));
    EXPECT_EQ(pieces[0][5], "   6      5        1.000  szt        1.00  Chleb");
    EXPECT_EQ(pieces[1].back(), " 450    449        1.000             1.00   !!! Brak odpowiednika w kartotece asort.");
}

TEST(SalesReportTest, HeaderOnlyGivesNoReport)
{
    MapLookup lookup;
    int emitted = 0;
    BuildSalesReport({"a", "b", "c"}, lookup, [&emitted](const std::vector<std::string>&) { ++emitted; });
    EXPECT_EQ(emitted, 0);
    EXPECT_TRUE(lookup.prepared.empty());
}

} // namespace
