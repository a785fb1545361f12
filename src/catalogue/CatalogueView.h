#pragma once
// What the catalogue module asks of the main window's pages. The Qt window implements these interfaces; tests
// fake them. All texts are Windows-1250 bytes.
#include "util/Cp1250Literal.h"

#include <array>
#include <string>
#include <vector>

// The goods export page as the catalogue sees it: the goods grid over Tdmu::SDSTowary, the goods group list and
// the count label.
class IGoodsPage
{
public:
    virtual ~IGoodsPage() = default;

    // Points the grid column at `column` (counted from 0) at the field and titles it with the field's name; its
    // values are shown through Tdmu::PriceGetText.
    virtual void SetPriceColumn(int column, const std::string& field) = 0;
    // The count label "Ilość pozycji: " + rows in view + "/" + selected goods (IIfno).
    virtual void RefreshCount() = 0;
    // Replaces the items of the goods group list (group code, a blank, group name); no item ticked.
    virtual void SetGroups(const std::vector<std::string>& items) = 0;

    // SDSTowary was reopened: its rows and fields may all have changed.
    virtual void GoodsViewReopened() = 0;
    // Row `row` of SDSTowary was replaced in place (same position, new values).
    virtual void GoodsRowChanged(int row) = 0;
    // Row `row` is about to leave SDSTowary (it no longer matches the filters) / has left it.
    virtual void GoodsRowRemoving(int row) = 0;
    virtual void GoodsRowRemoved(int row) = 0;
    // The cursor of SDSTowary moved to `row` (the export goes from good to good); the grid follows it.
    virtual void GoodsCurrentRow(int row) = 0;
};

// The values of the register group " Parametry pracy z kasą " of the parameters page.
struct RegisterFields {
    int portIndex = -1;     // rgCom: 0 = COM1 .. 3 = COM4, -1 none chosen
    int speedIndex = -1;    // rgRate: 0 = 4800, 1 = 9600, 2 = 19200, -1 none chosen
    std::string systemNo;   // lbeNrKasySystem "Nr kasy w systemie kas"
    std::string timeout;    // lbeTimeout "Timeout dla pracy z kasą"
    std::string contractor; // lbeKontrahent "Kod kontrahenta"
    bool operator==(const RegisterFields&) const = default;
};

// The values of the general group " Parametry ogólne " of the parameters page.
struct GeneralFields {
    std::array<std::string, 7> vatRates;             // vleStawki, keys "A" to "G"
    std::array<std::array<std::string, 2>, 8> units; // sgJM rows 1..8: column 1 name, column 2 abbreviation
    std::string warehouse;                           // lbeMagazyn "Nr magazynu"
    std::string salesDirection;                      // lbeKierWZ "Kierunek sprzedaży"
    std::string salesRegister;                       // lbeNrRej "Rejestr sprzedaży"
    std::string documentType;                        // lbeTypDokum "Typ dokumentu"
    bool operator==(const GeneralFields&) const = default;
};

// shows n, the register's unit number.
// Fixed texts of the unit grid sgJM: the titles of row 0; column 0 of row n
inline const std::array<std::string, 3> UnitGridTitles = {"W kasie", "W Brenmo", "Skrót"_cp};

// Letters of the VAT rate rows, in grid order.
inline constexpr std::array<char, 7> VatRateKeys = {'A', 'B', 'C', 'D', 'E', 'F', 'G'};

// The parameters page.
class ISettingsPage
{
public:
    virtual ~ISettingsPage() = default;

    // ---- register group
    virtual RegisterFields ReadRegisterFields() const = 0;
    virtual void ShowRegisterFields(const RegisterFields& fields) = 0;
    // The group's caption, " Parametry pracy kasy " + register code + " ".
    virtual void SetRegisterCaption(const std::string& caption) = 0;
    // cmbCena "Nazwa pola z ceną": its items, and the selected item (-1 none).
    virtual void SetPriceFieldItems(const std::vector<std::string>& items) = 0;
    virtual void SelectPriceField(int index) = 0;

    // ---- general group
    virtual GeneralFields ReadGeneralFields() const = 0;
    virtual void ShowGeneralFields(const GeneralFields& fields) = 0;
};

// What a change of register clears on the readout page.
class IReadoutPanel
{
public:
    virtual ~IReadoutPanel() = default;
    virtual void ClearReadoutText() = 0; // empties the text area Memo
    virtual void CloseReadoutList() = 0; // BtnCloseWKZClick: hides the list of stored readouts
};
