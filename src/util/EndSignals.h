#pragma once
// The signals that ask a program to end: SIGINT (Ctrl+C), SIGTERM (kill, a shutdown) and SIGHUP (the terminal
// went away). They are not caught by a handler but blocked and read from a descriptor (signalfd), so that:
//   - they reach the program's own loop (the window's event loop, a tool's poll) and end it the normal way, with
//     the work history's closing line and a proper detach from the database;
//   - the Firebird client library, which installs handlers of its own when it attaches, never sees them: its
//     handlers would cut the connection under the running program.
//
// Use: BlockEndSignals() first thing in main(), before any thread exists (threads inherit the mask); then an
// EndSignalFd, whose descriptor becomes readable when one of the signals is pending.
#include <string>

// Blocks the three signals in the calling thread. Processes started later (fork) get them unblocked again.
// False when the mask could not be set.
bool BlockEndSignals();

// A signalfd for the three signals; owns the descriptor (non-blocking, closed on exec).
class EndSignalFd
{
public:
    EndSignalFd();
    ~EndSignalFd();
    EndSignalFd(const EndSignalFd&) = delete;
    EndSignalFd& operator=(const EndSignalFd&) = delete;

    // -1 when the descriptor could not be made (the signals then stay blocked and unanswered).
    int Fd() const { return fd_; }
    // The number of a pending signal, taken off the queue; 0 when none is pending.
    int Take();
    // The first signal received: taken off the queue and remembered, so that every later call (from whoever asks:
    // a command between two registers, the register lock while it waits) returns it again. 0 while none came.
    int Received();

private:
    int fd_ = -1;
    int received_ = 0;
};

// "SIGINT", "SIGTERM", "SIGHUP", or "sygnał N" for any other number.
std::string EndSignalName(int signal);
