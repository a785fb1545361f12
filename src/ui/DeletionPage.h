#pragma once
// The sub-page "Kasowanie towarów w kasie" (tbsDel): deletion of goods in the register. The main window keeps its
// tab hidden, and its grid is bound to no data.
#include "exchange/ExchangeView.h"

#include <QWidget>

#include <vector>

class QGroupBox;
class QPushButton;
class QTableView;

class DeletionPage : public QWidget
{
public:
    explicit DeletionPage(QWidget* parent = nullptr);

    void FocusGrid();

    QTableView* XDBGK;
    QPushButton* btnRefeshDel;
    QGroupBox* grpDel;
    QPushButton* btnDel;
    QPushButton* btnDelAll;

    void btnDelClick();
    void btnDelAllClick();

    // ---- the grid and buttons as the deletion operations see them
    // The marked rows in the order they were marked, each with the register code in the grid's first column.
    std::vector<PickedGood> PickedGoods() const;
    void UnpickRow(int row);
};
