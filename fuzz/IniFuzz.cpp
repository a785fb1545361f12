// The INI files (the program's own Tarlo_db.INI and the trade system's company file), read by the Windows rules, and
// the keys the program asks for. Besides the sanitizers' checks: no value spans lines.
#include "FuzzSupport.h"
#include "util/IniFile.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const IniFile ini = IniFile::FromText(std::string_view(reinterpret_cast<const char*>(data), size));
    static const char* const keys[][2] = {
        {"FK", "SerwerBazy"}, {"FK", "SciezkaDoBazy"}, {"FK", "BazaSQL"},   {"FK", "HLDS"},   {"Tarlo", "Pth"},
        {"Tarlo", "User"},    {"Tarlo", "Pass"},       {"Tarlo", "Silnik"}, {"tarlo", "pth"}, {"", ""},
    };
    for (const auto& [section, key] : keys) {
        const std::string value = ini.Read(section, key, "brak");
        if (value.find('\n') != std::string::npos || value.find('\r') != std::string::npos)
            fuzz::Fail(std::string("the value of ") + section + "/" + key + " spans lines");
    }
    return 0;
}
