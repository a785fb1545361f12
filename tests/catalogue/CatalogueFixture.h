#pragma once
// The surroundings of the catalogue operations in tests: a throw-away database with the trade system's tables
// (no goods; three registers, the VAT and ELZB_JM parameters) and the application's own tables, a program
// directory prepared by InitEnvironment, the work history captured, `dm` connected, a fresh `dmu` and fakes of
// the pages and of the status line.
#include "TestSupport.h"
#include "app/ConstUnit.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "util/MyUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

class FakeGoodsPage : public IGoodsPage
{
public:
    void SetPriceColumn(int column, const std::string& field) override
    {
        priceColumn = column;
        priceField = field;
    }
    void RefreshCount() override { ++countRefreshes; }
    void SetGroups(const std::vector<std::string>& items) override { groups = items; }
    void GoodsViewReopened() override { ++reopened; }
    void GoodsRowChanged(int row) override { changed.push_back(row); }
    void GoodsRowRemoving(int row) override { removing.push_back(row); }
    void GoodsRowRemoved(int row) override { removed.push_back(row); }
    void GoodsCurrentRow(int row) override { current.push_back(row); }

    int priceColumn = -1;
    std::string priceField;
    int countRefreshes = 0;
    std::vector<std::string> groups;
    int reopened = 0;
    std::vector<int> changed, removing, removed, current;
};

class FakeSettingsPage : public ISettingsPage
{
public:
    RegisterFields ReadRegisterFields() const override { return registerFields; }
    void ShowRegisterFields(const RegisterFields& fields) override { registerFields = fields; }
    void SetRegisterCaption(const std::string& text) override { caption = text; }
    void SetPriceFieldItems(const std::vector<std::string>& items) override { priceItems = items; }
    void SelectPriceField(int index) override { priceIndex = index; }
    GeneralFields ReadGeneralFields() const override { return generalFields; }
    void ShowGeneralFields(const GeneralFields& fields) override { generalFields = fields; }

    RegisterFields registerFields;
    GeneralFields generalFields;
    std::string caption;
    std::vector<std::string> priceItems;
    int priceIndex = -2; // never selected
};

class FakeReadoutPanel : public IReadoutPanel
{
public:
    void ClearReadoutText() override { ++cleared; }
    void CloseReadoutList() override { ++closed; }
    int cleared = 0;
    int closed = 0;
};

class RecordingStatusLine : public IStatusLine
{
public:
    void ShowStatus(const std::string& text, bool error) override
    {
        if (error && !text.empty())
            errors.push_back(text);
    }
    std::vector<std::string> errors;
};

// A good of the current year's catalogue (GoodsTable), unit SZT; CENA_2 = CENA_1 + 1, CENA_3 = 0.
inline void InsertGood(const std::string& asort, const std::string& name, const std::string& group = "A",
                       int inactive = 0, const std::string& price = "2.50", const std::string& vat = "23.00")
{
    ASSERT_TRUE(dm->RunSQL("insert into " + GoodsTable +
                           " (asort,nazwa,jm,stawka_vat,grupa,nieaktywny,cena_1,cena_2,cena_3,oldcena_1) values (" +
                           SqlQuoteItem(asort, false) + SqlQuoteItem(name, false) + "'SZT'," + vat + "," +
                           SqlQuoteItem(group, false) + std::to_string(inactive) + "," + price + "," + price +
                           "+1,0,0)"));
}

inline void InsertLock(const std::string& asort, int blok, int wybor)
{
    ASSERT_TRUE(dm->RunSQL("insert into blok_cen (asort,blok,wybor) values (" + SqlQuoteItem(asort, false) +
                           std::to_string(blok) + "," + std::to_string(wybor) + ")"));
}

// "blok,wybor" of the good's BLOK_CEN row, "-" without one.
inline std::string LockFlags(const std::string& asort)
{
    const std::string where = " from blok_cen where asort=" + SqlQuote(asort);
    if (!dm->Jest("select asort" + where))
        return "-";
    return std::to_string(dm->ReadInteger("blok", "select blok" + where, -1)) + "," +
           std::to_string(dm->ReadInteger("wybor", "select wybor" + where, -1));
}

class CatalogueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitEnvironment(dir.Path() + "/Tarlo_db");
        log = std::make_unique<testsupport::WorkLogCapture>();
        ASSERT_TRUE(testsupport::ConnectDm(db.Path()));
        dm->TestStru(false);
        RegisterCode = "01";
        UpdateWorkPaths();
        GroupFilter.clear();
        LockFilter.clear();
        SelectionFilter.clear();
        PriceField = "CENA_1";
        PriceColumn = 2;
        CurrentRegisterId = -1;
        SetStatusLine(&status);
        dmu = std::make_unique<Tdmu>();
        dmu->DataModuleCreate();
        dmu->goodsPage = &goodsPage;
        dmu->settingsPage = &settingsPage;
        dmu->readoutPanel = &readoutPanel;
    }

    void TearDown() override
    {
        dmu.reset();
        SetStatusLine(nullptr);
        SetClock({});
        if (dm)
            dm->CloseConnection();
        log.reset();
    }

    void AddGood(const std::string& asort, const std::string& name, const std::string& group = "A", int inactive = 0,
                 const std::string& price = "2.50", const std::string& vat = "23.00")
    {
        InsertGood(asort, name, group, inactive, price, vat);
    }
    void AddLock(const std::string& asort, int blok, int wybor) { InsertLock(asort, blok, wybor); }
    std::string Flags(const std::string& asort) { return LockFlags(asort); }
    // The symbols now in the catalogue view, in any order.
    std::set<std::string> ViewSymbols() const
    {
        std::set<std::string> symbols;
        for (int row = 0; row < dmu->SDSTowary.RecordCount(); ++row)
            symbols.insert(dmu->SDSTowary.At(row, "asort").AsString());
        return symbols;
    }
    // Work history lines of failed commands.
    std::vector<std::string> CommandErrors() const
    {
        std::vector<std::string> errors;
        for (const std::string& line : log->Lines())
            if (line.find(" :: ") != std::string::npos)
                errors.push_back(line);
        return errors;
    }

    testsupport::TempDatabase db{demodb::Content::Schema};
    testsupport::TempDir dir;
    testsupport::FakeScreen screen;
    std::unique_ptr<testsupport::WorkLogCapture> log;
    RecordingStatusLine status;
    FakeGoodsPage goodsPage;
    FakeSettingsPage settingsPage;
    FakeReadoutPanel readoutPanel;
};
