#pragma once
// Driving the simulated register behind the stand-in library: goods loaded through the library itself, sales and
// faults through the tool winip-sim.
#include "ExchangeFixture.h"

#include "exchange/WinIP.h"

#include <cstdlib>
#include <string>

// A goods record line of the export: code, name padded to 19, VAT 1, "1", "3", unit, lock, 13 zeros, price.
inline std::string GoodsRecord(int code, const std::string& name, int unit, int priceHundredths)
{
    return "$" + IntToStrPad(code, 5, "0") + "\t" + PadRight(name, 19, " ") + "\t1\t1\t3\t" + std::to_string(unit) +
           "\t0\t0000000000000\t" + std::to_string(priceHundredths) + "\t0";
}

// Runs winip-sim with the arguments (WINIP_SYM_DIR is inherited); its exit code.
inline int Sim(const std::string& arguments)
{
    const int status = std::system((BinDir() + "/winip-sim " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Sends goods to the register with __ZTowar, as the export does.
inline uint8_t LoadGoods(TfmE& module, const std::vector<std::string>& records)
{
    module.TwKonfig();
    module.TwInFile("ZTowar");
    module.RequestLines.insert(module.RequestLines.end(), records.begin(), records.end());
    module.WriteRequestFile();
    module.CallLibrary(WinIPFunction::ZTowar);
    return ExchangeResult;
}
