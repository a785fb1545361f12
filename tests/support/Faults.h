#pragma once
// Faults for tests of what the program does when the disk or the register lets it down. They work as root too
// (the CI runs as root, where permission bits do not stop a write), and never touch device files.
//
// Link the library tarlo_faults (tests/support/CMakeLists.txt; tarlo_testsupport links it too). It gives:
//
// - PutFileWhereFolderMustBe(path): whatever is at `path` is removed and a small regular file is put there, so
//   nothing can be created at or below it ("w miejscu folderu jest plik"), even by root.
// - FileSizeLimit: while it lives, no file of this process may grow beyond `bytes` (RLIMIT_FSIZE): a write past the
//   limit is cut short and the next one fails with EFBIG ("File too large"), as on a full disk. SIGXFSZ is ignored
//   meanwhile, so the process is not killed. The limit covers every file the process writes, the work history, the
//   error report and an embedded database included: keep it above their sizes and do the database work that writes
//   outside its scope. RunWithFileSizeLimit runs a function in a child process under the limit instead and gives its
//   exit code, for code that needs no database.
// - Register faults through the stand-in's control tool winip-sim (the folder is WINIP_SYM_DIR, inherited):
//   PlanRegisterFault(register, function, code, always) makes the named library function ("ZTowar", "OTSpMax", ...,
//   or "*") return `code` once or at every call; SetRegisterAbsent(register, on) makes the register time out (code
//   20); ClearRegisterFaults(register) takes both back. Each returns the tool's exit code (0 done).
#include <functional>
#include <string>
#include <sys/resource.h>

namespace testsupport
{

void PutFileWhereFolderMustBe(const std::string& folder); // a trailing "/" is allowed

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

// The child's exit code, or 128 + the signal that ended it.
int RunWithFileSizeLimit(rlim_t bytes, const std::function<int()>& action);

// The folder of winip-sim and libWinIP.so: TARLO_BIN_DIR, which CTest sets for every test.
std::string SimulatorBinDir();
int RunWinipSim(const std::string& arguments);
int PlanRegisterFault(int registerNo, const std::string& function, int code, bool always = false);
int SetRegisterAbsent(int registerNo, bool absent);
int ClearRegisterFaults(int registerNo);

} // namespace testsupport
