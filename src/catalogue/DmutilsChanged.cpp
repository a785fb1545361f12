// "Changed since the last export" and the selection of a given set of goods on the export page.
#include "catalogue/Dmutils.h"

#include "app/ConstUnit.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/SentStore.h"
#include "db/dbDDM.h"
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <string_view>
#include <unordered_set>

namespace
{

// How many goods the status line names before it only counts the rest.
constexpr std::size_t NamedOnStatusLine = 5;

// "a, b, c i 7 innych"
std::string NameSome(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < NamedOnStatusLine; ++i)
        text += (i ? ", " : "") + names[i];
    if (names.size() > NamedOnStatusLine)
        text += " i " + std::to_string(names.size() - NamedOnStatusLine) + " innych";
    return text;
}

} // namespace

bool Tdmu::SelectGoods(const std::vector<std::string>& symbols)
{
    const int asort = SDSTowary.Fields.IndexOf("asort");
    const int wybor = SDSTowary.Fields.IndexOf("wybor");
    // With a selection filter the view's rows would leave it as their marks change: the marks are simply set
    // and the view read again.
    if (!SelectionFilter.empty() || !SDSTowary.Active() || asort < 0 || wybor < 0) {
        if (!SelectOnly(symbols)) {
            Komunikat("Nie udało się zaznaczyć towarów"_cp, true);
            return false;
        }
        ReReadGoods();
        if (goodsPage)
            goodsPage->RefreshCount();
        return true;
    }

    // Only the marks that change are written: the view knows the marks of its rows, goods outside it lose theirs
    // in one command, and when most of the view is to be selected one set-based command marks the whole view and
    // the few others are unmarked by key. The symbols are looked up as views of `symbols`, without copies.
    std::unordered_set<std::string_view> wanted(symbols.begin(), symbols.end());
    std::unordered_set<std::string_view> wantedInView;
    std::vector<char> rowWanted(SDSTowary.Rows.size());
    int toMark = 0;
    for (std::size_t row = 0; row < SDSTowary.Rows.size(); ++row) {
        const auto found = wanted.find(SDSTowary.Rows[row][asort].AsString());
        rowWanted[row] = found != wanted.end();
        if (rowWanted[row]) {
            wantedInView.insert(*found);
            toMark += SDSTowary.Rows[row][wybor].AsInteger() != 1;
        }
    }
    const bool wholeView = toMark * 2 > SDSTowary.RecordCount();
    std::vector<std::string> select, unselect;
    for (std::size_t row = 0; row < SDSTowary.Rows.size(); ++row) {
        const bool marked = wholeView || SDSTowary.Rows[row][wybor].AsInteger() == 1;
        if (rowWanted[row] && !marked)
            select.push_back(SDSTowary.Rows[row][asort].AsString());
        else if (!rowWanted[row] && marked)
            unselect.push_back(SDSTowary.Rows[row][asort].AsString());
    }
    for (const std::string& symbol : symbols) // wanted goods outside the view
        if (!wantedInView.count(symbol))
            select.push_back(symbol);

    const std::string inView =
        "exists (select 1 from " + GoodsTable + " k where k.asort=b.asort and nieaktywny<>1" + viewFilters_ + ")";
    std::vector<std::string> commands{"update blok_cen b set wybor=0 where wybor<>0 and not " + inView};
    if (wholeView)
        commands.push_back("update blok_cen b set wybor=1 where wybor<>1 and " + inView);
    AppendMarkCommands(commands, unselect, 0);
    AppendMarkCommands(commands, select, 1);
    if (!dm->RunSQLBatch(commands)) {
        Komunikat("Nie udało się zaznaczyć towarów"_cp, true);
        return false;
    }
    for (int row = 0; row < SDSTowary.RecordCount(); ++row)
        SDSTowary.SetValue(row, "wybor", Value(int64_t{rowWanted[static_cast<std::size_t>(row)] ? 1 : 0}));
    if (goodsPage) {
        goodsPage->GoodsViewReopened();
        goodsPage->RefreshCount();
    }
    return true;
}

ChangedGoods Tdmu::FindChangedInView()
{
    const RecordLists lists = CurrentRecordLists();
    ReReadGoods();
    return FindChangedGoods(CatalogueGoods(SDSTowary, lists), LoadSentMemory(CurrentRegisterId), ReadCatalogueCodes());
}

void Tdmu::AnnounceChanged(const ChangedGoods& changed)
{
    std::string text =
        "Zmienione od ostatniego eksportu do kasy " + RegisterCode + ": " + std::to_string(changed.selected.size());
    if (changed.noMemory)
        text +=
            "; brak pamięci wysłanych towarów dla tej kasy - wszystkie liczą się jako zmienione; najpierw uruchom \"Porównanie z kasą\""_cp;
    if (!changed.unsendable.empty())
        text +=
            "; nie do wysłania ("_cp + std::to_string(changed.unsendable.size()) + "): " + NameSome(changed.unsendable);
    if (!changed.collisions.empty())
        text += "; wspólny kod w kasie (wysyłany tylko towar, który kasa ma pod tym kodem): "_cp +
                NameSome(changed.collisions);
    Komunikat(text, changed.noMemory || !changed.unsendable.empty() || !changed.collisions.empty());
}

bool Tdmu::SelectChangedGoods()
{
    if (!SentTableExists()) {
        Komunikat(MissingSentTableText(), true);
        return false;
    }
    const ChangedGoods changed = FindChangedInView();
    if (!SelectGoods(changed.selected))
        return false;
    AnnounceChanged(changed);
    return true;
}
