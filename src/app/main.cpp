// Tarlo_db: exchange of goods and sales data between the Wolnar goods catalogue and ELZAB cash registers.
#include "ui/Program.h"
#include "util/EndSignals.h"

#include <csignal>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    // First of all, before Qt or Firebird start a thread: every thread inherits the blocked signals, so that
    // Ctrl+C, SIGTERM and SIGHUP wait for the event loop instead of reaching Firebird's own handlers.
    // Files and folders are created writable by the group, so that every operator in the program's group can
    // append to the work history, write a day folder and take the register lock after another.
    ::umask(0002);
    BlockEndSignals();
    // A file-size limit makes a write fail with its own error, which the program reports, instead of killing it.
    std::signal(SIGXFSZ, SIG_IGN);
    return RunApplication(argc, argv);
}
