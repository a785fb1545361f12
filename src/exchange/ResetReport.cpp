#include "exchange/ResetReport.h"

#include "exchange/SalesReport.h"
#include "util/Cp1250Literal.h"
#include "util/Decimal.h"
#include "util/MyUtil.h"

#include <cmath>
#include <map>

namespace
{

// NUMERIC(18,4) holds fourteen digits before the point.
constexpr double LargestAmount = 99999999999999.0;
constexpr int64_t LargestUnits = 999999999999999999;

// The fields of a line split at blanks.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    while (true) {
        const std::size_t begin = line.find_first_not_of(" \t\r", at);
        if (begin == std::string::npos)
            break;
        const std::size_t end = line.find_first_of(" \t\r", begin);
        words.push_back(line.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos)
            break;
        at = end;
    }
    return words;
}

// A decimal written with a point and at most `decimals` decimals, as ten-thousandths; false when it is not one.
bool ExactAmount(const std::string& text, int decimals, int64_t& units)
{
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() || whole.size() > 14 || whole.find_first_not_of("0123456789") != std::string::npos ||
        static_cast<int>(fraction.size()) > decimals || fraction.find_first_not_of("0123456789") != std::string::npos)
        return false;
    units = std::stoll(whole) * TotalsScale;
    int64_t scale = TotalsScale / 10;
    for (const char c : fraction) {
        units += (c - '0') * scale;
        scale /= 10;
    }
    return units <= LargestUnits;
}

std::string Trimmed(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

class Adder
{
public:
    void Add(const CodeTotals& line)
    {
        const auto [it, added] = index_.emplace(line.code, totals_.size());
        if (added) {
            totals_.push_back(line);
            return;
        }
        totals_[it->second].quantity += line.quantity;
        totals_[it->second].value += line.value;
    }
    std::vector<CodeTotals> totals_;

private:
    std::map<std::string, std::size_t> index_;
};

} // namespace

std::string TotalsAmountText(int64_t tenThousandths)
{
    return Decimal{tenThousandths, 4}.ToString();
}

bool ReadoutFileTotals(const std::vector<std::string>& lines, std::vector<CodeTotals>& totals, std::string& problem)
{
    Adder adder;
    for (std::size_t i = ReadoutHeaderLines; i < lines.size(); ++i) {
        const ReadoutLine parsed = ParseReadoutLine(lines[i]);
        if (!(std::fabs(parsed.quantity) < LargestAmount) || !(std::fabs(parsed.value) < LargestAmount)) {
            problem = "Ilość lub wartość towaru "_cp + parsed.code + " poza zakresem";
            return false;
        }
        adder.Add({parsed.code, TabField(lines[i], 4), std::llround(parsed.quantity * TotalsScale),
                   std::llround(parsed.value * TotalsScale)});
    }
    totals = std::move(adder.totals_);
    return true;
}

bool ParseResetReport(const std::vector<std::string>& lines, std::vector<CodeTotals>& totals, std::string& problem)
{
    const auto fail = [&problem](std::size_t index, const std::string& what) {
        problem = "wiersz "_cp + std::to_string(index + 1) + " raportu sprzedaży: " + what;
        return false;
    };
    if (lines.empty() || UpperAscii(lines[0]).rfind("RAPORT SPRZEDA", 0) != 0)
        return fail(0, "brak nagłówka \"RAPORT SPRZEDAŻY TOWARÓW\""_cp);
    if (lines.size() < 4)
        return fail(lines.size(), "raport jest niepełny"_cp);
    if (Trimmed(lines[3]).rfind("Brak sprzeda"_cp, 0) == 0) {
        totals.clear();
        return true;
    }
    if (Words(lines[3]).empty() || Words(lines[3])[0] != "Kod")
        return fail(3, "brak wiersza nagłówka kolumn \"Kod ...\""_cp);
    Adder adder;
    int64_t sum = 0;
    std::size_t i = 4;
    for (; i < lines.size(); ++i) {
        const std::string line = Trimmed(lines[i]);
        if (line.empty())
            break;
        // "$" and five digits, the name, then VAT letter, quantity and value read from the right.
        if (line.size() < 6 || line[0] != '$' || line.substr(1, 5).find_first_not_of("0123456789") != std::string::npos)
            return fail(i, "wiersz towaru nie zaczyna się od $ i pięciu cyfr"_cp);
        const std::vector<std::string> words = Words(line);
        if (words.size() < 4)
            return fail(i, "za mało pól"_cp);
        CodeTotals item;
        item.code = line.substr(1, 5);
        if (!ExactAmount(words[words.size() - 2], 3, item.quantity))
            return fail(i, "błędna ilość \""_cp + words[words.size() - 2] + "\"");
        if (!ExactAmount(words.back(), 2, item.value))
            return fail(i, "błędna wartość \""_cp + words.back() + "\"");
        // The name is what stands between the code and the last three fields.
        std::string name = line.substr(6);
        for (int field = 0; field < 3; ++field) {
            name = Trimmed(name);
            const std::size_t cut = name.find_last_of(" \t");
            name = cut == std::string::npos ? std::string() : name.substr(0, cut);
        }
        item.registerName = Trimmed(name);
        sum += item.value;
        adder.Add(item);
    }
    // "Razem:" closes the report.
    for (; i < lines.size(); ++i) {
        const std::vector<std::string> words = Words(lines[i]);
        if (words.size() == 2 && words[0] == "Razem:") {
            int64_t total = 0;
            if (!ExactAmount(words[1], 2, total))
                return fail(i, "błędna suma \""_cp + words[1] + "\"");
            if (total != sum)
                return fail(i, "suma " + TotalsAmountText(total) + " różni się od sumy wierszy towarów "_cp +
                                   TotalsAmountText(sum));
            totals = std::move(adder.totals_);
            return true;
        }
    }
    return fail(lines.size(), "brak wiersza \"Razem:\""_cp);
}
