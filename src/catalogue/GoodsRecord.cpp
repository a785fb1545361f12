#include "catalogue/GoodsRecord.h"

#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"
#include "util/uPol.h"

int VatNumber(const Decimal& vatRate, const std::string& rateList)
{
    return ListIndex(FormatFloat("0.00", vatRate), rateList, ";");
}

std::string BuildGoodsRecordLine(const GoodsRecordInput& good, const std::string& rateList, const std::string& unitList)
{
    const int vatNumber = VatNumber(good.vatRate, rateList);
    const int unitNumber = ListIndex(good.unit, unitList, ";");
    // Hundredths of the exact amount, extra decimals cut toward zero: 0.999 gives 99.
    const int64_t hundredths = good.price.Rescaled(2).unscaled;
    // A tab would add a field, CR or LF a line.
    std::string name = good.name;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return "$" + IntToStrPad(good.code, 5, "0") + "\t" +
           PadRight(ConvertPolish(name, PlWin1250, PlCp852), RegisterNameLength, " ") + "\t" +
           std::to_string(vatNumber) + "\t1\t3\t" + std::to_string(unitNumber) + "\t" + std::to_string(good.priceLock) +
           "\t0000000000000\t" + std::to_string(hundredths) + "\t0";
}

std::string GoodsRecordRefusal(const GoodsRecordInput& good)
{
    const int64_t hundredths = good.price.Rescaled(2).unscaled;
    if (good.price.unscaled >= 0 && hundredths <= MaxRecordPriceHundredths)
        return {};
    // At least two decimals, written from the exact amount (a rescaled one could be held at its limit).
    std::string price = good.price.ToString();
    if (good.price.scale < 2)
        price += std::string(good.price.scale == 0 ? ".00" : "0");
    for (int decimals = good.price.scale; decimals > 2 && price.back() == '0'; --decimals)
        price.pop_back();
    return "cena " + price + " poza zakresem kasy 0.00 - 9999999.99";
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
    try {
        good.code = code.AsInteger();
    } catch (const FieldError&) {
        throw FieldError("Symbol towaru " + code.AsString() + " nie jest liczbą całkowitą"_cp);
    }
    good.name = values.at(columns.name).AsString();
    good.vatRate = values.at(columns.vatRate).AsDecimal();
    good.unit = values.at(columns.unit).AsString();
    good.priceLock = values.at(columns.priceLock).AsInteger();
    good.price = values.at(columns.price).AsDecimal();
    return good;
}

std::string ExportUnitList(const std::string& elzbJm)
{
    return elzbJm.substr(0, 32);
}
