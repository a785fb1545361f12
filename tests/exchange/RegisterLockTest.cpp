// One register conversation at a time: the lock file shared by the program and tarlo-cli.
#include "SimulatorHelpers.h"

#include "exchange/RegisterLock.h"
#include "util/Cp1250Literal.h"

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace
{

// The lock as the other program holds it: its own open file, locked exclusively.
class OtherProgram
{
public:
    OtherProgram() : fd_(::open(RegisterLock::LockPath(WorkDir).c_str(), O_RDWR | O_CREAT, 0666))
    {
        EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
    }
    ~OtherProgram() { Release(); }
    void Release()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

TEST_F(ExchangeTest, BusyRegistersRefuseTheWindowsOperation)
{
    CreateErrorReport();
    OtherProgram other;

    module.ElzabSprz();

    EXPECT_EQ(ExchangeResult, WinIPRegistersBusy);
    ASSERT_EQ(status.Errors().size(), 1u);
    EXPECT_EQ(status.Errors()[0].text.rfind("[OTSpMax] Error 254 : Kasy są zajęte"_cp, 0), 0u)
        << status.Errors()[0].text;
    EXPECT_EQ(ErrorReportLines().size(), 1u);
    EXPECT_FALSE(FileExists(app + "/Out/OTSpMax.out"));
    EXPECT_EQ(LoadGoods(module, {GoodsRecord(1, "Chleb", 1, 250)}), WinIPRegistersBusy);

    other.Release();
    EXPECT_EQ(LoadGoods(module, {GoodsRecord(1, "Chleb", 1, 250)}), 0);
}

TEST_F(ExchangeTest, TheToolWaitsForTheRegisters)
{
    module.lockMode = RegisterLock::Mode::Wait;
    OtherProgram other;
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.Release();
    });

    const auto start = std::chrono::steady_clock::now();
    const uint8_t result = LoadGoods(module, {GoodsRecord(1, "Chleb", 1, 250)});
    release.join();

    EXPECT_EQ(result, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_EQ(status.shown.front().text, "Kasy są zajęte przez inny program - czekam na ich zwolnienie"_cp);
}

} // namespace
