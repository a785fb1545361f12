#include "catalogue/Registers.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "util/MyUtil.h"

#include <algorithm>

const char* const RegisterListQuery = "select id,kod_kasa from com_def order by id";

std::string TwoDigitRegisterCode(const std::string& code)
{
    return PadLeft(Trim(code), 2, "0");
}

std::vector<RegisterEntry> ReadRegisterList()
{
    DataSet rows;
    dm->OpenSds(rows, RegisterListQuery);
    std::vector<RegisterEntry> registers;
    for (int row = 0; row < rows.RecordCount(); ++row)
        registers.push_back({static_cast<int>(rows.At(row, "id").AsInteger()),
                             TwoDigitRegisterCode(rows.At(row, "kod_kasa").AsString())});
    return registers;
}

const RegisterEntry* FindRegisterByCode(const std::vector<RegisterEntry>& registers, const std::string& code)
{
    const std::string wanted = TwoDigitRegisterCode(code);
    const auto it = std::find_if(registers.begin(), registers.end(),
                                 [&wanted](const RegisterEntry& entry) { return entry.code == wanted; });
    return it == registers.end() ? nullptr : &*it;
}

void MakeRegisterCurrent(int registerId)
{
    dmu->LoadRegisterSettings(registerId);
    CurrentRegisterId = registerId;
    UpdateWorkPaths();
}
