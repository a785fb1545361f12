#include "catalogue/GoodsRecord.h"

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
    return "$" + IntToStrPad(good.code, 5, "0") + "\t" +
           PadRight(ConvertPolish(good.name, PlWin1250, PlCp852), RegisterNameLength, " ") + "\t" +
           std::to_string(vatNumber) + "\t1\t3\t" + std::to_string(unitNumber) + "\t" + std::to_string(good.priceLock) +
           "\t0000000000000\t" + std::to_string(hundredths) + "\t0";
}

GoodsRecordInput GoodsRecordFromRow(const DataSet& goods, int row, const std::string& priceField)
{
    auto field = [&](const std::string& name) -> const Value& {
        const int column = goods.Fields.IndexOf(name);
        if (column < 0)
            throw FieldError("Brak pola " + name + " w kartotece towar\xF3w"); // towarów
        return goods.Rows.at(row).at(column);
    };

    GoodsRecordInput good;
    const Value& code = field("asort");
    try {
        good.code = code.AsInteger();
    } catch (const FieldError&) {
        // Symbol towaru ... nie jest liczbą całkowitą
        throw FieldError("Symbol towaru " + code.AsString() + " nie jest liczb\xB9 ca\xB3kowit\xB9");
    }
    good.name = field("nazwa").AsString();
    good.vatRate = field("stawka_vat").AsDecimal();
    good.unit = field("jm").AsString();
    good.priceLock = field("blok").AsInteger();
    good.price = field(priceField).AsDecimal();
    return good;
}

std::string ExportUnitList(const std::string& elzbJm)
{
    return elzbJm.substr(0, 32);
}
