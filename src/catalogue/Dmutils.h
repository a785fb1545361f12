#pragma once
// The goods catalogue and settings module: price locks and selections, the filtered catalogue view, the goods
// groups, the register list with each register's settings, the general exchange parameters and the
// duplicate goods names report.
#include "db/DataSet.h"

#include <memory>
#include <string>

class IGoodsPage;     // catalogue/CatalogueView.h: the goods export page as the catalogue sees it
class ISettingsPage;  // catalogue/CatalogueView.h: the parameters page's fields
class IReadoutPanel;  // catalogue/CatalogueView.h: what a register change clears on the readout page

class Tdmu {
public:
    void DataModuleCreate();

    // Windows the operations reach; null means "no window".
    IGoodsPage* goodsPage = nullptr;
    ISettingsPage* settingsPage = nullptr;
    IReadoutPanel* readoutPanel = nullptr;

    DataSet SDSTowary; // the catalogue view
    DataSet sdsWK;     // the register list

    // ---- catalogue
    void SyncPriceLocks();
    void OpenGoods();
    void LoadGroups();
    std::string PriceGetText(const Value& price) const;

    // ---- registers and parameters
    void LoadRegisterSettings(int registerId);
    bool SaveRegisterSettings(int registerId);
    void LoadParameters();
    bool SaveParameters();
    std::string RegisterCodeGetText(const Value& registerCode) const;
    void sdsWKAfterScroll();

    // ---- reports and hand-over
    void ReportDuplicateNames();
    void SendReadingToTrade(const std::string& path);
};

extern std::unique_ptr<Tdmu> dmu;
