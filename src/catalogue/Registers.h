#pragma once
// The registers of COM_DEF as the window and tarlo-cli both see them: the list in the program's order, the
// two-digit register code, and the step that makes a register current.
#include <string>
#include <vector>

// One register of COM_DEF: its id and its two-digit code ("01").
struct RegisterEntry {
    int id = 0;
    std::string code;
};

// The query of the register list, in the order of the program's register list.
extern const char* const RegisterListQuery;

// The two-digit code of a register as COM_DEF's KOD_KASA or the operator writes it ("1" and "01" give "01").
std::string TwoDigitRegisterCode(const std::string& code);

// The registers of COM_DEF in the program's order; raises DbError when COM_DEF cannot be read.
std::vector<RegisterEntry> ReadRegisterList();

// The register of `registers` with the code `code` ("1" or "01", blanks around it allowed); null when none has it.
const RegisterEntry* FindRegisterByCode(const std::vector<RegisterEntry>& registers, const std::string& code);

// Makes register `registerId` current: its settings go to the globals (Tdmu::LoadRegisterSettings; a failure
// raises and leaves the previous register current), then CurrentRegisterId and the work paths follow.
void MakeRegisterCurrent(int registerId);
