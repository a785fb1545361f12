// Tarlo_db: exchange of goods and sales data between the Wolnar goods catalogue and ELZAB cash registers.
#include "ui/Program.h"
#include "util/EndSignals.h"

#include <sys/stat.h>

int main(int argc, char** argv)
{
    // First of all, before Qt or Firebird start a thread: every thread inherits the blocked signals, so that
    // Ctrl+C, SIGTERM and SIGHUP wait for the event loop instead of reaching Firebird's own handlers.
    // Files and folders are created writable by the group, so that every operator in the program's group can
    // append to the work history, write a day folder and take the register lock after another.
    ::umask(0002);
    BlockEndSignals();
    return RunApplication(argc, argv);
}
