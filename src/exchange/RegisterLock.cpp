#include "exchange/RegisterLock.h"

#include "app/ConstUnit.h"
#include "util/Cp1250Literal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{
// The lock of this process: the open lock file and how many operations hold it.
int lockFd = -1;
int depth = 0;
} // namespace

std::string RegisterLock::LockPath(const std::string& workDir)
{
    return workDir + "kasy.lock";
}

RegisterLock::RegisterLock(Mode mode)
{
    if (depth > 0) {
        ++depth;
        held_ = true;
        return;
    }
    const std::string path = LockPath(WorkDir);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        problem_ = "Nie można otworzyć pliku blokady kas "_cp + path + ": " + std::strerror(errno);
        return;
    }
    int result = ::flock(fd, LOCK_EX | LOCK_NB);
    if (result != 0 && errno == EWOULDBLOCK && mode == Mode::Wait) {
        Komunikat("Kasy są zajęte przez inny program - czekam na ich zwolnienie"_cp, false);
        do
            result = ::flock(fd, LOCK_EX);
        while (result != 0 && errno == EINTR);
    }
    if (result != 0) {
        problem_ =
            errno == EWOULDBLOCK
                ? "Kasy są zajęte: inny program (Tarlo_db lub tarlo-cli) pracuje teraz z kasą. Spróbuj za chwilę."_cp
                : "Nie można zablokować pliku "_cp + path + ": " + std::strerror(errno);
        ::close(fd);
        return;
    }
    lockFd = fd;
    depth = 1;
    held_ = true;
    owner_ = true;
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
