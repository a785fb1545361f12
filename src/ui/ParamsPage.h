#pragma once
// The page "Parametry" (tbsParam): the current register's settings and the general exchange parameters.
#include "catalogue/CatalogueView.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class RadioGroup;

class ParamsPage : public QWidget, public ISettingsPage
{
public:
    explicit ParamsPage(QWidget* parent = nullptr);

    // ---- register group
    QGroupBox* grpParamKasy;
    QLineEdit* lbeNrKasySystem;
    QLineEdit* lbeTimeout;
    QLineEdit* lbeKontrahent;
    QComboBox* cmbCena;
    RadioGroup* rgCom;
    RadioGroup* rgRate;
    QPushButton* btnSave;
    QPushButton* btnCan;
    // ---- general group
    QGroupBox* grpParamOgolne;
    QTableWidget* vleStawki;
    QTableWidget* sgJM;
    QLineEdit* lbeMagazyn;
    QLineEdit* lbeKierWZ;
    QLineEdit* lbeNrRej;
    QLineEdit* lbeTypDokum;
    QPushButton* BitBtn2;
    QPushButton* BitBtn5;

    void btnSaveClick();
    void btnCanClick();
    void BitBtn2Click();
    void BitBtn5Click();

    // ---- ISettingsPage
    RegisterFields ReadRegisterFields() const override;
    void ShowRegisterFields(const RegisterFields& fields) override;
    void SetRegisterCaption(const std::string& caption) override;
    void SetPriceFieldItems(const std::vector<std::string>& items) override;
    void SelectPriceField(int index) override;
    GeneralFields ReadGeneralFields() const override;
    void ShowGeneralFields(const GeneralFields& fields) override;

private:
    QWidget* BuildRegisterGroup();
    QWidget* BuildGeneralGroup();
};
