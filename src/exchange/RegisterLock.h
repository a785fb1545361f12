#pragma once
// One register conversation at a time, across programs: the program and tarlo-cli share "In/", "Out/" and
// "KONFIG.txt", so every register operation holds an exclusive lock (flock) on the file "kasy.lock" in the program's
// folder while it runs. Within one process the lock is taken once; operations nested in another share it.
// The lock file may belong to another user and be only readable by this one (the window's user and the timer's
// user share it): flock works on a descriptor opened for reading.
#include <string>

class EndSignalFd; // util/EndSignals.h

class RegisterLock
{
public:
    enum class Mode {
        Refuse, // the window: another program's operation makes this one give up at once
        Wait    // the unattended tool: it waits for the other program to finish
    };
    explicit RegisterLock(Mode mode);
    ~RegisterLock();
    RegisterLock(const RegisterLock&) = delete;
    RegisterLock& operator=(const RegisterLock&) = delete;

    // False when the registers are busy (Mode::Refuse), the wait was ended by a signal, or the lock file cannot be
    // used; Problem() says why.
    bool Held() const { return held_; }
    const std::string& Problem() const { return problem_; }

    // The lock file in the work folder `workDir` (WorkDir), shared by every program working there.
    static std::string LockPath(const std::string& workDir);

    // Where the signals to end arrive (the tool's; null: none are watched). A wait (Mode::Wait) ends as soon as one
    // has arrived, and so does every later attempt: the lock is not held, and InterruptedBy() names the signal.
    static void SetEndSignals(EndSignalFd* source);
    // The signal that ended a wait for the lock in this process; 0 when none did.
    static int InterruptedBy();

private:
    // Waits until the lock on `fd` is taken (true) or a signal to end arrives (false, problem_ set).
    bool WaitForLock(int fd);

    bool held_ = false;
    bool owner_ = false;
    std::string problem_;
};
