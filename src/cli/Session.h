#pragma once
// The program's environment for a command that works with the database or the registers, set up as the program
// sets it up: the program's folder as the current directory, the configuration beside the executable ("Firma.ini",
// else "Tarlo_db.INI"), the same work history and error report, and the one connection with the configured user.
#include "catalogue/Registers.h"
#include "cli/Console.h"

#include <string>
#include <vector>

namespace cli
{

class Session
{
public:
    Session();
    ~Session(); // closes the connection and ends the modules
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Enters the program's folder and reads the configuration. False (the reason printed) when it is unusable.
    bool OpenEnvironment();
    // OpenEnvironment, then connects to the database. False (the reason printed) when the database cannot be used.
    bool Open();

    ConsoleStatusLine status;

private:
    ConsoleScreen screen_;
};

// Registers of COM_DEF (catalogue/Registers.h): id and code ("01"), in the order of the program's register list.
// False, with the database's reason printed, when COM_DEF cannot be read.
bool ListRegisters(std::vector<RegisterEntry>& registers);
// The register of `registers` with the code given on the command line ("1" or "01"); null, with "Nie ma kasy ... w
// COM_DEF" printed, when there is none.
const RegisterEntry* FindRegister(const std::vector<RegisterEntry>& registers, const QString& code);

} // namespace cli
