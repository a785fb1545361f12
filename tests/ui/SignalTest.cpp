// The running program ends on SIGTERM, SIGINT and SIGHUP as it ends by its exit: the work history gets its
// closing line, the process ends within seconds and the database file is free for another process at once.
//
// Each case runs the program body (main's signal blocking, then RunApplication) in a child process, on the
// offscreen platform, with a demo database reached through the embedded engine. A timer installed when the
// application object is made confirms the log-in as an operator would and tells the test (through a pipe)
// when the main window is up, or when the log-in window shows, for a signal during the log-in. The test process
// itself never loads Qt or Firebird, so that each child starts clean.
#include "DemoDb.h"
#include "TestSupport.h"
#include "db/Firebird.h"
#include "ui/Program.h"
#include "ui/UMain.h"
#include "ui/flog.h"
#include "util/EndSignals.h"
#include "util/MyUtil.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace
{

enum class When { AtLogin, AfterLogin };

// Set in the child before the program body runs.
int readyFd = -1;
When when = When::AfterLogin;

void Ready()
{
    if (readyFd >= 0) {
        (void)!write(readyFd, "r", 1);
        close(readyFd);
        readyFd = -1;
    }
}

// Runs in the child's QApplication constructor: the operator at the keyboard.
void Operator()
{
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer] {
        static bool confirmed = false;
        if (fmLog != nullptr && fmLog->isVisible()) {
            if (when == When::AtLogin) {
                timer->stop();
                Ready();
            } else if (!confirmed) {
                confirmed = true;
                fmLog->btnPotwClick(); // "Wejście"
            }
        } else if (fmLog == nullptr && Frm != nullptr && Frm->isVisible()) {
            timer->stop();
            Ready();
        }
    });
    timer->start(50);
}

[[noreturn]] void RunProgram(const std::string& exeDir, int fd, When moment)
{
    int code = 100;
    try {
        BlockEndSignals(); // as main() does, before any thread
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        readyFd = fd;
        when = moment;
        {
            FbConnection connection;
            demodb::CreateDatabaseFile(connection, exeDir + "/SKLEP.FDB", false);
            demodb::BuildTradeDatabase(connection, demodb::Content::Schema, Today().year, 0);
        }
        SaveText("[Tarlo]\r\nPth=" + exeDir + "/SKLEP.FDB\r\nUser=SYSDBA\r\nPass=masterkey\r\nSilnik=wbudowany\r\n",
                 exeDir + "/Tarlo_db.INI");
        qAddPreRoutine(Operator);
        char name[] = "Tarlo_db";
        char* argv[] = {name, nullptr};
        code = RunApplication(1, argv, exeDir + "/Tarlo_db");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child: %s\n", e.what());
    }
    _exit(code);
}

// Whether another process can open the database at once (the embedded engine opens it exclusively).
bool OpenableByAnotherProcess(const std::string& path, std::string& error)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        try {
            FbConnection connection;
            demodb::OpenDatabaseFile(connection, path);
            _exit(0);
        } catch (const std::exception& e) {
            (void)!write(pipeFds[1], e.what(), std::strlen(e.what()));
            _exit(1);
        }
    }
    close(pipeFds[1]);
    char buffer[1000];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        error.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string WorkHistory(const std::string& exeDir)
{
    std::string text;
    for (const auto& entry : fs::directory_iterator(exeDir + "/Dane"))
        if (entry.path().filename().string().rfind("H_", 0) == 0)
            ReadWholeFile(entry.path().string(), text);
    return text;
}

struct SignalCase {
    const char* name;
    int signal;
    When when;
    const char* closingLine;
};

void PrintTo(const SignalCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProgramSignals : public ::testing::TestWithParam<SignalCase>
{
};

TEST_P(ProgramSignals, EndLikeTheExit)
{
    const SignalCase& c = GetParam();
    testsupport::TempDir exeDir;
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        RunProgram(exeDir.Path(), pipeFds[1], c.when);
    }
    close(pipeFds[1]);

    // Up to two minutes for the start and the log-in: the schema check runs for SYSDBA.
    pollfd ready{pipeFds[0], POLLIN, 0};
    char byte = 0;
    const bool up = poll(&ready, 1, 120000) == 1 && read(pipeFds[0], &byte, 1) == 1;
    close(pipeFds[0]);
    if (!up) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        FAIL() << "the program did not reach the moment of the signal\n" << WorkHistory(exeDir.Path());
    }

    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(child, c.signal), 0);
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() - sent < 10s)
        std::this_thread::sleep_for(20ms);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        FAIL() << "still running 10 s after " << EndSignalName(c.signal) << "\n" << WorkHistory(exeDir.Path());
    }
    std::printf("ended %lld ms after %s\n", static_cast<long long>(took.count()), EndSignalName(c.signal).c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "status " << status << (WIFSIGNALED(status) ? " (killed by the signal)" : "");

    const std::string history = WorkHistory(exeDir.Path());
    EXPECT_NE(history.find("Koniec pracy - " + EndSignalName(c.signal)), std::string::npos) << history;
    const size_t closing = history.rfind(c.closingLine);
    ASSERT_NE(closing, std::string::npos) << history;
    EXPECT_EQ(history.find('\n', closing), history.size() - 1) << "the closing line is not the last\n" << history;
    EXPECT_EQ(history.find("!!!!!!!!!!!"), std::string::npos) << "an error was reported\n" << history;

    std::string error;
    EXPECT_TRUE(OpenableByAnotherProcess(exeDir.Path() + "/SKLEP.FDB", error)) << error;
}

const SignalCase Cases[] = {
    {"TermAfterLogin", SIGTERM, When::AfterLogin, "***********  Koniec pracy - Close"},
    {"IntAfterLogin", SIGINT, When::AfterLogin, "***********  Koniec pracy - Close"},
    {"HupAfterLogin", SIGHUP, When::AfterLogin, "***********  Koniec pracy - Close"},
    {"TermAtLogin", SIGTERM, When::AtLogin, "***********  Koniec pracy - rezygnacja z wejscia"},
};

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignals, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
