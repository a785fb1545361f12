#pragma once
// One register conversation at a time, across programs: the program and tarlo-cli share "In/", "Out/" and
// "KONFIG.txt", so every register operation holds an exclusive lock (flock) on the file "kasy.lock" in the program's
// folder while it runs. Within one process the lock is taken once; operations nested in another share it.
#include <string>

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

    // False when the registers are busy (Mode::Refuse) or the lock file cannot be used; Problem() says why.
    bool Held() const { return held_; }
    const std::string& Problem() const { return problem_; }

    // The lock file in the work folder `workDir` (WorkDir), shared by every program working there.
    static std::string LockPath(const std::string& workDir);

private:
    bool held_ = false;
    bool owner_ = false;
    std::string problem_;
};
