// sent_goods_bench (its output is UTF-8 for the terminal): times "changed since the last export" and the comparison
// with a register on a large generated catalogue, each as a ratio to one OpenGoods of the same view, and checks
// every timed result.
//
//   sent_goods_bench LARGE.fdb      (from "mkdemodb --large"; the database is changed)
#include "BenchSupport.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
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
using namespace bench;

namespace
{

constexpr int Runs = 3;
constexpr std::size_t RegisterGoods = 4000;
constexpr int DifferingInRegister = 10;

// The targets, as ratios to one OpenGoods: the few changes cost one pass over the catalogue and one over the memory,
// little more than the view itself; the worst case also writes a mark for nearly every good of the view, about one
// more update of the whole view.
constexpr double FewChangesTarget = 1.3;
constexpr double WorstCaseTarget = 2.5;
constexpr double ComparisonTarget = 2;

// The goods selected for export, sorted.
std::vector<std::string> Selected()
{
    DataSet rows;
    dm->OpenSds(rows, "select asort from blok_cen where wybor=1");
    std::vector<std::string> symbols;
    for (const ::Row& row : rows.Rows)
        symbols.push_back(row.at(0).AsString());
    std::sort(symbols.begin(), symbols.end());
    return symbols;
}

// The medians of `Runs` times of `run`, each right after one OpenGoods of the view, and of those OpenGoods: both
// sides of a ratio are measured alike through the machine's slower and faster moments.
std::pair<double, double> AgainstOpenGoods(const std::function<double()>& run)
{
    std::vector<double> ours, openGoods;
    for (int i = 0; i < Runs; ++i) {
        openGoods.push_back(Seconds([] { dmu->OpenGoods(); }));
        ours.push_back(run());
    }
    return {Median(ours), Median(openGoods)};
}

// The memory as if every good of `goods` (the first `limit` sendable ones) had been sent as it is today.
SentMemory MemoryOf(const std::vector<SendableGood>& goods, std::size_t limit)
{
    SentMemory memory;
    for (const SendableGood& good : goods)
        if (good.active && good.sendable && memory.size() < limit)
            memory[good.record.code] = {good.asort, StoredLine(good.record)};
    return memory;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Użycie: sent_goods_bench LARGE.fdb\n";
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string database = fs::absolute(argv[1]).string();

    int status = 0;
    try {
        Surroundings program("tarlo-sentbench");
        UseDatabase(database);
        dm = std::make_unique<Tdm>();
        if (!dm->dbConnect())
            throw std::runtime_error("brak połączenia z " + database);
        dm->TestStru(false);
        dmu = std::make_unique<Tdmu>();
        dmu->SyncPriceLocks();
        fmE = std::make_unique<TfmE>();

        dmu->OpenGoods();
        const RecordLists lists = CurrentRecordLists();
        const std::vector<SendableGood> goods = CatalogueGoods(dmu->SDSTowary, lists);
        std::printf("Katalog %s: %d towarów w widoku\n", GoodsTable.c_str(), dmu->SDSTowary.RecordCount());
        bool ok = true;

        // Every good remembered as it is, then three prices changed in the catalogue.
        if (!ReplaceSentMemory(1, MemoryOf(goods, goods.size())))
            throw std::runtime_error("nie zapisano pamięci");
        dm->RunSQL("update " + GoodsTable + " set cena_1=cena_1+1 where asort in ('11','22','33')");
        // Every run starts from no marks, as after an export.
        auto changedOnly = [] {
            dm->RunSQL("update blok_cen set wybor=0 where wybor<>0");
            Settle();
            return Seconds([] { dmu->SelectChangedGoods(); });
        };
        const auto [fewChanged, openGoods] = AgainstOpenGoods(changedOnly);
        Check(Selected() == std::vector<std::string>{"11", "22", "33"}, "zaznaczone dokładnie 3 zmienione ceny");
        ok &= Report("zmienione od ostatniego eksportu, 3 zmiany / OpenGoods", fewChanged, openGoods, "",
                     FewChangesTarget);

        // A full register remembered: nearly every good counts as changed.
        if (!ReplaceSentMemory(1, MemoryOf(goods, RegisterGoods)))
            throw std::runtime_error("nie zapisano pamięci");
        std::vector<std::string> expected =
            FindChangedGoods(CatalogueGoods(dmu->SDSTowary, lists), LoadSentMemory(1)).selected;
        std::sort(expected.begin(), expected.end());
        Check(expected.size() + RegisterGoods + 100 > goods.size(), "prawie cały widok do zaznaczenia");
        const auto [mostChanged, openGoodsThen] = AgainstOpenGoods(changedOnly);
        Check(Selected() == expected, "zaznaczone = wyliczone");
        ok &=
            Report("zmienione, pamięć 4000 towarów (" + std::to_string(expected.size()) + " zaznaczonych) / OpenGoods",
                   mostChanged, openGoodsThen, "", WorstCaseTarget);

        // A register holding 4000 goods of the catalogue as it is now, ten of them with another price.
        dmu->ReReadGoods();
        const std::vector<SendableGood> current = CatalogueGoods(dmu->SDSTowary, lists);
        Check(FillRegister(*fmE, current, RegisterGoods,
                           [](std::size_t index, RegisterGood& held) {
                               if (index < DifferingInRegister)
                                   held.price += 1;
                           }) == RegisterGoods,
              "kasa przyjęła 4000 towarów");
        ComparisonResult comparison;
        const auto [compare, openGoodsLast] =
            AgainstOpenGoods([&comparison] { return Seconds([&comparison] { comparison = fmE->PorownajZKasa(); }); });
        std::size_t sendable = 0;
        for (const SendableGood& good : goods)
            sendable += good.active && good.sendable;
        Check(comparison.toSend.size() == sendable - RegisterGoods + DifferingInRegister, "brak w kasie + różne");
        Check(LoadSentMemory(1).size() == RegisterGoods, "pamięć = zawartość kasy");
        ok &= Report("porównanie z kasą (4000 towarów) / OpenGoods", compare, openGoodsLast, "", ComparisonTarget);
        PrintTable();
        status = ok ? 0 : 3;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 1;
    }
    fmE.reset();
    dmu.reset();
    dm.reset();
    return status;
}
