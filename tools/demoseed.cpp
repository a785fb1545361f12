// demoseed: loads every active good of the demo catalogue into each simulated register, through the program's own
// goods export, so that a newcomer's registers already hold the goods the catalogue has.
//
//   demoseed DATABASE      (run in the directory of Tarlo_db, beside libWinIP.so)
#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/ExportView.h"
#include "exchange/FmElzab.h"

#include <filesystem>
#include <iostream>

namespace
{

// The export page's choices for the seed: full goods data, go on after an error.
class SeedExportPage : public IExportPage
{
public:
    bool FullData() const override { return true; }
    bool StopOnFirstError() const override { return false; }
    std::string EurekaFileName() const override { return {}; }
    void ShowProgress(std::size_t, std::size_t, const std::string&) override {}
    void UntickGroups() override {}
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Użycie: demoseed BAZA\n";
        return 2;
    }
    const std::string exe = (std::filesystem::current_path() / "Tarlo_db").string();
    InitEnvironment(exe);
    DbPath = argv[1];
    DbUser = "SYSDBA";
    DbPassword = "masterkey";
    EmbeddedEngine = true;

    dm = std::make_unique<Tdm>();
    dm->DataModuleCreate();
    dm->BazaConnect();
    if (ConnectStatus != 0) {
        std::cerr << "demoseed: brak połączenia z bazą " << DbPath << "\n";
        return 1;
    }
    dm->TestStru(false);
    dmu = std::make_unique<Tdmu>();
    dmu->DataModuleCreate();
    UpdateWorkPaths(); // the catalogue table of the current year
    dmu->SyncPriceLocks();
    dmu->LoadParameters();

    fmE = std::make_unique<TfmE>();
    SeedExportPage page;
    fmE->exportPage = &page;

    dmu->OpenRegisters();
    int failures = 0;
    for (int row = 0; dmu->MoveToRegister(row); ++row) {
        // A register takes numeric codes only: goods whose symbol is not a whole number stay in the catalogue.
        dm->RunSQL("update blok_cen set wybor=1 where asort similar to '[0-9]+'");
        try {
            fmE->aExpoTowarExecute();
        } catch (const std::exception& error) {
            std::cerr << "demoseed: " << error.what() << "\n";
            ++failures;
        }
        if (ExchangeResult != 0)
            ++failures;
        dm->RunSQL("update blok_cen set wybor=0");
        std::cout << "Kasa " << RegisterCode << ": towary wysłane" << (ExchangeResult ? " (z błędami)" : "") << "\n";
    }
    return failures == 0 ? 0 : 1;
}
