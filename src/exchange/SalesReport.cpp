#include "exchange/SalesReport.h"

#include "util/MyUtil.h"

#include <algorithm>

namespace
{

const std::string MissingGoodName = " !!! Brak odpowiednika w kartotece asort.";

// A number in its picture, right-aligned in the picture's width so that the report's columns stand one under the
// other and a code is never read together with the quantity beside it. A number wider than its picture is
// written whole.
std::string InPictureWidth(const std::string& picture, double value)
{
    const std::string text = FormatFloat(picture, value);
    return text.size() < picture.size() ? std::string(picture.size() - text.size(), ' ') + text : text;
}

} // namespace

ReadoutLine ParseReadoutLine(const std::string& line)
{
    ReadoutLine result;
    result.code = TailFrom(TabField(line, 1), 2);
    result.quantity = TextToFloat(TabField(line, 2), 0);
    result.value = TextToFloat(TabField(line, 3), 0) / 100;
    return result;
}

std::vector<ReadoutLine> ParseReadout(const std::vector<std::string>& fileLines)
{
    std::vector<ReadoutLine> result;
    for (std::size_t i = ReadoutHeaderLines; i < fileLines.size(); ++i)
        result.push_back(ParseReadoutLine(fileLines[i]));
    return result;
}

std::string ReportLine(int number, const ReadoutLine& line, const CatalogueGood* good)
{
    const std::string unit = good ? good->unit : std::string();
    const std::string name = good && !good->name.empty() ? good->name : MissingGoodName;
    return IntToStrPad(number, 4, " ") + PadLeft(line.code, 7, " ") + InPictureWidth("##### ##0.000", line.quantity) +
           PadLeft(unit, 5, " ") + InPictureWidth("##### ##0.00", line.value) + "  " + name;
}

void BuildSalesReport(const std::vector<std::string>& fileLines, IGoodsLookup& goods,
                      const std::function<void(const std::vector<std::string>&)>& emit)
{
    for (std::size_t start = ReadoutHeaderLines; start < fileLines.size(); start += ReportBatchSize) {
        const std::size_t end = std::min(fileLines.size(), start + ReportBatchSize);
        std::vector<ReadoutLine> batch;
        std::vector<std::string> codes;
        for (std::size_t i = start; i < end; ++i) {
            batch.push_back(ParseReadoutLine(fileLines[i]));
            codes.push_back(batch.back().code);
        }
        goods.Prepare(codes);
        std::vector<std::string> report;
        for (std::size_t i = 0; i < batch.size(); ++i)
            report.push_back(
                ReportLine(static_cast<int>(start + i - ReadoutHeaderLines + 1), batch[i], goods.Find(batch[i].code)));
        emit(report);
    }
}
