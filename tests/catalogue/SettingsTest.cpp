// The register list with each register's settings and the general exchange parameters.
#include "CatalogueFixture.h"
#include "util/Cp1250Literal.h"

#include <functional>

namespace
{

const std::string Par = " from PARAMETRY where LOKALIZACJA='GLOBAL' and SEKCJA='TARLA' and NAZWA=";

class RegisterSettings : public CatalogueTest
{
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        ASSERT_TRUE(dm->RunSQL("update com_def set port=3,szybkosc=2400,nrkasysystem=12,timeout=7,kod=45,"
                               "cena='CENA_2',kod_kasa='5' where id=2"));
        dmu->LoadParameters();
    }
    std::string Stored(int id)
    {
        dm->OpenSQT("select port,szybkosc,nrkasysystem,timeout,kod from com_def where id=" + std::to_string(id));
        std::string text;
        for (const char* field : {"port", "szybkosc", "nrkasysystem", "timeout", "kod"})
            text += dm->SQT.FieldByName(field).AsString() + ";";
        dm->SQT.Close();
        return text;
    }
    std::string Globals() const
    {
        return PortNumber + ";" + BaudRate + ";" + RegisterSystemNo + ";" + RegisterTimeout + ";" +
               std::to_string(ContractorCode) + ";";
    }
};

TEST_F(RegisterSettings, LoadFillsTheGlobalsAndTheRegisterGroup)
{
    dmu->LoadRegisterSettings(2);
    EXPECT_EQ(Globals(), "3;2400;12;7;45;");
    EXPECT_EQ(PriceField, "CENA_2");
    EXPECT_EQ(RegisterCode, "05");
    EXPECT_EQ(settingsPage.registerFields, (RegisterFields{2, -1, "12", "7", "45"})); // 2400 is no item
    EXPECT_EQ(settingsPage.priceIndex, 1);
    EXPECT_EQ(goodsPage.priceField, "CENA_2");
    EXPECT_EQ(goodsPage.priceColumn, 2);
}

TEST_F(RegisterSettings, LoadOfAMissingRowGivesZerosAndNoChoice)
{
    dmu->LoadRegisterSettings(99);
    EXPECT_EQ(Globals(), "0;0;;0;0;");
    EXPECT_EQ(RegisterCode, "00");
    EXPECT_EQ(settingsPage.registerFields, (RegisterFields{-1, -1, "", "0", "0"}));
    EXPECT_EQ(settingsPage.priceIndex, -1);
}

TEST_F(RegisterSettings, SaveWithoutASpeedChosenStores9600)
{
    dmu->LoadRegisterSettings(2);
    settingsPage.registerFields.systemNo = " 4";
    ASSERT_TRUE(dmu->SaveRegisterSettings(2));
    EXPECT_EQ(Stored(2), "3;9600;4;7;45;");
    EXPECT_EQ(Globals(), "3;9600;4;7;45;");
    EXPECT_TRUE(status.errors.empty());

    settingsPage.registerFields.portIndex = 0;
    settingsPage.registerFields.speedIndex = 2;
    ASSERT_TRUE(dmu->SaveRegisterSettings(2));
    EXPECT_EQ(Stored(2), "1;19200;4;7;45;");
}

struct BadNumber {
    const char* name;
    const char* systemNo;
    const char* timeout;
    const char* contractor;
    const char* field;
};

void PrintTo(const BadNumber& c, std::ostream* os)
{
    *os << c.name;
}

class RegisterSettingsBadNumber : public RegisterSettings, public ::testing::WithParamInterface<BadNumber>
{
};

TEST_P(RegisterSettingsBadNumber, IsRefusedWithTheFieldNamedAndNothingChanges)
{
    dmu->LoadRegisterSettings(2);
    settingsPage.registerFields = {0, 2, GetParam().systemNo, GetParam().timeout, GetParam().contractor};
    EXPECT_FALSE(dmu->SaveRegisterSettings(2));
    EXPECT_EQ(status.errors, std::vector<std::string>{std::string("Pole \"") + GetParam().field +
                                                      "\" musi zawierać liczbę całkowitą"_cp});
    EXPECT_EQ(Stored(2), "3;2400;12;7;45;");
    EXPECT_EQ(Globals(), "3;2400;12;7;45;");
}

INSTANTIATE_TEST_SUITE_P(Fields, RegisterSettingsBadNumber,
                         ::testing::Values(BadNumber{"register number x", "x", "5", "1", "Nr kasy w systemie kas"},
                                           BadNumber{"empty timeout", "1", "", "1", "Timeout dla pracy z kasą"_cp},
                                           BadNumber{"contractor 1a", "1", "5", "1a", "Kod kontrahenta"},
                                           BadNumber{"contractor minus", "1", "5", "-", "Kod kontrahenta"},
                                           // "-5" would give "$-5" in KONFIG.txt
                                           BadNumber{"negative register number", "-5", "5", "1",
                                                     "Nr kasy w systemie kas"},
                                           BadNumber{"negative timeout", "1", "-5", "1", "Timeout dla pracy z kasą"_cp},
                                           BadNumber{"negative contractor", "1", "5", "-5", "Kod kontrahenta"}));

TEST_F(RegisterSettings, ACommandTheDatabaseRejectsIsReportedAndTheGlobalsStay)
{
    dmu->LoadRegisterSettings(2);
    ASSERT_TRUE(dm->RunSQL("alter table com_def drop nrkasysystem"));
    settingsPage.registerFields.portIndex = 0;
    EXPECT_FALSE(dmu->SaveRegisterSettings(2));
    EXPECT_EQ(status.errors.size(), 1u);
    EXPECT_EQ(Globals(), "3;2400;12;7;45;");
}

TEST_F(RegisterSettings, RegisterCodeShowsTwoDigits)
{
    EXPECT_EQ(dmu->RegisterCodeGetText(Value(std::string("5"))), "Kasa 05");
    EXPECT_EQ(dmu->RegisterCodeGetText(Value(int64_t{123})), "Kasa 23");
}

// ---- the register change

TEST_F(CatalogueTest, OpeningTheRegisterListMakesTheFirstRegisterCurrentAndMovingChangesIt)
{
    dmu->OpenRegisters();
    EXPECT_EQ(CurrentRegisterId, 1);
    EXPECT_EQ(RegisterDir, DataDir + "Kasa01/");
    EXPECT_EQ(settingsPage.caption, " Parametry pracy kasy 01 ");
    EXPECT_EQ(readoutPanel.cleared, 1);
    EXPECT_EQ(readoutPanel.closed, 1);
    EXPECT_EQ(goodsPage.reopened, 1);

    ASSERT_TRUE(dmu->MoveToRegister(1));
    EXPECT_EQ(CurrentRegisterId, 2);
    EXPECT_EQ(RegisterDir, DataDir + "Kasa02/");
    EXPECT_EQ(settingsPage.caption, " Parametry pracy kasy 02 ");
    EXPECT_EQ(readoutPanel.cleared, 2);
    EXPECT_EQ(goodsPage.reopened, 2);
    EXPECT_FALSE(dmu->MoveToRegister(3));
    EXPECT_EQ(CurrentRegisterId, 2);
}

TEST_F(CatalogueTest, ARegisterWhoseSettingsCannotBeLoadedDoesNotBecomeCurrent)
{
    dmu->OpenRegisters();
    ASSERT_EQ(CurrentRegisterId, 1);
    // The next load fails (as with a lost server): "Zachowaj" must not write the first register's settings, still
    // in the globals and on the page, into the second register's row.
    ASSERT_TRUE(dm->RunSQL("alter table com_def drop NrKasySystem"));
    EXPECT_ANY_THROW(dmu->MoveToRegister(1));
    EXPECT_EQ(CurrentRegisterId, 1);
}

TEST_F(CatalogueTest, AnEmptyRegisterListMakesNoRegisterCurrent)
{
    ASSERT_TRUE(dm->RunSQL("delete from com_def"));
    dmu->OpenRegisters();
    EXPECT_EQ(CurrentRegisterId, -1);
    EXPECT_EQ(readoutPanel.cleared, 0);
    EXPECT_FALSE(dmu->SDSTowary.Active());
}

// ---- general parameters

struct UnitsCase {
    const char* name;
    const char* stored;
    std::vector<std::array<std::string, 2>> rows; // rows 1.. shown; the rest empty
};

void PrintTo(const UnitsCase& c, std::ostream* os)
{
    *os << c.name;
}

class GeneralParameters : public CatalogueTest, public ::testing::WithParamInterface<UnitsCase>
{
protected:
    std::string StoredText(const std::string& name) { return dm->ReadParS(name, "<brak>", "GLOBAL", "TARLA"); }
};

TEST_P(GeneralParameters, UnitsLoadByPositionAndSaveBackUnchanged)
{
    ASSERT_TRUE(dm->WriteParS("ELZB_JM", GetParam().stored, "GLOBAL", "TARLA"));
    dmu->LoadParameters();
    for (size_t n = 0; n < 8; ++n) {
        std::array<std::string, 2> expected =
            n < GetParam().rows.size() ? GetParam().rows[n] : std::array<std::string, 2>{};
        EXPECT_EQ(settingsPage.generalFields.units[n], expected) << "row " << n + 1;
    }
    ASSERT_TRUE(dmu->SaveParameters());
    EXPECT_EQ(StoredText("ELZB_JM"), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Units, GeneralParameters,
    ::testing::Values(
        UnitsCase{"three units", "SZT;KG;L;;;;;;szt;kg;l;;;;;;", {{"SZT", "szt"}, {"KG", "kg"}, {"L", "l"}}},
        UnitsCase{"empty row 2", "SZT;;KG;;;;;;szt;;kg;;;;;;", {{"SZT", "szt"}, {"", ""}, {"KG", "kg"}}}));

TEST_F(CatalogueTest, ParametersLoadIntoTheGlobalsAndTheGeneralGroup)
{
    dm->WriteParI("REJESTR", 4, "GLOBAL", "TARLA");
    dm->WriteParS("KIERSPRZ", "WZ", "GLOBAL", "TARLA");
    dm->WriteParS("NRMAG", "M1", "GLOBAL", "TARLA");
    dm->WriteParS("TYPDOKUM", "PAR", "GLOBAL", "TARLA");
    dmu->LoadParameters();
    const GeneralFields& shown = settingsPage.generalFields;
    EXPECT_EQ(shown.vatRates, (std::array<std::string, 7>{"23.00", "8.00", "5.00", "0.00", "0.00", "0.00", "-1.00"}));
    EXPECT_EQ(shown.salesRegister, "4");
    EXPECT_EQ(shown.salesDirection, "WZ");
    EXPECT_EQ(shown.warehouse, "M1");
    EXPECT_EQ(shown.documentType, "PAR");
    EXPECT_EQ(SalesRegisterNo, 4);
    EXPECT_EQ(SalesDirection, "WZ");
    EXPECT_EQ(WarehouseNo, "M1");
}

TEST_F(CatalogueTest, PriceFieldChoiceOffersCenaFieldsOnceWithoutOldcena)
{
    dmu->LoadParameters();
    dmu->LoadParameters();
    EXPECT_EQ(settingsPage.priceItems, (std::vector<std::string>{"CENA_1", "CENA_2", "CENA_3"}));
    EXPECT_EQ(settingsPage.priceIndex, 0); // the register's CENA_1
}

// Loading the general parameters ("Rezygnacja") never switches the price that is sent: it stays the field the
// current register names, whatever the parameter store holds.
TEST_F(CatalogueTest, LoadingParametersKeepsTheRegistersPriceField)
{
    for (const char* stored : {"", "CENA_3"}) {
        dm->WriteParS("POLECENA", stored, "GLOBAL", "TARLA");
        PriceField = "CENA_2";
        dmu->LoadParameters();
        EXPECT_EQ(PriceField, "CENA_2") << stored;
        EXPECT_EQ(settingsPage.priceIndex, 1) << stored;
    }
}

TEST_F(CatalogueTest, SavingParametersWritesEveryValueAndRefusesABadSalesRegister)
{
    dmu->LoadParameters();
    GeneralFields& typed = settingsPage.generalFields;
    typed.vatRates[1] = "7.00";
    typed.salesRegister = "12ab";
    typed.salesDirection = "WZ";
    typed.warehouse = "M2";
    typed.documentType = "FV";
    ASSERT_TRUE(dmu->SaveParameters());
    EXPECT_EQ(dm->ReadParS("VAT", "", "GLOBAL", "TARLA"), "23.00;7.00;5.00;0.00;0.00;0.00;-1.00;");
    EXPECT_EQ(dm->ReadParI("REJESTR", -1, "GLOBAL", "TARLA"), 12);
    EXPECT_EQ(dm->ReadParS("NRMAG", "", "GLOBAL", "TARLA"), "M2");
    EXPECT_EQ(SalesRegisterNo, 12);
    EXPECT_EQ(DocumentType, "FV");

    typed.vatRates[1] = "8.00";
    typed.salesRegister = "-";
    EXPECT_FALSE(dmu->SaveParameters());
    EXPECT_EQ(status.errors.size(), 1u);
    EXPECT_EQ(dm->ReadParS("VAT", "", "GLOBAL", "TARLA"), "23.00;7.00;5.00;0.00;0.00;0.00;-1.00;");
    EXPECT_EQ(SalesRegisterNo, 12);
}

TEST_F(CatalogueTest, ASemicolonInARateOrUnitIsRefusedAndNothingIsSaved)
{
    dmu->LoadParameters();
    const std::string vat = dm->ReadParS("VAT", "", "GLOBAL", "TARLA");
    const std::string units = dm->ReadParS("ELZB_JM", "", "GLOBAL", "TARLA");
    const GeneralFields loaded = settingsPage.generalFields;
    const std::string warehouse = WarehouseNo;
    const std::vector<std::function<void(GeneralFields&)>> typos = {
        [](GeneralFields& f) { f.vatRates[0] = "23.00;8.00"; },
        [](GeneralFields& f) { f.units[0][1] = "szt;"; },
    };
    for (size_t i = 0; i < typos.size(); ++i) {
        settingsPage.generalFields = loaded;
        settingsPage.generalFields.warehouse = "M9";
        typos[i](settingsPage.generalFields);
        EXPECT_FALSE(dmu->SaveParameters()) << i;
        EXPECT_EQ(status.errors.size(), i + 1);
        EXPECT_EQ(dm->ReadParS("VAT", "", "GLOBAL", "TARLA"), vat) << i;
        EXPECT_EQ(dm->ReadParS("ELZB_JM", "", "GLOBAL", "TARLA"), units) << i;
        EXPECT_EQ(WarehouseNo, warehouse) << i;
    }
}

TEST_F(CatalogueTest, AFailedParameterWriteIsReportedAndTheGlobalsStay)
{
    dmu->LoadParameters();
    const std::string storedRates = dm->ReadParS("VAT", "", "GLOBAL", "TARLA");
    settingsPage.generalFields.vatRates[0] = "99.00";
    settingsPage.generalFields.salesDirection = std::string(2000, 'W'); // wider than the column
    EXPECT_FALSE(dmu->SaveParameters());
    EXPECT_EQ(status.errors.size(), 1u);
    EXPECT_EQ(SalesDirection, "");
    EXPECT_EQ(dm->ReadParS("VAT", "", "GLOBAL", "TARLA"), storedRates); // nothing of the failed save is stored
}

} // namespace
