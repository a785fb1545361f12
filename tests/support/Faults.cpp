// Disk and register faults for tests; see Faults.h.
#include "Faults.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport
{

void PutFileWhereFolderMustBe(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    std::ofstream(path, std::ios::binary) << "nie folder\n";
    if (!std::filesystem::is_regular_file(path))
        throw std::runtime_error("cannot put a file at " + path);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("setrlimit(RLIMIT_FSIZE) failed");
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
}

int RunWithFileSizeLimit(rlim_t bytes, const std::function<int()>& action)
{
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        int code = 99;
        try {
            FileSizeLimit limit(bytes);
            code = action();
        } catch (...) {
        }
        _exit(code);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string SimulatorBinDir()
{
    const char* dir = std::getenv("TARLO_BIN_DIR");
    return dir ? dir : "";
}

int RunWinipSim(const std::string& arguments)
{
    const int status = std::system((SimulatorBinDir() + "/winip-sim " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int PlanRegisterFault(int registerNo, const std::string& function, int code, bool always)
{
    const std::string quoted = function == "*" ? "'*'" : function;
    return RunWinipSim("fail " + std::to_string(registerNo) + " " + quoted + " " + std::to_string(code) +
                       (always ? " zawsze" : " raz"));
}

int SetRegisterAbsent(int registerNo, bool absent)
{
    return RunWinipSim("absent " + std::to_string(registerNo) + (absent ? " on" : " off"));
}

int ClearRegisterFaults(int registerNo)
{
    return RunWinipSim("clear " + std::to_string(registerNo));
}

} // namespace testsupport
