// catalogue_bench (its output is UTF-8 for the terminal): times the catalogue operations and the goods export on a
// large generated catalogue and prints each figure as a ratio to the database doing the same work alone (isql-fb, in
// the same run), or as the ratio the goal names.
//
//   catalogue_bench LARGE.fdb [SMALL.fdb]
//
// LARGE.fdb and SMALL.fdb come from "mkdemodb --large" (100,000 and, say, 10,000 goods); both are changed. The
// embedded engine opens a database file for one process at a time, so the program detaches before every isql-fb
// run and attaches again afterwards; both sides start each measured step on a fresh attachment. isql-fb's own
// start, attachment and detachment are measured with an empty statement and taken off its times.
#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "catalogue/GoodsRecord.h"
#include "db/dbDDM.h"
#include "exchange/ExportView.h"
#include "exchange/FmElzab.h"
#include "exchange/WinIP.h"
#include "util/MyUtil.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

constexpr int Runs = 7;       // of each database step
constexpr int ExportRuns = 5; // of each export

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string OwnDir()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().string();
}

class Bench
{
public:
    Bench(const std::string& database, const std::string& work) : database_(database), work_(work)
    {
        DbPath = database;
        DbUser = "SYSDBA";
        DbPassword = "masterkey";
        EmbeddedEngine = true;
        if (!dm)
            dm = std::make_unique<Tdm>();
        Attach();
        dm->TestStru(false);
        dm->OnStatement = [this](const std::string& sql, bool) { lastStatement_ = sql; };
    }
    ~Bench() { dm->CloseConnection(); }

    void Attach()
    {
        if (!dm->dbConnect())
            throw std::runtime_error("cannot open " + database_);
    }
    void Reattach()
    {
        dm->CloseConnection();
        Attach();
    }
    void Run(const std::string& sql)
    {
        if (!dm->RunSQL(sql))
            throw std::runtime_error("command failed: " + sql);
    }
    // Reads the whole table once, so that the engine has cleaned up the record versions a change left behind.
    void Settle() { dm->ReadInteger("n", "select count(*) as n from blok_cen where blok>=0", 0); }

    // Wall time of isql-fb running the statements on the database, detached from it meanwhile.
    double Isql(const std::string& statements)
    {
        const std::string script = work_ + "/bench.sql";
        SaveText(statements + "\n", script);
        dm->CloseConnection();
        const std::string command = "isql-fb -q -user SYSDBA -password masterkey -ch WIN1250 " + database_ + " -i " +
                                    script + " >/dev/null 2>" + work_ + "/isql.err";
        int status = 0;
        const double seconds = Seconds([&] { status = std::system(command.c_str()); });
        std::string errors;
        ReadWholeFile(work_ + "/isql.err", errors);
        if (status != 0 || !errors.empty())
            throw std::runtime_error("isql-fb failed: " + errors);
        Attach();
        return seconds;
    }
    double IsqlOverhead()
    {
        if (overhead_ < 0) {
            std::vector<double> times;
            for (int i = 0; i < Runs; ++i)
                times.push_back(Isql("select 1 from rdb$database;"));
            overhead_ = Median(times);
        }
        return overhead_;
    }
    double IsqlWork(const std::string& statements) { return std::max(Isql(statements) - IsqlOverhead(), 1e-4); }

    const std::string& LastStatement() const { return lastStatement_; }

private:
    std::string database_;
    std::string work_;
    std::string lastStatement_;
    double overhead_ = -1;
};

// One figure: ours / reference, checked against the goal; a goal of 0 marks a figure shown for information.
void Report(const std::string& what, double ours, double reference, const std::string& unit, double goal)
{
    const double ratio = ours / reference;
    std::printf("%-62s %9.1f ms / %9.1f ms %-9s = %6.3f", what.c_str(), ours * 1000, reference * 1000, unit.c_str(),
                ratio);
    if (goal > 0)
        std::printf("  (cel <= %g) %s\n", goal, ratio <= goal ? "OK" : "PRZEKROCZONY");
    else
        std::printf("  (informacyjnie)\n");
}

// ---- catalogue

void SyncPriceLocks(Bench& bench)
{
    std::vector<double> ours, isql;
    std::string statement;
    for (int i = 0; i < Runs; ++i) {
        bench.Run("delete from blok_cen");
        bench.Settle();
        bench.Reattach();
        ours.push_back(Seconds([] { dmu->SyncPriceLocks(); }));
        statement = bench.LastStatement();
    }
    for (int i = 0; i < Runs; ++i) {
        bench.Run("delete from blok_cen");
        bench.Settle();
        isql.push_back(bench.IsqlWork(statement + ";\ncommit;"));
    }
    Report("SyncPriceLocks, pusta BLOK_CEN / insert isql-fb", Median(ours), Median(isql), "", 2);

    ours.clear();
    isql.clear();
    for (int i = 0; i < Runs; ++i) {
        bench.Reattach();
        ours.push_back(Seconds([] { dmu->SyncPriceLocks(); }));
        isql.push_back(bench.IsqlWork("select asort from " + GoodsTable + " where nieaktywny<>1;"));
    }
    Report("SyncPriceLocks, nic do dodania / odczyt symboli isql-fb", Median(ours), Median(isql), "", 1);
}

void OpenGoods(Bench& bench)
{
    std::vector<double> ours, isql;
    for (int i = 0; i < Runs; ++i) {
        bench.Reattach();
        ours.push_back(Seconds([] { dmu->OpenGoods(); }));
        isql.push_back(bench.IsqlWork(Tdmu::GoodsQuery() + ";"));
    }
    Report("OpenGoods (" + std::to_string(dmu->SDSTowary.RecordCount()) + " wierszy) / to samo isql-fb", Median(ours),
           Median(isql), "", 1.5);
}

void ToggleAgainstReRead(Bench& bench)
{
    bench.Reattach();
    dmu->OpenGoods();
    std::vector<double> toggles, rereads;
    for (int i = 0; i < 20; ++i) {
        const int row = (i * 4999) % dmu->SDSTowary.RecordCount();
        toggles.push_back(Seconds([row, i] { dmu->ToggleFlag(row, i % 2 ? "blok" : "wybor"); }));
    }
    for (int i = 0; i < Runs; ++i)
        rereads.push_back(Seconds([] { dmu->ReReadGoods(); }));
    Report("ToggleFlag jednej pozycji / ponowny odczyt widoku", Median(toggles), Median(rereads), "", 0.05);
}

void LockAllInView(Bench& bench)
{
    std::vector<double> ours, isql;
    std::string statement;
    for (int i = 0; i < Runs; ++i) {
        bench.Run("update blok_cen set blok=0");
        bench.Settle();
        dmu->OpenGoods();
        bench.Reattach();
        ours.push_back(Seconds([] { dmu->LockGoodsInView(LockCommand::LockAll); }));
        statement = bench.LastStatement();
    }
    for (int i = 0; i < Runs; ++i) {
        bench.Run("update blok_cen set blok=0");
        bench.Settle();
        isql.push_back(bench.IsqlWork(statement + ";\ncommit;"));
    }
    Report("blokuj wszystkie (cały widok) / ten sam update isql-fb", Median(ours), Median(isql), "", 2);
}

// ---- the export through the stand-in library

class ExportPage : public IExportPage
{
public:
    explicit ExportPage(bool full) : full_(full) {}
    bool FullData() const override { return full_; }
    bool StopOnFirstError() const override { return false; }
    std::string EurekaFileName() const override { return {}; }
    void ShowProgress(const std::string&) override {}
    void UntickGroups() override {}

private:
    bool full_;
};

struct ExportTime {
    double perGood = 0;        // the whole export, per good
    double libraryPerGood = 0; // the same library calls with their request files alone, per good
    double OursPerGood() const { return perGood - libraryPerGood; }
};

// One export of `count` goods with the whole catalogue in view, and the same calls made without the export
// around them: the stand-in's own work (it reads and rewrites the register's goods file at every call, so its
// share grows with the goods it holds).
ExportTime ExportPerGood(Bench& bench, const std::string& simulator, int count, bool full)
{
    std::error_code ec;
    fs::remove_all(simulator, ec); // an empty register
    bench.Run("update blok_cen set wybor=0 where wybor<>0");
    DataSet chosen;
    dm->OpenSds(chosen, "select first " + std::to_string(count) + " b.blok,b.wybor,k.* from " + GoodsTable +
                            " k join BLOK_CEN b using(asort) where nieaktywny<>1 order by k.asort");
    std::vector<std::string> commands, lines;
    const std::string rates = dm->ReadParS("VAT", "", "GLOBAL", "TARLA");
    const std::string units = ExportUnitList(dm->ReadParS("ELZB_JM", "", "GLOBAL", "TARLA"));
    for (int row = 0; row < chosen.RecordCount(); ++row) {
        commands.push_back("update blok_cen set wybor=1 where asort=" + SqlQuote(chosen.At(row, "asort").AsString()));
        lines.push_back(BuildGoodsRecordLine(GoodsRecordFromRow(chosen, row, PriceField), rates, units));
    }
    if (!dm->RunSQLBatch(commands))
        throw std::runtime_error("cannot select the goods to export");
    bench.Settle();
    dmu->OpenGoods();

    ExportPage page(full);
    TfmE module;
    module.exportPage = &page;
    ExportTime time;
    time.perGood = Seconds([&] { module.aExpoTowarExecute(); }) / count;
    if (dm->ReadInteger("n", "select count(*) as n from blok_cen where wybor=1", -1) != 0)
        throw std::runtime_error("the export left goods selected");

    fs::remove_all(simulator, ec);
    const std::string operation = full ? "ZTowar" : "ZCTowar";
    const WinIPFunction function = full ? WinIPFunction::ZTowar : WinIPFunction::ZCTowar;
    module.TwKonfig();
    time.libraryPerGood = Seconds([&] {
                              for (const std::string& line : lines) {
                                  module.TwInFile(operation);
                                  module.RequestLines.push_back(line);
                                  module.WriteRequestFile();
                                  module.CallLibrary(function);
                              }
                          }) /
                          count;
    return time;
}

ExportTime MedianExport(Bench& bench, const std::string& simulator, int count, bool full)
{
    std::vector<ExportTime> runs;
    for (int i = 0; i < ExportRuns; ++i)
        runs.push_back(ExportPerGood(bench, simulator, count, full));
    ExportTime median;
    median.perGood = Median([&] {
        std::vector<double> v;
        for (const ExportTime& run : runs)
            v.push_back(run.perGood);
        return v;
    }());
    median.libraryPerGood = Median([&] {
        std::vector<double> v;
        for (const ExportTime& run : runs)
            v.push_back(run.libraryPerGood);
        return v;
    }());
    return median;
}

void Export(Bench& bench, const std::string& simulator, const std::string& label, bool full)
{
    const ExportTime few = MedianExport(bench, simulator, 1000, full);
    const ExportTime many = MedianExport(bench, simulator, 5000, full);
    for (const auto& [count, time] : {std::pair{1000, few}, std::pair{5000, many}})
        std::printf("  eksport %s, %d towarów: %.2f ms na towar, z tego biblioteka %.2f ms\n", label.c_str(), count,
                    time.perGood * 1000, time.libraryPerGood * 1000);
    Report("eksport " + label + ": na towar bez biblioteki, 5000 / 1000", many.OursPerGood(), few.OursPerGood(),
           "na towar", 1.2);
    // With full data the stand-in rewrites its goods file at every call, so its own share grows with the goods the
    // register already holds; with partial data its work per call is constant.
    Report("eksport " + label + ": na towar razem, 5000 / 1000", many.perGood, few.perGood, "na towar", full ? 0 : 1.2);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "Użycie: catalogue_bench LARGE.fdb [SMALL.fdb]\n";
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string large = fs::absolute(argv[1]).string();
    const std::string small = argc == 3 ? fs::absolute(argv[2]).string() : std::string();

    // A program directory of its own with the stand-in library, and a current directory with koment.txt.
    std::string pattern = (fs::temp_directory_path() / "tarlo-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::string work = pattern;
    const std::string simulator = work + "/sym";
    fs::create_directories(work + "/program");
    fs::create_symlink(OwnDir() + "/libWinIP.so", work + "/program/libWinIP.so");
    std::error_code ec;
    fs::copy_file(OwnDir() + "/koment.txt", work + "/koment.txt", ec);
    fs::current_path(work);
    setenv("WINIP_SYM_DIR", simulator.c_str(), 1);
    InitEnvironment(work + "/program/Tarlo_db");
    RegisterCode = "01";
    RegisterSystemNo = "1";
    PortNumber = "1";
    BaudRate = "9600";
    RegisterTimeout = "5";
    PriceField = "CENA_1";
    PriceColumn = 2;
    UpdateWorkPaths();
    dmu = std::make_unique<Tdmu>();

    int status = 0;
    try {
        ExportTime large1000;
        {
            Bench bench(large, work);
            std::printf("Katalog %s: %s\n", GoodsTable.c_str(), large.c_str());
            SyncPriceLocks(bench);
            OpenGoods(bench);
            ToggleAgainstReRead(bench);
            LockAllInView(bench);
            Export(bench, simulator, "ZTowar", true);
            Export(bench, simulator, "ZCTowar", false);
            large1000 = MedianExport(bench, simulator, 1000, false);
        }
        if (!small.empty()) {
            dmu = std::make_unique<Tdmu>();
            Bench bench(small, work);
            dmu->SyncPriceLocks();
            // With partial data the stand-in does the same work per call whatever the catalogue holds.
            const ExportTime small1000 = MedianExport(bench, simulator, 1000, false);
            Report("eksport ZCTowar 1000: na towar, katalog 100000 / 10000", large1000.perGood, small1000.perGood,
                   "na towar", 1.2);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 1;
    }
    dmu.reset();
    fs::current_path("/", ec);
    fs::remove_all(work, ec);
    return status;
}
