#include "ui/ParamsPage.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "ui/PageControls.h"
#include "ui/UiText.h"
#include "util/Cp1250Literal.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// Rows of the unit grid: the title row and the register's units 1 to 8. The register numbers no more units
// and the parameter "ELZB_JM" stores exactly these eight; further rows could be typed into but never saved.
constexpr int UnitRows = 9;
// The rates the grid shows until the stored ones are loaded.
const char* const InitialRates[] = {"22", "7", "3", "0", "0", "0", "-1"};

// The register fields take at most two characters from the keyboard.
constexpr int ShortFieldLength = 2;

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength = 0)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
        edit->setMaximumWidth(60);
    }
    return edit;
}

// A stored value longer than the field's limit is shown whole: cutting it would save the cut value back.
void ShowShort(QLineEdit* edit, const std::string& value)
{
    const QString text = FromCp1250(value);
    edit->setMaxLength(std::max(ShortFieldLength, static_cast<int>(text.size())));
    edit->setText(text);
}

QPushButton* SaveButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(QStringLiteral("Zachowaj"), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DialogSaveButton));
    button->setAutoDefault(false);
    return button;
}

QPushButton* CancelButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(QStringLiteral("Rezygnacja"), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DialogCancelButton));
    button->setAutoDefault(false);
    return button;
}

// A cell the operator cannot edit: keys, titles and unit numbers.
QTableWidgetItem* FixedCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(QColor(0xE8, 0xE8, 0xE8));
    return item;
}

QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item != nullptr ? item->text() : QString();
}

void SetCellText(QTableWidget* grid, int row, int column, const std::string& text)
{
    if (QTableWidgetItem* item = grid->item(row, column))
        item->setText(FromCp1250(text));
    else
        grid->setItem(row, column, new QTableWidgetItem(FromCp1250(text)));
}

void FitHeight(QTableWidget* grid)
{
    int height = 2 * grid->frameWidth();
    if (!grid->horizontalHeader()->isHidden())
        height += grid->horizontalHeader()->sizeHint().height();
    for (int row = 0; row < grid->rowCount(); ++row)
        height += grid->rowHeight(row);
    grid->setFixedHeight(height);
}
} // namespace

ParamsPage::ParamsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tbsParam"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(12);
    layout->addWidget(BuildRegisterGroup(), 0, Qt::AlignTop);
    layout->addWidget(BuildGeneralGroup(), 0, Qt::AlignTop);
    layout->addStretch(1);
}

QWidget* ParamsPage::BuildRegisterGroup()
{
    grpParamKasy = new QGroupBox(QStringLiteral(" Parametry pracy z kasą "), this);
    grpParamKasy->setObjectName(QStringLiteral("grpParamKasy"));
    lbeNrKasySystem = Edit(grpParamKasy, "lbeNrKasySystem", ShortFieldLength);
    lbeTimeout = Edit(grpParamKasy, "lbeTimeout", ShortFieldLength);
    lbeKontrahent = Edit(grpParamKasy, "lbeKontrahent", ShortFieldLength);
    cmbCena = new QComboBox(grpParamKasy);
    cmbCena->setObjectName(QStringLiteral("cmbCena"));
    cmbCena->setMinimumWidth(140);
    // The price field is part of the register's definition in the database (COM_DEF.CENA); the page shows it and
    // saves no choice, so the list cannot be changed.
    cmbCena->setEnabled(false);
    cmbCena->setToolTip(QStringLiteral("Pole z ceną ustala definicja kasy w bazie danych (COM_DEF, kolumna CENA)"));
    rgCom =
        new RadioGroup(QStringLiteral(" Port szeregowy "),
                       {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4")},
                       grpParamKasy, 2);
    rgCom->setObjectName(QStringLiteral("rgCom"));
    rgRate = new RadioGroup(QStringLiteral(" Prędkość transmisji "),
                            {QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200")}, grpParamKasy);
    rgRate->setObjectName(QStringLiteral("rgRate"));
    btnSave = SaveButton(grpParamKasy, "btnSave");
    btnCan = CancelButton(grpParamKasy, "btnCan");
    connect(btnSave, &QPushButton::clicked, this, &ParamsPage::btnSaveClick);
    connect(btnCan, &QPushButton::clicked, this, &ParamsPage::btnCanClick);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Nr kasy w systemie kas"), lbeNrKasySystem);
    fields->addRow(QStringLiteral("Timeout dla pracy z kasą"), lbeTimeout);
    fields->addRow(QStringLiteral("Kod kontrahenta"), lbeKontrahent);
    auto* lbCena = new QLabel(QStringLiteral("Nazwa pola z ceną"), grpParamKasy);
    lbCena->setBuddy(cmbCena);
    auto* choices = new QHBoxLayout;
    choices->addWidget(rgCom);
    choices->addWidget(rgRate);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCan);
    auto* layout = new QVBoxLayout(grpParamKasy);
    layout->addLayout(fields);
    layout->addWidget(lbCena);
    layout->addWidget(cmbCena);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    return grpParamKasy;
}

QWidget* ParamsPage::BuildGeneralGroup()
{
    grpParamOgolne = new QGroupBox(QStringLiteral(" Parametry ogólne "), this);
    grpParamOgolne->setObjectName(QStringLiteral("grpParamOgolne"));

    vleStawki = new QTableWidget(static_cast<int>(VatRateKeys.size()), 2, grpParamOgolne);
    vleStawki->setObjectName(QStringLiteral("vleStawki"));
    vleStawki->setHorizontalHeaderLabels({QStringLiteral("Stawka"), QStringLiteral("Wartość")});
    vleStawki->verticalHeader()->hide();
    vleStawki->horizontalHeader()->setStretchLastSection(true);
    vleStawki->verticalHeader()->setDefaultSectionSize(vleStawki->fontMetrics().height() + 6);
    for (int row = 0; row < vleStawki->rowCount(); ++row) {
        vleStawki->setItem(row, 0, FixedCell(QString(QLatin1Char(VatRateKeys[row]))));
        vleStawki->setItem(row, 1, new QTableWidgetItem(QString::fromLatin1(InitialRates[row])));
    }
    vleStawki->setColumnWidth(0, 60);
    vleStawki->setFixedWidth(180);
    FitHeight(vleStawki);

    sgJM = new QTableWidget(UnitRows, 3, grpParamOgolne);
    sgJM->setObjectName(QStringLiteral("sgJM"));
    sgJM->horizontalHeader()->hide();
    sgJM->verticalHeader()->hide();
    sgJM->verticalHeader()->setDefaultSectionSize(sgJM->fontMetrics().height() + 6);
    for (int column = 0; column < 3; ++column)
        sgJM->setItem(0, column, FixedCell(FromCp1250(UnitGridTitles[column])));
    for (int row = 1; row < UnitRows; ++row) {
        sgJM->setItem(row, 0, FixedCell(QString::number(row)));
        sgJM->setItem(row, 1, new QTableWidgetItem);
        sgJM->setItem(row, 2, new QTableWidgetItem);
    }
    sgJM->setColumnWidth(0, 60);
    sgJM->setColumnWidth(1, 80);
    sgJM->setColumnWidth(2, 60);
    sgJM->setFixedWidth(2 * sgJM->frameWidth() + 60 + 80 + 60 + 2);
    FitHeight(sgJM);

    lbeMagazyn = Edit(grpParamOgolne, "lbeMagazyn");
    lbeMagazyn->setValidator(new UpperCaseValidator(lbeMagazyn));
    lbeKierWZ = Edit(grpParamOgolne, "lbeKierWZ");
    lbeNrRej = Edit(grpParamOgolne, "lbeNrRej");
    lbeTypDokum = Edit(grpParamOgolne, "lbeTypDokum");
    BitBtn2 = SaveButton(grpParamOgolne, "BitBtn2");
    BitBtn5 = CancelButton(grpParamOgolne, "BitBtn5");
    connect(BitBtn2, &QPushButton::clicked, this, &ParamsPage::BitBtn2Click);
    connect(BitBtn5, &QPushButton::clicked, this, &ParamsPage::BitBtn5Click);

    auto* rates = new QVBoxLayout;
    rates->addWidget(new QLabel(QStringLiteral("Stawki VAT"), grpParamOgolne));
    rates->addWidget(vleStawki);
    rates->addStretch(1);
    auto* units = new QVBoxLayout;
    units->addWidget(new QLabel(QStringLiteral("Jednostki miary"), grpParamOgolne));
    units->addWidget(sgJM);
    units->addStretch(1);
    auto* grids = new QHBoxLayout;
    grids->addLayout(rates);
    grids->addLayout(units);

    auto* heading = new QLabel(QStringLiteral("Parametry eksportu do Wolnar"), grpParamOgolne);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* wolnar = new QFormLayout;
    wolnar->addRow(QStringLiteral("Nr magazynu"), lbeMagazyn);
    wolnar->addRow(QStringLiteral("Kierunek sprzedaży"), lbeKierWZ);
    wolnar->addRow(QStringLiteral("Rejestr sprzedaży"), lbeNrRej);
    wolnar->addRow(QStringLiteral("Typ dokumentu"), lbeTypDokum);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn5);

    auto* layout = new QVBoxLayout(grpParamOgolne);
    layout->addLayout(grids);
    layout->addWidget(heading);
    layout->addLayout(wolnar);
    layout->addLayout(buttons);
    return grpParamOgolne;
}

// ---- buttons

void ParamsPage::btnSaveClick()
{
    // A refusal shows in red; a save that went through replaces an earlier refusal by its confirmation.
    if (dmu->SaveRegisterSettings(CurrentRegisterId))
        Komunikat("Zapisano parametry kasy", false);
}

void ParamsPage::btnCanClick()
{
    dmu->LoadRegisterSettings(CurrentRegisterId);
}

void ParamsPage::BitBtn2Click()
{
    if (dmu->SaveParameters())
        Komunikat("Zapisano parametry ogólne"_cp, false);
}

void ParamsPage::BitBtn5Click()
{
    dmu->LoadParameters();
}

// ---- ISettingsPage

RegisterFields ParamsPage::ReadRegisterFields() const
{
    RegisterFields fields;
    fields.portIndex = rgCom->ItemIndex();
    fields.speedIndex = rgRate->ItemIndex();
    fields.systemNo = ToCp1250(lbeNrKasySystem->text());
    fields.timeout = ToCp1250(lbeTimeout->text());
    fields.contractor = ToCp1250(lbeKontrahent->text());
    return fields;
}

void ParamsPage::ShowRegisterFields(const RegisterFields& fields)
{
    rgCom->SetItemIndex(fields.portIndex);
    rgRate->SetItemIndex(fields.speedIndex);
    ShowShort(lbeNrKasySystem, fields.systemNo);
    ShowShort(lbeTimeout, fields.timeout);
    ShowShort(lbeKontrahent, fields.contractor);
}

void ParamsPage::SetRegisterCaption(const std::string& caption)
{
    grpParamKasy->setTitle(FromCp1250(caption));
}

void ParamsPage::SetPriceFieldItems(const std::vector<std::string>& items)
{
    cmbCena->clear();
    for (const std::string& item : items)
        cmbCena->addItem(FromCp1250(item));
}

void ParamsPage::SelectPriceField(int index)
{
    cmbCena->setCurrentIndex(index >= 0 && index < cmbCena->count() ? index : -1);
}

GeneralFields ParamsPage::ReadGeneralFields() const
{
    GeneralFields fields;
    for (size_t k = 0; k < fields.vatRates.size(); ++k)
        fields.vatRates[k] = ToCp1250(CellText(vleStawki, static_cast<int>(k), 1));
    for (size_t n = 0; n < fields.units.size(); ++n)
        for (int column = 0; column < 2; ++column)
            fields.units[n][column] = ToCp1250(CellText(sgJM, static_cast<int>(n) + 1, column + 1));
    fields.warehouse = ToCp1250(lbeMagazyn->text());
    fields.salesDirection = ToCp1250(lbeKierWZ->text());
    fields.salesRegister = ToCp1250(lbeNrRej->text());
    fields.documentType = ToCp1250(lbeTypDokum->text());
    return fields;
}

void ParamsPage::ShowGeneralFields(const GeneralFields& fields)
{
    for (size_t k = 0; k < fields.vatRates.size(); ++k)
        SetCellText(vleStawki, static_cast<int>(k), 1, fields.vatRates[k]);
    for (size_t n = 0; n < fields.units.size(); ++n)
        for (int column = 0; column < 2; ++column)
            SetCellText(sgJM, static_cast<int>(n) + 1, column + 1, fields.units[n][column]);
    lbeMagazyn->setText(FromCp1250(fields.warehouse));
    lbeKierWZ->setText(FromCp1250(fields.salesDirection));
    lbeNrRej->setText(FromCp1250(fields.salesRegister));
    lbeTypDokum->setText(FromCp1250(fields.documentType));
}
