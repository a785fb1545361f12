#pragma once
// The goods catalogue and settings module: price locks and selections, the filtered catalogue view, the goods
// groups, the register list with each register's settings, the general exchange parameters and the
// duplicate goods names report.
#include "catalogue/SentGoods.h"
#include "db/DataSet.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class IGoodsPage;    // catalogue/CatalogueView.h: the goods export page as the catalogue sees it
class ISettingsPage; // catalogue/CatalogueView.h: the parameters page's fields
class IReadoutPanel; // catalogue/CatalogueView.h: what a register change clears on the readout page

// The bulk price-lock commands of the export page (" Blokowanie cen w wykazie").
enum class LockCommand {
    LockAll,   // "blokuj wszystkie "
    UnlockAll, // "odblokuj wszystkie"
    Invert     // "odwróć blokadę"
};

// The bulk selection commands of the export page: every good of BLOK_CEN, whatever the view shows.
enum class SelectionCommand {
    SelectAll,   // "zaznacz wszystkie"
    UnselectAll, // "odznacz wszystkie", and the renewal of the view
    Invert       // "odwróć zaznaczenie"
};

// BLOK_CEN.ASORT is VARCHAR(20): a longer catalogue symbol can have no price lock or selection.
inline constexpr int PriceLockSymbolLength = 20;

class Tdmu
{
public:
    void DataModuleCreate();

    // Windows the operations reach; null means "no window".
    IGoodsPage* goodsPage = nullptr;
    ISettingsPage* settingsPage = nullptr;
    IReadoutPanel* readoutPanel = nullptr;

    DataSet SDSTowary; // the catalogue view
    DataSet sdsWK;     // the register list

    // ---- catalogue
    // Adds a BLOK_CEN row (both flags 0) for every active good that has none, in one set-based command. Goods
    // that cannot have a row (a symbol longer than PriceLockSymbolLength, or a row the database refuses) never
    // keep the others from getting theirs; they are named in red on the status line and in the work history, once
    // per call (at the start and when the view is renewed).
    void SyncPriceLocks();
    // Creates the table BLOK_CEN when it is missing, then SyncPriceLocks: what the window's start and tarlo-cli's
    // export both do before the goods are read.
    void PreparePriceLocks();
    // (Re)opens SDSTowary: the active goods of GoodsTable joined with BLOK_CEN, with the filters GroupFilter,
    // LockFilter and SelectionFilter appended, and points the page's price column at PriceField. Raises
    // FieldError when PriceField names no field of the view (after the view has been opened).
    void OpenGoods();
    // The query OpenGoods runs for the current filters.
    static std::string GoodsQuery();
    // Re-reads SDSTowary with the query it was last opened with.
    void ReReadGoods();
    // Fills the goods group list: "grupa nazwa" per row of GrupyAs.
    void LoadGroups();
    std::vector<std::string> GroupItems; // the list as last loaded
    // Display text of a price: picture "## ##0.00".
    std::string PriceGetText(const Value& price) const;

    // Row of SDSTowary holding the good `asort` (exact match), -1 when the view lacks it.
    int GoodsRowOf(const std::string& asort);
    // Re-reads the one good `asort` with the view's query and replaces its row in place, or takes the row out of
    // the view when the good no longer matches the filters. A good outside the view stays outside.
    void RefreshGoodsRow(const std::string& asort);
    // Flips the flag "wybor" or "blok" of the good at `row` of SDSTowary in BLOK_CEN and refreshes that row.
    // False when the row or field is not one of these, or when the database refused the command: that is logged
    // and announced in red, and the row keeps the value stored.
    bool ToggleFlag(int row, const std::string& field);
    // Sets the price locks of all goods in view (the filters the view was opened with) in one command. The
    // caller re-reads the view afterwards. False when the command failed (logged and announced in red).
    bool LockGoodsInView(LockCommand command);
    // Sets the selection of every good in one command. The caller re-reads the view afterwards. False when the
    // command failed (logged and announced in red).
    bool SelectGoods(SelectionCommand command);

    // "Changed since the last export" (DmutilsChanged.cpp): re-reads the view and selects exactly its active
    // goods that need sending to the current register (their record line differs from the one remembered in
    // WYSLANE, or they were never sent); goods that cannot be sent or share a register code are named on the
    // status line. Without WYSLANE the status line asks for an administrator's log-in and nothing changes. False
    // when nothing was selected because of such a failure.
    bool SelectChangedGoods();
    // The goods of the view (re-read first) that changed since the last export to the current register, each with
    // what its change needs; shared codes are judged over the whole catalogue table. Marks nothing. Raises DbError.
    ChangedGoods FindChangedInView();
    // Announces what FindChangedInView found: "Zmienione od ostatniego eksportu do kasy 01: 3", in red with the goods
    // left out (no memory, goods that cannot be sent, shared codes).
    static void AnnounceChanged(const ChangedGoods& changed);
    // Selects exactly `symbols` for export and shows the new marks in the view and the count label. Writes only
    // the marks that change, judged by the view's rows: the view must have been read just before.
    bool SelectGoods(const std::vector<std::string>& symbols);

    // ---- registers and parameters
    void LoadRegisterSettings(int registerId);
    // Writes the register group to COM_DEF. The three number fields must hold whole numbers; otherwise, or when
    // the database rejects the command, a red status message says why, nothing changes and false is returned.
    // The globals take the new values once the row is saved.
    bool SaveRegisterSettings(int registerId);
    void LoadParameters();
    // Writes the general group to the parameter store; false (and a red status message) when a value is not
    // acceptable or a write failed. The globals take the new values once everything is saved.
    bool SaveParameters();
    std::vector<std::string> PriceFieldItems; // the items of cmbCena as last loaded
    std::string RegisterCodeGetText(const Value& registerCode) const;
    // The register change: runs whenever sdsWK arrives at a row.
    void sdsWKAfterScroll();
    // Opens the register list ("select id,kod_kasa from com_def order by id") and makes its first row current.
    void OpenRegisters();
    // Moves the register list to row `index` and makes that register current; false when there is no such row.
    bool MoveToRegister(int index);

    // ---- reports (the hand-over of readouts to Wolnar: exchange/TradeHandOver.h)
    // Writes the goods whose first 19 name characters collide to DataDir + "Error.txt" (ErrorReportFile); false
    // (with the reason on the status line) when the file could not be written.
    bool ReportDuplicateNames();

private:
    // Where each good of SDSTowary stands, keyed by "asort"; rebuilt when the view was reopened.
    std::unordered_map<std::string, int> goodsIndex_;
    std::string goodsIndexQuery_;
    int goodsIndexRows_ = -1;
    // The filter conditions (each with " and " in front) of the query SDSTowary was opened with.
    std::string viewFilters_;

    // Opens SDSTowary on the query and tells the page; the goods index follows the new rows.
    void ReopenGoods(const std::string& query);
    void RebuildGoodsIndex();
    void RemoveGoodsRow(int row);
};

extern std::unique_ptr<Tdmu> dmu;
