#include "exchange/RegisterLock.h"

#include "app/ConstUnit.h"
#include "util/Cp1250Literal.h"
#include "util/EndSignals.h"
#include "util/SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{
// The lock of this process: the open lock file and how many operations hold it.
int lockFd = -1;
int depth = 0;
// The tool's signals to end, and the one that ended a wait.
EndSignalFd* endSignals = nullptr;
int interruptedBy = 0;
// How often a waiting process tries the lock again when no signal descriptor tells it to look earlier.
constexpr int RetryMilliseconds = 100;

// Opens the lock file, creating it when missing; a file this user may only read is opened for reading.
int OpenLockFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd;
}

std::string InterruptedText(int signal)
{
    return "Przerwano oczekiwanie na zwolnienie kas ("_cp + EndSignalName(signal) + ")";
}
} // namespace

std::string RegisterLock::LockPath(const std::string& workDir)
{
    return workDir + "kasy.lock";
}

void RegisterLock::SetEndSignals(EndSignalFd* source)
{
    endSignals = source;
}

int RegisterLock::InterruptedBy()
{
    return interruptedBy;
}

RegisterLock::RegisterLock(Mode mode)
{
    if (depth > 0) {
        ++depth;
        held_ = true;
        return;
    }
    if (interruptedBy != 0) {
        problem_ = InterruptedText(interruptedBy);
        return;
    }
    const std::string path = LockPath(WorkDir);
    const int fd = OpenLockFile(path);
    if (fd < 0) {
        problem_ = "Nie można otworzyć pliku blokady kas "_cp + path + ": " + SystemErrorText(errno);
        return;
    }
    int result = ::flock(fd, LOCK_EX | LOCK_NB);
    int error = result == 0 ? 0 : errno;
    if (result != 0 && error == EWOULDBLOCK && mode == Mode::Wait) {
        Komunikat("Kasy są zajęte przez inny program - czekam na ich zwolnienie"_cp, false);
        if (!WaitForLock(fd)) {
            ::close(fd);
            return;
        }
        result = 0;
    }
    if (result != 0) {
        problem_ =
            error == EWOULDBLOCK
                ? "Kasy są zajęte: inny program (Tarlo_db lub tarlo-cli) pracuje teraz z kasą. Spróbuj za chwilę."_cp
                : "Nie można zablokować pliku "_cp + path + ": " + SystemErrorText(error);
        ::close(fd);
        return;
    }
    lockFd = fd;
    depth = 1;
    held_ = true;
    owner_ = true;
}

bool RegisterLock::WaitForLock(int fd)
{
    // The lock is tried again and again rather than waited for in flock(LOCK_EX): the signals to end are blocked
    // (read through a descriptor), so nothing would interrupt that wait.
    for (;;) {
        if (const int signal = endSignals ? endSignals->Received() : 0) {
            interruptedBy = signal;
            problem_ = InterruptedText(signal);
            LogLine("tarlo-cli: " + problem_);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            problem_ = "Nie można zablokować pliku "_cp + LockPath(WorkDir) + ": " + SystemErrorText(errno);
            return false;
        }
        // A signal wakes the wait at once; otherwise the lock is tried again after a short while.
        pollfd watched{endSignals ? endSignals->Fd() : -1, POLLIN, 0};
        ::poll(&watched, 1, RetryMilliseconds);
    }
}

RegisterLock::~RegisterLock()
{
    if (!held_)
        return;
    if (--depth == 0 && owner_) {
        ::flock(lockFd, LOCK_UN);
        ::close(lockFd);
        lockFd = -1;
    }
}
