#pragma once
// What the tests of the working pages share: the program started as its body starts it, on a throw-away demo
// database, logged in without anyone at the keyboard, with the exchange module on the stand-in communication
// library (from TARLO_BIN_DIR) and a simulator folder of its own (WINIP_SYM_DIR).
#include "UiTestSupport.h"

#include <memory>
#include <string>
#include <vector>

class PagesProgram
{
public:
    PagesProgram();
    // Ends the program: windows and modules are destroyed.
    ~PagesProgram();

    // Starts the program and shows the main window; an empty text on success, otherwise what went wrong. The
    // database is a throw-away demo file opened by the embedded engine, or `serverDatabase` (a connection path
    // through a Firebird server, for tests that run tarlo-cli beside the window).
    std::string Start(const std::string& serverDatabase = {});

    // The simulated register's folder for register number `number` ("kasa01").
    std::string RegisterFolder(int number) const;

    std::unique_ptr<UiSession> session;
    testsupport::TempDir simulator;
};

// The value of one flag ("wybor" or "blok") of a good in BLOK_CEN; -1 when it has no row.
int64_t Flag(const std::string& asort, const std::string& field);
// Goods with wybor = 1 in BLOK_CEN.
int64_t SelectedGoods();
// The lines of a text file, without line ends; empty when it cannot be read.
std::vector<std::string> FileLines(const std::string& path);
