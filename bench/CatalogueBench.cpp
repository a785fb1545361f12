// catalogue_bench (its output is UTF-8 for the terminal): times the catalogue operations and the goods export on a
// large generated catalogue and prints each figure as a ratio, either to the database doing the same work alone
// (isql-fb, in the same run) or to the same operation at another size, with its target, as a Markdown table.
//
//   catalogue_bench LARGE.fdb SMALL.fdb
//
// LARGE.fdb and SMALL.fdb come from "mkdemodb --large" (100,000 and 10,000 goods); both are changed. The embedded
// engine opens a database file for one process at a time, so the program detaches before every isql-fb run and
// attaches again afterwards; both sides start each measured step on a fresh attachment. isql-fb's own start,
// attachment and detachment are measured with an empty statement and taken off its times.
//
// Every timed operation's outcome is checked (rows written, goods sent, the register's answer to every call), and
// an outcome that is wrong, or a figure that cannot be right (a time of zero or less), ends the run with status 1.
// A ratio above its target is marked in the table and makes the status 3.
//
// The export's own cost is measured inside the run: the whole export's time minus the time spent in the library's
// functions, summed call by call (WinIPLibrary::onCallMade), per good. The exports stay within the register's
// 4,095 goods and send only symbols a register can hold (1..99999); the price-only export runs on a register that
// already holds the goods.
#include "BenchSupport.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "catalogue/SentStore.h"
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
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;
using namespace bench;

namespace
{

constexpr int Runs = 5;       // of each database step
constexpr int ExportRuns = 3; // of each export

class Bench
{
public:
    Bench(const std::string& database, const std::string& work) : database_(database), work_(work)
    {
        if (!dm)
            dm = std::make_unique<Tdm>();
        Activate();
        dm->TestStru(false);
        dmu->SyncPriceLocks();
    }
    ~Bench() { dm->CloseConnection(); }

    // Makes this database the program's one: attached afresh, with a data module of its own.
    void Activate()
    {
        dm->CloseConnection();
        UseDatabase(database_);
        Attach();
        dm->OnStatement = [this](const std::string& sql, bool) { lastStatement_ = sql; };
        dmu = std::make_unique<Tdmu>();
    }

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

    // Wall time of isql-fb running the statements on the database, detached from it meanwhile.
    double Isql(const std::string& statements)
    {
        const std::string script = work_ + "/bench.sql";
        SaveText(statements + "\n", script);
        std::string written;
        if (!ReadWholeFile(script, written) || written != statements + "\n")
            throw std::runtime_error("cannot write " + script);
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
    double IsqlWork(const std::string& statements)
    {
        const double work = Isql(statements) - IsqlOverhead();
        if (work <= 0)
            throw std::runtime_error("isql-fb took less time for \"" + statements + "\" than for an empty statement");
        return work;
    }

    const std::string& LastStatement() const { return lastStatement_; }

private:
    std::string database_;
    std::string work_;
    std::string lastStatement_;
    double overhead_ = -1;
};

int64_t Count(const std::string& fromWhere)
{
    const int64_t n = dm->ReadInteger("n", "select count(*) as n " + fromWhere, -1);
    Check(n >= 0, "cannot count " + fromWhere);
    return n;
}

int64_t ActiveGoods()
{
    return Count("from " + GoodsTable + " where nieaktywny<>1");
}

// ---- catalogue

void SyncPriceLocks(Bench& bench)
{
    std::vector<double> ours, isql;
    std::string statement;
    const int64_t active = ActiveGoods();
    for (int i = 0; i < Runs; ++i) {
        bench.Run("delete from blok_cen");
        Settle();
        bench.Reattach();
        ours.push_back(Seconds([] { dmu->SyncPriceLocks(); }));
        statement = bench.LastStatement();
        Check(Count("from blok_cen") == active, "SyncPriceLocks did not add a row for every active good");
    }
    for (int i = 0; i < Runs; ++i) {
        bench.Run("delete from blok_cen");
        Settle();
        isql.push_back(bench.IsqlWork(statement + ";\ncommit;"));
        Check(Count("from blok_cen") == active, "isql-fb did not add a row for every active good");
    }
    Report("SyncPriceLocks, pusta BLOK_CEN / insert isql-fb", Median(ours), Median(isql), "", 2);

    ours.clear();
    isql.clear();
    for (int i = 0; i < Runs; ++i) {
        bench.Reattach();
        ours.push_back(Seconds([] { dmu->SyncPriceLocks(); }));
        Check(Count("from blok_cen") == active, "SyncPriceLocks changed the number of rows with nothing to add");
        isql.push_back(bench.IsqlWork("select asort from " + GoodsTable + " where nieaktywny<>1;"));
    }
    Report("SyncPriceLocks, nic do dodania / odczyt symboli isql-fb", Median(ours), Median(isql), "", 1);
}

void OpenGoods(Bench& bench)
{
    std::vector<double> ours, isql;
    const int64_t active = ActiveGoods();
    for (int i = 0; i < Runs; ++i) {
        bench.Reattach();
        ours.push_back(Seconds([] { dmu->OpenGoods(); }));
        Check(dmu->SDSTowary.RecordCount() == active, "OpenGoods did not show every active good");
        isql.push_back(bench.IsqlWork(Tdmu::GoodsQuery() + ";"));
    }
    Report("OpenGoods (" + std::to_string(active) + " wierszy) / to samo isql-fb", Median(ours), Median(isql), "", 1.5);
}

void ToggleAgainstReRead(Bench& bench)
{
    bench.Reattach();
    dmu->OpenGoods();
    const int rows = dmu->SDSTowary.RecordCount();
    std::vector<double> toggles, rereads;
    for (int i = 0; i < 20; ++i) {
        const int row = (i * 4999) % rows;
        const char* field = i % 2 ? "blok" : "wybor";
        const int64_t before = dmu->SDSTowary.At(row, field).AsInteger();
        bool done = false;
        toggles.push_back(Seconds([&] { done = dmu->ToggleFlag(row, field); }));
        Check(done && dmu->SDSTowary.At(row, field).AsInteger() == 1 - before, "ToggleFlag did not flip the flag");
    }
    for (int i = 0; i < Runs; ++i) {
        rereads.push_back(Seconds([] { dmu->ReReadGoods(); }));
        Check(dmu->SDSTowary.RecordCount() == rows, "ReReadGoods lost rows");
    }
    Report("ToggleFlag jednej pozycji / ponowny odczyt widoku", Median(toggles), Median(rereads), "", 0.05);
}

void LockAllInView(Bench& bench)
{
    std::vector<double> ours, isql;
    std::string statement;
    const int64_t active = ActiveGoods();
    for (int i = 0; i < Runs; ++i) {
        bench.Run("update blok_cen set blok=0");
        Settle();
        dmu->OpenGoods();
        bench.Reattach();
        bool done = false;
        ours.push_back(Seconds([&] { done = dmu->LockGoodsInView(LockCommand::LockAll); }));
        statement = bench.LastStatement();
        Check(done && Count("from blok_cen where blok=1") >= active, "LockGoodsInView did not lock every good");
    }
    for (int i = 0; i < Runs; ++i) {
        bench.Run("update blok_cen set blok=0");
        Settle();
        isql.push_back(bench.IsqlWork(statement + ";\ncommit;"));
        Check(Count("from blok_cen where blok=1") >= active, "isql-fb did not lock every good");
    }
    bench.Run("update blok_cen set blok=0");
    Report("blokuj wszystkie (cały widok) / ten sam update isql-fb", Median(ours), Median(isql), "", 2);
}

// ---- the export through the stand-in library

class ExportPage : public IExportPage
{
public:
    explicit ExportPage(bool full) : full_(full) {}
    bool FullData() const override { return full_; }
    bool StopOnFirstError() const override { return true; }
    std::string EurekaFileName() const override { return {}; }
    void ShowProgress(std::size_t, std::size_t, const std::string&) override {}
    void UntickGroups() override {}

private:
    bool full_;
};

struct ExportTime {
    double perGood = 0;    // the whole export, per good
    double ownPerGood = 0; // outside the library's functions, per good
};

// One export of the first `count` goods (symbols 1..99999, which a register can hold) with the whole catalogue in
// view. The full export starts on an empty register; the price-only one on a register that holds the same goods,
// programmed in one library call before.
ExportTime TimedExport(Bench& bench, const Surroundings& program, int count, bool full)
{
    Check(count <= 4095, "more goods than a register holds");
    std::error_code ec;
    fs::remove_all(program.Simulator(), ec);
    // The symbols are read first and selected one by one: an IN list with a FIRST subquery makes the engine
    // evaluate the subquery again for every row of BLOK_CEN.
    DataSet chosen;
    dm->OpenSds(chosen, "select first " + std::to_string(count) + " asort from " + GoodsTable +
                            " where nieaktywny<>1 and char_length(asort)<=5 order by asort");
    Check(chosen.RecordCount() == count, "the catalogue has fewer than " + std::to_string(count) + " such goods");
    std::vector<std::string> commands, chosenSymbols;
    for (int row = 0; row < chosen.RecordCount(); ++row) {
        chosenSymbols.push_back(chosen.At(row, "asort").AsString());
        commands.push_back("update blok_cen set wybor=1 where asort=" + SqlQuote(chosenSymbols.back()));
    }
    auto select = [&] {
        bench.Run("update blok_cen set wybor=0 where wybor<>0");
        Check(dm->RunSQLBatch(commands), "cannot select the goods to export");
        Check(Count("from blok_cen where wybor=1") == count, "cannot select " + std::to_string(count) + " goods");
        Settle();
        dmu->OpenGoods();
    };
    TfmE module;
    auto run = [&](bool fullData, double& library, int& calls) {
        ExportPage page(fullData);
        module.exportPage = &page;
        std::string refused;
        module.Library().onCallMade = [&](WinIPFunction, uint8_t result, std::chrono::steady_clock::duration time) {
            library += std::chrono::duration<double>(time).count();
            ++calls;
            if (result != 0 && refused.empty())
                refused = "the register refused call " + std::to_string(calls) + " with code " + std::to_string(result);
        };
        GoodsExportResult result;
        const double seconds = Seconds([&] { result = module.aExpoTowarExecute(); });
        Check(refused.empty(), refused);
        // A call the export refuses itself (a price-only call the memory of sent goods does not allow, a good that
        // cannot be sent) is never made: every good must be reported sent and none refused.
        Check(result.Complete() && result.sent.size() == static_cast<std::size_t>(count),
              "the export sent " + std::to_string(result.sent.size()) + " of " + std::to_string(count) +
                  " goods: " + (result.notSent.empty() ? result.summary : result.notSent.front().reason));
        Check(ExchangeResult == 0, "the export ended with code " + std::to_string(ExchangeResult));
        Check(calls == count, std::to_string(calls) + " library calls for " + std::to_string(count) + " goods");
        Check(Count("from blok_cen where wybor=1") == 0, "the export left goods selected");
        Check(program.RegisterGoods() == static_cast<std::size_t>(count),
              "the register does not hold the goods exported");
        return seconds;
    };
    select();
    if (!full) {
        const std::unordered_set<std::string> symbols(chosenSymbols.begin(), chosenSymbols.end());
        std::vector<SendableGood> held;
        for (SendableGood& good : CatalogueGoods(dmu->SDSTowary, CurrentRecordLists()))
            if (symbols.count(good.asort))
                held.push_back(std::move(good));
        Check(FillRegister(module, held, count) == static_cast<std::size_t>(count),
              "cannot program the register with the goods");
        Check(program.RegisterGoods() == static_cast<std::size_t>(count), "the register does not hold the goods");
    }
    double library = 0;
    int calls = 0;
    const double total = run(full, library, calls);
    ExportTime time;
    time.perGood = Positive(total, "export") / count;
    time.ownPerGood = Positive(total - library, "export outside the library") / count;
    return time;
}

// Runs one part of the measurement and prints how long it took, checks and preparation included.
void Part(const std::function<void()>& work)
{
    std::printf("  (część pomiaru: %.0f s)\n", Seconds(work));
}

const char* Label(bool full)
{
    return full ? "ZTowar (pełne dane)" : "ZCTowar (same ceny)";
}

// The application's own cost per good with 1,000 and 4,000 goods from the large catalogue, and with 1,000 goods
// from the small one. The exports go in rounds, one of each a round, so that a slower period of the machine falls
// on every figure alike rather than on one side of a ratio; each figure is the median of its rounds.
void Exports(Bench& large, Bench& small, const Surroundings& program, bool full)
{
    struct Export {
        Bench* bench;
        int count;
        const char* what;
        std::vector<double> perGood, own;
    };
    std::vector<Export> exports = {{&large, 1000, "100000 towarów w katalogu, 1000 wysłanych", {}, {}},
                                   {&large, 4000, "100000 towarów w katalogu, 4000 wysłanych", {}, {}},
                                   {&small, 1000, "10000 towarów w katalogu, 1000 wysłanych", {}, {}}};
    for (int round = 0; round < ExportRuns; ++round)
        for (Export& e : exports) {
            e.bench->Activate();
            const ExportTime time = TimedExport(*e.bench, program, e.count, full);
            e.perGood.push_back(time.perGood);
            e.own.push_back(time.ownPerGood);
        }
    for (const Export& e : exports)
        std::printf("  eksport %s, %s: %.3f ms na towar, z tego poza biblioteką %.3f ms\n", Label(full), e.what,
                    Median(e.perGood) * 1000, Median(e.own) * 1000);
    Report(std::string("eksport ") + Label(full) + ": koszt własny na towar, 4000 / 1000 towarów",
           Median(exports[1].own), Median(exports[0].own), "na towar", 1.2);
    Report(std::string("eksport ") + Label(full) + ", 1000 towarów: koszt własny na towar, katalog 100000 / 10000",
           Median(exports[0].own), Median(exports[2].own), "na towar", 1.2);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "Użycie: catalogue_bench LARGE.fdb SMALL.fdb\n";
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string largePath = fs::absolute(argv[1]).string();
    const std::string smallPath = fs::absolute(argv[2]).string();

    int status = 0;
    try {
        Surroundings program("tarlo-bench");
        dmu = std::make_unique<Tdmu>();
        Bench small(smallPath, program.Work());
        Bench large(largePath, program.Work());
        std::printf("Katalog %s: %s\n", GoodsTable.c_str(), largePath.c_str());
        Part([&] { SyncPriceLocks(large); });
        Part([&] { OpenGoods(large); });
        Part([&] { ToggleAgainstReRead(large); });
        Part([&] { LockAllInView(large); });
        std::printf("Eksport: katalog %s i %s na przemian\n", largePath.c_str(), smallPath.c_str());
        Part([&] { Exports(large, small, program, true); });
        Part([&] { Exports(large, small, program, false); });
        if (!PrintTable()) {
            std::fprintf(stderr, "Nie wszystkie cele osiągnięte.\n");
            status = 3;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "BŁĄD: %s\n", error.what());
        status = 1;
    }
    dmu.reset();
    return status;
}
