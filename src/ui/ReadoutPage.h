#pragma once
// The sub-page "Odczyt sprzedaży i eksport do Wolnar" (tbsOdczyt): sales readout, the stored readouts of the day,
// counter reset and the hand-over of a readout to Wolnar.
#include "catalogue/CatalogueView.h"

#include <QWidget>

#include <string>
#include <vector>

class QFrame;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPushButton;

class ReadoutPage : public QWidget, public IReadoutPanel
{
public:
    explicit ReadoutPage(QWidget* parent = nullptr);

    QPushButton* btnRead;
    QPushButton* btnOdczyty;
    QPushButton* btnNumReset;
    QPushButton* btnSendData;
    QPushButton* btnSendPending; // every readout and reset report of the register not handed over yet
    QPlainTextEdit* Memo;
    QFrame* pnlWkz;
    QPushButton* BtnCloseWKZ;
    QListWidget* lbOdczyty;
    QMenu* pmOdczyty;

    // ---- operations and event handlers
    void btnReadClick();
    void btnOdczytyClick();
    void ShowReadouts();
    // Chooses the entry of the list (mouse or keyboard): shows that readout.
    void lbOdczytyClick(QListWidgetItem* item);
    void BtnCloseWKZClick();
    void btnNumResetClick();
    void ResetSalesCounters();
    void btnSendDataClick();
    void btnSendPendingClick();

    // ---- the text area as the register operations see it (Windows-1250 texts)
    void MemoClear();
    void MemoInsertFirst(const std::string& line);
    void MemoAppend(const std::vector<std::string>& lines);

    // ---- IReadoutPanel
    void ClearReadoutText() override;
    void CloseReadoutList() override;

private:
    // Sizes the stored-readouts list to its entries and gives each its whole text as a tooltip.
    void FitReadoutList();
    // Hands the readout file `path` to Wolnar, as one register operation.
    void SendReading(const std::string& path);
    // The entry the list's context menu was opened on.
    QListWidgetItem* menuItem_ = nullptr;
};
