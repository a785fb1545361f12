// Tarlo_db: exchange of goods and sales data between the Wolnar goods catalogue and ELZAB cash registers.
#include "ui/Program.h"
#include "util/EndSignals.h"

int main(int argc, char** argv)
{
    // First of all, before Qt or Firebird start a thread: every thread inherits the blocked signals, so that
    // Ctrl+C, SIGTERM and SIGHUP wait for the event loop instead of reaching Firebird's own handlers.
    BlockEndSignals();
    return RunApplication(argc, argv);
}
