#include "exchange/OperationStatus.h"

#include "app/ConstUnit.h"
#include "exchange/FmElzab.h"
#include "exchange/SalesReport.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/Plural.h"

#include <cmath>

namespace
{
std::string Count(std::size_t n, const std::string& one, const std::string& few, const std::string& many)
{
    return std::to_string(n) + " " + PolishPlural(static_cast<int64_t>(n), one, few, many);
}

// "12 pozycji, wartość 123.45 zł, zapisany w pliku <path>"; the file's name alone when it cannot be read.
std::string FiguresAndFile(const std::string& path)
{
    StoredSalesFigures figures;
    if (!StoredSalesFiguresOf(path, figures))
        return "zapisany w pliku "_cp + path;
    return Count(figures.lines, "pozycja", "pozycje", "pozycji") + ", wartość "_cp +
           FormatFloat("0.00", figures.total) + " zł, zapisany w pliku "_cp + path;
}
} // namespace

bool StoredSalesFiguresOf(const std::string& path, StoredSalesFigures& figures)
{
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        return false;
    const std::vector<ReadoutLine> goods = ParseReadout(lines);
    double total = 0;
    for (const ReadoutLine& line : goods)
        total += line.value;
    figures.lines = goods.size();
    figures.total = std::round(total * 100) / 100;
    return true;
}

std::string ReadoutStoredText(const std::string& registerCode, const std::string& path)
{
    return "Odczyt kasy " + registerCode + ": " + FiguresAndFile(path);
}

bool ResetReportFiguresOf(const std::string& path, StoredSalesFigures& figures)
{
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        return false;
    // The register's sales report: one line per good ("$" and its code first, the value last), then "Razem:" and
    // the total, which counts when it is there.
    const auto number = [](const std::string& text) {
        std::string digits;
        for (const char c : text)
            if (c != ' ')
                digits += c;
        return TextToFloat(digits, 0);
    };
    figures = {};
    double sum = 0;
    bool totalGiven = false;
    for (const std::string& line : lines) {
        const std::string trimmed = Trim(line);
        if (trimmed.rfind("Razem:", 0) == 0) {
            figures.total = number(trimmed.substr(6));
            totalGiven = true;
        } else if (!trimmed.empty() && trimmed.front() == '$') {
            ++figures.lines;
            const auto last = trimmed.find_last_of(" \t");
            sum += number(last == std::string::npos ? std::string() : trimmed.substr(last + 1));
        }
    }
    if (!totalGiven)
        figures.total = sum;
    figures.total = std::round(figures.total * 100) / 100;
    return true;
}

std::string ResetStoredText(const std::string& registerCode, const std::string& path)
{
    const std::string reset = "Liczniki sprzedaży kasy "_cp + registerCode + " wyzerowane"_cp;
    if (path.empty())
        return reset;
    StoredSalesFigures figures;
    if (!ResetReportFiguresOf(path, figures))
        return reset + "; raport przed zerowaniem zapisany w pliku "_cp + path;
    return reset + "; raport przed zerowaniem: "_cp + Count(figures.lines, "pozycja", "pozycje", "pozycji") +
           ", wartość "_cp + FormatFloat("0.00", figures.total) + " zł, zapisany w pliku "_cp + path;
}

std::size_t GoodsInList(const std::vector<std::string>& lines)
{
    std::size_t goods = 0;
    for (const std::string& line : lines)
        if (!line.empty() && line.front() == '$')
            ++goods;
    return goods;
}

std::string GoodsListReadText(const std::string& registerCode, std::size_t goods)
{
    return "Wczytano wykaz towarów kasy "_cp + registerCode + ": " + Count(goods, "towar", "towary", "towarów"_cp);
}

std::string GoodsListFailedText(const std::string& registerCode, const std::string& reason)
{
    return "Nie wczytano wykazu towarów kasy "_cp + registerCode + ": " + reason;
}

std::string DeletedGoodsText(const std::string& registerCode, const std::vector<std::string>& codes, std::size_t picked)
{
    std::string text = "Skasowano w kasie " + registerCode + " " + Count(codes.size(), "towar", "towary", "towarów"_cp);
    if (codes.size() != picked)
        text += " z " + std::to_string(picked) + " zaznaczonych";
    constexpr std::size_t Named = 10;
    for (std::size_t i = 0; i < codes.size() && i < Named; ++i)
        text += (i ? ", " : ": ") + codes[i];
    if (codes.size() > Named)
        text += ", ...";
    return text;
}
