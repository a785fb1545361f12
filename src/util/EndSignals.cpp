#include "util/EndSignals.h"
#include "util/Cp1250Literal.h"

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace
{

sigset_t EndSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// A program started from ours (an editor for the error report) must be stoppable as usual: the blocked mask
// would otherwise pass on to it through fork and exec.
void UnblockInChild()
{
    const sigset_t set = EndSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

} // namespace

bool BlockEndSignals()
{
    static bool forkHandler = pthread_atfork(nullptr, nullptr, UnblockInChild) == 0;
    (void)forkHandler;
    const sigset_t set = EndSet();
    return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

EndSignalFd::EndSignalFd()
{
    const sigset_t set = EndSet();
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

EndSignalFd::~EndSignalFd()
{
    if (fd_ >= 0)
        close(fd_);
}

int EndSignalFd::Take()
{
    if (fd_ < 0)
        return 0;
    signalfd_siginfo info{};
    const ssize_t n = read(fd_, &info, sizeof info);
    return n == static_cast<ssize_t>(sizeof info) ? static_cast<int>(info.ssi_signo) : 0;
}

int EndSignalFd::Received()
{
    if (received_ == 0)
        received_ = Take();
    return received_;
}

std::string EndSignalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "sygnał "_cp + std::to_string(signal);
    }
}
