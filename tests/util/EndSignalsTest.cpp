// The ending signals blocked and read from their descriptor.
#include "util/EndSignals.h"
#include "util/Cp1250Literal.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

class EndSignalsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sigprocmask(SIG_SETMASK, nullptr, &saved_);
        ASSERT_TRUE(BlockEndSignals());
    }
    void TearDown() override { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

    sigset_t saved_;
};

TEST_F(EndSignalsTest, EachSignalIsReadOnceFromTheDescriptor)
{
    EndSignalFd fd;
    ASSERT_GE(fd.Fd(), 0);
    EXPECT_EQ(fd.Take(), 0);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ASSERT_EQ(kill(getpid(), signal), 0);
        EXPECT_EQ(fd.Take(), signal) << EndSignalName(signal);
        EXPECT_EQ(fd.Take(), 0);
    }
}

TEST_F(EndSignalsTest, SignalSentBeforeTheDescriptorExistsWaitsForIt)
{
    ASSERT_EQ(kill(getpid(), SIGHUP), 0);
    EndSignalFd fd;
    EXPECT_EQ(fd.Take(), SIGHUP);
}

TEST_F(EndSignalsTest, StartedProcessesCanBeStoppedAsUsual)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sigset_t mask;
        sigprocmask(SIG_SETMASK, nullptr, &mask);
        _exit(sigismember(&mask, SIGTERM) || sigismember(&mask, SIGINT) || sigismember(&mask, SIGHUP) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child inherited the blocked signals";
}

TEST(EndSignalName, NamesTheThreeAndNumbersOthers)
{
    EXPECT_EQ(EndSignalName(SIGTERM), "SIGTERM");
    EXPECT_EQ(EndSignalName(SIGINT), "SIGINT");
    EXPECT_EQ(EndSignalName(SIGHUP), "SIGHUP");
    EXPECT_EQ(EndSignalName(SIGUSR1), "sygnał 10"_cp);
}

} // namespace
