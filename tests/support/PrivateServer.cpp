#include "PrivateServer.h"

#include "db/Firebird.h"
#include "util/DateTime.h"
#include "util/MyUtil.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace testsupport
{

namespace
{

namespace fs = std::filesystem;

int RunScript(const std::string& action, const std::string& dir, const std::string& log)
{
    const std::string command = "bash '" TARLO_FBSERVER_SCRIPT "' " + action + " '" + dir + "' >'" + log + "' 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// True while the process exists and is not a zombie waiting to be reaped.
bool Alive(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const auto end = line.rfind(')');
    return end != std::string::npos && end + 2 < line.size() && line[end + 2] != 'Z';
}

} // namespace

PrivateServer::PrivateServer()
{
    std::string pattern = (fs::temp_directory_path() / "tarlo-fbserver-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder for the private server");
    const std::string log = pattern + ".log";
    dir_ = pattern + "/server";
    std::string output;
    if (RunScript("start", dir_, log) != 0 || !ReadWholeFile(dir_ + "/port", port_)) {
        ReadWholeFile(log, output);
        std::error_code ec;
        fs::remove_all(pattern, ec);
        fs::remove(log, ec);
        throw std::runtime_error("the private Firebird server did not start: " + output);
    }
    std::error_code ec;
    fs::remove(log, ec);
    port_ = Trim(port_);
    std::string pid;
    ReadWholeFile(dir_ + "/pid", pid);
    pid_ = std::atoi(Trim(pid).c_str());
}

PrivateServer::~PrivateServer()
{
    const std::string parent = fs::path(dir_).parent_path().string();
    RunScript("stop", dir_, "/dev/null");
    std::error_code ec;
    fs::remove_all(parent, ec);
}

std::string PrivateServer::DatabasePath(const std::string& name) const
{
    return "127.0.0.1/" + port_ + ":" + dir_ + "/data/" + name + ".fdb";
}

void PrivateServer::CreateDatabase(const std::string& name, std::optional<demodb::Content> content) const
{
    std::error_code ec;
    fs::remove(dir_ + "/data/" + name + ".fdb", ec);
    FbConnection connection;
    fb::ConnectParams params;
    params.database = DatabasePath(name);
    params.user = "SYSDBA";
    params.password = "masterkey";
    connection.Create(params, fb::CreateParams{});
    if (content)
        demodb::BuildTradeDatabase(connection, *content, Today().year, 1000);
}

void PrivateServer::Kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Alive(pid_) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Alive(pid_))
        throw std::runtime_error("the private Firebird server outlived SIGKILL");
}

bool PrivateServer::Running() const
{
    return pid_ > 0 && Alive(pid_);
}

} // namespace testsupport
