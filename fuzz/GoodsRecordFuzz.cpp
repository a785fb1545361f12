// The goods record line of the export from any name, price, VAT rate, unit, code and lock, and the two numbering
// lists. Besides the sanitizers' checks: a good that a register can hold gives a record that the stand-in
// register accepts, with the same code, name, numbers and price.
#include "FuzzSupport.h"
#include "catalogue/GoodsRecord.h"
#include "util/uPol.h"
#include "winip/SimRegister.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace
{

bool RegisterCanHoldName(const std::string& name)
{
    return !name.empty() && name.size() <= static_cast<std::size_t>(RegisterNameLength) &&
           name.find_first_not_of(' ') != std::string::npos &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    GoodsRecordInput good;
    good.code = in.ConsumeIntegral<int64_t>();
    good.priceLock = in.ConsumeIntegral<int64_t>();
    good.vatRate = Decimal{in.ConsumeIntegral<int64_t>(), in.ConsumeIntegralInRange(0, 18)};
    good.price = Decimal{in.ConsumeIntegral<int64_t>(), in.ConsumeIntegralInRange(0, 18)};
    good.unit = in.ConsumeRandomLengthString(40);
    const std::string rates = in.ConsumeRandomLengthString(200);
    const std::string units = in.ConsumeRandomLengthString(200);
    good.name = in.ConsumeRemainingBytesAsString();

    const std::string line = BuildGoodsRecordLine(good, rates, units);

    // Only a good well inside every limit is compared; the limits themselves are the unit tests' business.
    if (good.code < 1 || good.code > 99999 || (good.priceLock != 0 && good.priceLock != 1) ||
        !RegisterCanHoldName(good.name) || good.price->scale > 2 || good.price->unscaled < 0 ||
        good.price->unscaled > 9999999)
        return 0;
    winip::Good held;
    const winip::Result result = winip::ParseGoodsRecord(line, held);
    if (result == winip::kBadVat || result == winip::kBadUnit)
        return 0; // the rate or the unit is not on its list
    if (result != winip::kOk)
        fuzz::Fail("the register refuses the record \"" + line + "\" with code " + std::to_string(result));
    int64_t hundredths = good.price->unscaled;
    for (int s = good.price->scale; s < 2; ++s)
        hundredths *= 10;
    const std::string name = ConvertPolish(good.name, PlWin1250, PlCp852);
    if (held.code != good.code || held.lock != good.priceLock || held.price != hundredths ||
        held.name != name + std::string(RegisterNameLength - name.size(), ' '))
        fuzz::Fail("the register holds other values than the record was built from: \"" + line + "\"");
    return 0;
}
