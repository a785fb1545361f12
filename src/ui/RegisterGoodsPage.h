#pragma once
// The sub-page "Wykaz towarów w kasie" (tbsWykazTow): the list of goods held by the register.
#include "exchange/FmElzab.h"

#include <QWidget>

#include <string>
#include <vector>

class DeletionPage;
class QPlainTextEdit;
class QPushButton;

class RegisterGoodsPage : public QWidget
{
public:
    explicit RegisterGoodsPage(QWidget* parent = nullptr);

    // The deletion sub-page, whose "Odśwież wykaz" runs the same reading.
    void SetDeletionPage(DeletionPage* page) { deletionPage_ = page; }

    QPushButton* btnRefrWykaz;
    QPushButton* btnPorownaj;   // "Porównanie z kasą"
    QPushButton* btnZapiszPor;  // "Zapisz raport"
    QPushButton* btnZaznaczPor; // "Zaznacz do eksportu"
    QPlainTextEdit* Memo1;

    // "Wczytaj wykaz", also bound to the deletion sub-page's "Odśwież wykaz".
    void btnRefeshDelClick();
    void RefreshRegisterGoods();

    // "Porównanie z kasą": reads the register's goods and shows the comparison with the catalogue.
    void btnPorownajClick();
    // Saves the comparison's report beside the other reports.
    void btnZapiszPorClick();
    // Selects the goods the register lacks and those that differ on the export page, ready to send.
    void btnZaznaczPorClick();

    // Replaces the text area's content by the lines (Windows-1250).
    void SetRegisterGoods(const std::vector<std::string>& lines);
    // The last comparison made on this page (no report before the first).
    const ComparisonResult& LastComparison() const { return comparison_; }

private:
    void UpdateComparisonButtons();
    DeletionPage* deletionPage_ = nullptr;
    ComparisonResult comparison_;
};
