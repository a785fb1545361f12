// A readout of sales totals, as the register's response and as a stored readout file (both are read the same way),
// and the priced report built from it against a small fake catalogue. Besides the sanitizers' checks: every goods
// line gives one report line, handed out in pieces of at most ReportBatchSize lines.
#include "FuzzSupport.h"
#include "exchange/SalesReport.h"
#include "util/MyUtil.h"

#include <map>

namespace
{

// A catalogue of a few goods, among them one without a name; the codes include the zero-padded ones a register
// reports for numeric symbols.
class FakeLookup : public IGoodsLookup
{
public:
    void Prepare(const std::vector<std::string>& codes) override { prepared_ += codes.size(); }
    const CatalogueGood* Find(const std::string& code) const override
    {
        const auto it = goods_.find(code);
        return it == goods_.end() ? nullptr : &it->second;
    }
    std::size_t prepared_ = 0;

private:
    std::map<std::string, CatalogueGood> goods_ = {
        {"00001", {"1", "szt", "Chleb", Decimal{500, 2}}},
        {"00123", {"123", "kg", "Mas\xB3o \xBF\xF3\xB3te", Decimal{2300, 2}}},
        {"99999", {"99999", "l", "", std::nullopt}},
        {"ABC", {"ABC", "", "Bez jednostki", Decimal{0, 0}}},
    };
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchDir() + "/readout.txt";
    fuzz::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        fuzz::Fail("an existing readout could not be read");
    FakeLookup goods;
    std::size_t reported = 0;
    BuildSalesReport(lines, goods, [&](const std::vector<std::string>& piece) {
        if (piece.empty() || piece.size() > ReportBatchSize)
            fuzz::Fail("a report piece of " + std::to_string(piece.size()) + " lines");
        reported += piece.size();
    });
    const std::size_t expected = lines.size() > ReadoutHeaderLines ? lines.size() - ReadoutHeaderLines : 0;
    if (reported != expected)
        fuzz::Fail(std::to_string(reported) + " report lines for " + std::to_string(expected) + " goods lines");
    return 0;
}
