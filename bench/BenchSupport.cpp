#include "BenchSupport.h"

#include "app/ConstUnit.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "exchange/WinIP.h"
#include "util/MyUtil.h"
#include "util/uPol.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace bench
{

namespace
{

std::vector<Row> Rows;

std::string OwnDir()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().string();
}

} // namespace

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    Check(!values.empty(), "no times to take the median of");
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MedianOf(int runs, const std::function<double()>& run)
{
    std::vector<double> values;
    for (int i = 0; i < runs; ++i)
        values.push_back(run());
    return Median(values);
}

void Check(bool condition, const std::string& what)
{
    if (!condition)
        throw std::runtime_error(what);
}

double Positive(double seconds, const std::string& what)
{
    Check(seconds > 0, what + ": measured " + std::to_string(seconds * 1000) + " ms, which cannot be right");
    return seconds;
}

bool Report(const std::string& what, double ours, double reference, const std::string& unit, double target)
{
    Positive(ours, what);
    Positive(reference, what);
    Rows.push_back({what, ours, reference, unit, target});
    const double ratio = ours / reference;
    std::printf("%-62s %9.3f ms / %9.3f ms %-9s = %6.3f  (cel <= %g) %s\n", what.c_str(), ours * 1000, reference * 1000,
                unit.c_str(), ratio, target, ratio <= target ? "OK" : "PRZEKROCZONY");
    return ratio <= target;
}

bool PrintTable()
{
    bool met = true;
    std::printf("\n| Pomiar | Czas | Odniesienie | Stosunek | Cel | Wynik |\n|---|---:|---:|---:|---:|---|\n");
    for (const Row& row : Rows) {
        const double ratio = row.ours / row.reference;
        met = met && ratio <= row.target;
        const std::string unit = row.unit.empty() ? "" : " " + row.unit;
        std::printf("| %s | %.3f ms%s | %.3f ms%s | %.3f | <= %g | %s |\n", row.what.c_str(), row.ours * 1000,
                    unit.c_str(), row.reference * 1000, unit.c_str(), ratio, row.target,
                    ratio <= row.target ? "OK" : "PRZEKROCZONY");
    }
    return met;
}

Surroundings::Surroundings(const std::string& name)
{
    std::string pattern = (fs::temp_directory_path() / (name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a work folder in " + fs::temp_directory_path().string());
    work_ = pattern;
    simulator_ = work_ + "/sym";
    fs::create_directories(work_ + "/program");
    fs::create_symlink(OwnDir() + "/libWinIP.so", work_ + "/program/libWinIP.so");
    fs::copy_file(OwnDir() + "/koment.txt", work_ + "/koment.txt");
    fs::current_path(work_);
    setenv("WINIP_SYM_DIR", simulator_.c_str(), 1);
    InitEnvironment(work_ + "/program/Tarlo_db");
    RegisterCode = "01";
    RegisterSystemNo = "1";
    PortNumber = "1";
    BaudRate = "9600";
    RegisterTimeout = "5";
    PriceField = "CENA_1";
    PriceColumn = 2;
    CurrentRegisterId = 1;
    UpdateWorkPaths();
}

Surroundings::~Surroundings()
{
    std::error_code ec;
    fs::current_path("/", ec);
    fs::remove_all(work_, ec);
}

std::size_t Surroundings::RegisterGoods() const
{
    std::vector<std::string> lines;
    ReadLines(simulator_ + "/kasa01/towary.txt", lines);
    return lines.size();
}

void UseDatabase(const std::string& path)
{
    DbPath = path;
    DbUser = "SYSDBA";
    DbPassword = "masterkey";
    EmbeddedEngine = true;
}

void Settle()
{
    Check(dm->ReadInteger("n", "select count(*) as n from blok_cen where blok>=0 or wybor>=0", -1) >= 0,
          "cannot read BLOK_CEN");
}

std::size_t FillRegister(TfmE& module, const std::vector<SendableGood>& goods, std::size_t limit,
                         const std::function<void(std::size_t, RegisterGood&)>& changed)
{
    std::vector<std::string> records;
    for (const SendableGood& good : goods) {
        if (!good.active || !good.sendable || records.size() == limit)
            continue;
        RegisterGood held = good.record;
        held.name = ConvertPolish(held.name, PlWin1250, PlCp852);
        if (changed)
            changed(records.size(), held);
        records.push_back(StoredLine(held));
    }
    module.TwKonfig();
    module.TwInFile("ZTowar");
    module.RequestLines.insert(module.RequestLines.end(), records.begin(), records.end());
    module.WriteRequestFile();
    module.CallLibrary(WinIPFunction::ZTowar);
    Check(ExchangeResult == 0, "the register refused " + std::to_string(records.size()) + " goods in one call (code " +
                                   std::to_string(ExchangeResult) + ")");
    return records.size();
}

} // namespace bench
