#include "catalogue/GoodsRecord.h"

#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/uPol.h"

#include <algorithm>
#include <charconv>

namespace
{

constexpr int CodeModulus = 100000;

// The name as a record carries it: control characters (a tab would add a field, CR or LF a line) made blanks.
std::string RecordName(const std::string& name)
{
    std::string text = name;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return text;
}

bool Blank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

// At least two decimals, written from the exact amount (a rescaled one could be held at its limit).
std::string AmountText(const Decimal& amount)
{
    std::string text = amount.ToString();
    if (amount.scale < 2)
        text += std::string(amount.scale == 0 ? ".00" : "0");
    for (int decimals = amount.scale; decimals > 2 && text.back() == '0'; --decimals)
        text.pop_back();
    return text;
}

} // namespace

int RegisterCodeOf(int64_t symbol)
{
    const int64_t rest = symbol % CodeModulus;
    return static_cast<int>(rest < 0 ? -rest : rest);
}

std::string RegisterCodeText(int code)
{
    return "$" + IntToStrPad(code, 5, "0");
}

std::string RecordLayout(const RegisterGood& good)
{
    std::string line;
    AppendRecordLayout(line, good);
    return line;
}

void AppendRecordLayout(std::string& line, const RegisterGood& good)
{
    auto number = [&line](int64_t value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        line.append(digits, end);
    };
    line.reserve(line.size() + 64);
    if (good.code >= 0 && good.code < CodeModulus) {
        line += '$';
        for (int divisor = CodeModulus / 10; divisor > 0; divisor /= 10)
            line += static_cast<char>('0' + good.code / divisor % 10);
    } else {
        line += RegisterCodeText(good.code);
    }
    line += '\t';
    // The name padded with blanks or cut to the register's length.
    line.append(good.name, 0, RegisterNameLength);
    line.append(static_cast<std::size_t>(RegisterNameLength) -
                    std::min(good.name.size(), static_cast<std::size_t>(RegisterNameLength)),
                ' ');
    line += '\t';
    number(good.vat);
    line += "\t1\t3\t";
    number(good.unit);
    line += '\t';
    number(good.lock);
    line += "\t0000000000000\t";
    number(good.price);
    line += "\t0";
}

int VatNumber(const Decimal& vatRate, const std::string& rateList)
{
    return ListIndex(FormatFloat("0.00", vatRate), rateList, ";");
}

std::string GoodsRecordRefusal(const GoodsRecordInput& good, const std::string& rateList)
{
    RecordNumbering numbering(rateList, {});
    return GoodsRecordRefusal(good, numbering);
}

RecordNumbering::RecordNumbering(std::string rateList, std::string unitList)
    : rates_(std::move(rateList)), units_(std::move(unitList))
{
}

int RecordNumbering::Vat(const Decimal& vatRate)
{
    for (const auto& [rate, number] : vat_)
        if (rate.unscaled == vatRate.unscaled && rate.scale == vatRate.scale)
            return number;
    const int number = VatNumber(vatRate, rates_);
    vat_.emplace_back(vatRate, number);
    return number;
}

int RecordNumbering::Unit(const std::string& unit)
{
    for (const auto& [known, number] : unit_)
        if (known == unit)
            return number;
    // An empty unit is not found, whatever empty places the list has.
    const int number = Blank(unit) ? 0 : ListIndex(unit, units_, ";");
    unit_.emplace_back(unit, number);
    return number;
}

std::string GoodsRecordRefusal(const GoodsRecordInput& good, RecordNumbering& numbering)
{
    if (!good.wholeSymbol)
        return "symbol nie jest liczbą całkowitą"_cp;
    if (good.code < 0)
        return "symbol ujemny"; // a register code is five digits
    if (RegisterCodeOf(good.code) == 0)
        return "kod w kasie $00000"; // the register has no good 0
    if (Blank(RecordName(good.name).substr(0, RegisterNameLength)))
        return "pusta nazwa";
    if (!good.price)
        return "brak ceny";
    const int64_t hundredths = good.price->Rescaled(2).unscaled;
    if (good.price->unscaled < 0 || hundredths > MaxRecordPriceHundredths)
        return "cena " + AmountText(*good.price) + " poza zakresem kasy 0.00 - 9999999.99";
    if (!good.vatRate)
        return "brak stawki VAT";
    if (numbering.Vat(*good.vatRate) == 0)
        return "stawki VAT " + FormatFloat("0.00", *good.vatRate) + " nie ma na liście VAT"_cp;
    if (!good.unit)
        return "brak jednostki miary"_cp;
    return {};
}

std::string BuildGoodsRecordLine(const GoodsRecordInput& good, const std::string& rateList, const std::string& unitList)
{
    RegisterGood record;
    record.code = RegisterCodeOf(good.code);
    record.name = ConvertPolish(RecordName(good.name), PlWin1250, PlCp852);
    record.vat = good.vatRate ? VatNumber(*good.vatRate, rateList) : 0;
    // An empty unit is not found, whatever empty places the list has.
    const std::string unit = good.unit.value_or(std::string());
    record.unit = Blank(unit) ? 0 : ListIndex(unit, unitList, ";");
    record.lock = static_cast<int>(good.priceLock);
    // Hundredths of the exact amount, extra decimals cut toward zero: 0.999 gives 99.
    record.price = good.price ? good.price->Rescaled(2).unscaled : 0;
    // The code is the whole symbol's last five digits; a record always says "$" and five digits.
    return RecordLayout(record);
}

RegisterGood HeldRecord(const GoodsRecordInput& good, RecordNumbering& numbering)
{
    // The name goes out in code page 852 and is read back in Windows-1250: both conversions, as one byte map.
    static const auto roundTrip = [] {
        std::string bytes(256, '\0');
        for (int i = 0; i < 256; ++i)
            bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
        return ConvertPolish(ConvertPolish(bytes, PlWin1250, PlCp852), PlCp852, PlWin1250);
    }();
    RegisterGood record;
    record.code = RegisterCodeOf(good.code);
    const std::size_t length = std::min(good.name.size(), static_cast<std::size_t>(RegisterNameLength));
    record.name.resize(length);
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(good.name[i]);
        record.name[i] = c < 0x20 ? ' ' : roundTrip[c];
    }
    record.name.erase(record.name.find_last_not_of(' ') + 1);
    record.vat = good.vatRate ? numbering.Vat(*good.vatRate) : 0;
    record.unit = numbering.Unit(good.unit.value_or(std::string()));
    record.lock = static_cast<int>(good.priceLock);
    record.price = good.price ? good.price->Rescaled(2).unscaled : 0;
    return record;
}

GoodsRecordColumns GoodsRecordColumns::Of(const FieldList& fields, const std::string& priceField)
{
    auto column = [&](const std::string& name) {
        const int index = fields.IndexOf(name);
        if (index < 0)
            throw FieldError("Brak pola " + name + " w kartotece towarów"_cp);
        return index;
    };
    GoodsRecordColumns columns;
    columns.asort = column("asort");
    columns.name = column("nazwa");
    columns.vatRate = column("stawka_vat");
    columns.unit = column("jm");
    columns.priceLock = column("blok");
    columns.price = column(priceField);
    return columns;
}

GoodsRecordInput GoodsRecordFromRow(const DataSet& goods, int row, const std::string& priceField)
{
    return GoodsRecordFromRow(goods, row, GoodsRecordColumns::Of(goods.Fields, priceField));
}

GoodsRecordInput GoodsRecordFromRow(const DataSet& goods, int row, const GoodsRecordColumns& columns)
{
    const Row& values = goods.Rows.at(row);
    GoodsRecordInput good;
    const Value& code = values.at(columns.asort);
    good.asort = code.AsString();
    try {
        good.code = code.AsInteger();
        good.wholeSymbol = !code.IsNull();
    } catch (const FieldError&) {
        good.wholeSymbol = false;
    }
    good.name = values.at(columns.name).AsString();
    if (const Value& rate = values.at(columns.vatRate); !rate.IsNull())
        good.vatRate = rate.AsDecimal();
    if (const Value& unit = values.at(columns.unit); !unit.IsNull())
        good.unit = unit.AsString();
    good.priceLock = values.at(columns.priceLock).AsInteger();
    if (const Value& price = values.at(columns.price); !price.IsNull())
        good.price = price.AsDecimal();
    return good;
}

std::string ExportUnitList(const std::string& elzbJm)
{
    return elzbJm.substr(0, 32);
}
