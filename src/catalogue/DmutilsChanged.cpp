// "Changed since the last export" and the selection of a given set of goods on the export page.
#include "catalogue/Dmutils.h"

#include "app/ConstUnit.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/SentStore.h"
#include "util/MyUtil.h"

#include <unordered_set>

// Polish texts are Windows-1250 bytes; each escaped literal is followed by its readable form.

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
    if (!SelectOnly(symbols)) {
        Komunikat("Nie uda\xB3o si\xEA zaznaczy\xE6 towar\xF3w", true); // Nie udało się zaznaczyć towarów
        return false;
    }
    if (!SelectionFilter.empty() || SDSTowary.Fields.IndexOf("wybor") < 0) {
        ReReadGoods();
    } else {
        // The marks are the only change: the rows in memory take them without reading the view again.
        const std::unordered_set<std::string> chosen(symbols.begin(), symbols.end());
        const int asort = SDSTowary.Fields.IndexOf("asort");
        for (int row = 0; row < SDSTowary.RecordCount(); ++row)
            SDSTowary.SetValue(row, "wybor",
                               Value(int64_t{chosen.count(SDSTowary.Rows[row][asort].AsString()) ? 1 : 0}));
        if (goodsPage)
            goodsPage->GoodsViewReopened();
    }
    if (goodsPage)
        goodsPage->RefreshCount();
    return true;
}

bool Tdmu::SelectChangedGoods()
{
    if (!SentTableExists()) {
        Komunikat(MissingSentTableText(), true);
        return false;
    }
    const RecordLists lists = CurrentRecordLists();
    ReReadGoods();
    const ChangedGoods changed = FindChangedGoods(CatalogueGoods(SDSTowary, lists), LoadSentMemory(CurrentRegisterId));
    if (!SelectGoods(changed.selected))
        return false;

    // Zmienione od ostatniego eksportu do kasy 01: 3
    std::string text =
        "Zmienione od ostatniego eksportu do kasy " + RegisterCode + ": " + std::to_string(changed.selected.size());
    if (changed.noMemory)
        // brak pamięci wysłanych towarów dla tej kasy - wszystkie liczą się jako zmienione; najpierw uruchom
        // porównanie z kasą
        text += "; brak pami\xEA\xE6 wys\xB3\x61nych towar\xF3w dla tej kasy - wszystkie licz\xB9 si\xEA jako "
                "zmienione; najpierw uruchom \"Por\xF3wnanie z kas\xB9\"";
    if (!changed.unsendable.empty())
        // nie do wysłania
        text += "; nie do wys\xB3\x61nia (" + std::to_string(changed.unsendable.size()) +
                "): " + NameSome(changed.unsendable);
    if (!changed.collisions.empty())
        // wspólny kod w kasie (wysyłany tylko towar, który kasa ma pod tym kodem)
        text += "; wsp\xF3lny kod w kasie (wysy\xB3\x61ny tylko towar, kt\xF3ry kasa ma pod tym kodem): " +
                NameSome(changed.collisions);
    Komunikat(text, changed.noMemory || !changed.unsendable.empty() || !changed.collisions.empty());
    return true;
}
