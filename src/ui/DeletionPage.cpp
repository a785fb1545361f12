#include "ui/DeletionPage.h"

#include "app/ConstUnit.h"
#include "exchange/FmElzab.h"
#include "ui/OperationRunner.h"
#include "ui/UiText.h"
#include "util/Cp1250Literal.h"
#include "util/Screen.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

DeletionPage::DeletionPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tbsDel"));
    XDBGK = new QTableView(this);
    XDBGK->setObjectName(QStringLiteral("XDBGK"));
    XDBGK->setSelectionBehavior(QAbstractItemView::SelectRows);
    XDBGK->setSelectionMode(QAbstractItemView::MultiSelection);
    XDBGK->setEditTriggers(QAbstractItemView::NoEditTriggers);
    XDBGK->verticalHeader()->hide();

    btnRefeshDel = new QPushButton(QStringLiteral("Odśwież wykaz"), this);
    btnRefeshDel->setObjectName(QStringLiteral("btnRefeshDel"));
    btnRefeshDel->setAutoDefault(false);

    grpDel = new QGroupBox(QStringLiteral(" Kasowanie towarów w kasie "), this);
    grpDel->setObjectName(QStringLiteral("grpDel"));
    btnDel = new QPushButton(QStringLiteral("Zaznaczone pozycje"), grpDel);
    btnDel->setObjectName(QStringLiteral("btnDel"));
    btnDelAll = new QPushButton(QStringLiteral("Wszystkie towary"), grpDel);
    btnDelAll->setObjectName(QStringLiteral("btnDelAll"));
    auto* delLayout = new QVBoxLayout(grpDel);
    delLayout->addWidget(btnDel);
    delLayout->addWidget(btnDelAll);
    connect(btnDel, &QPushButton::clicked, this, &DeletionPage::btnDelClick);
    connect(btnDelAll, &QPushButton::clicked, this, &DeletionPage::btnDelAllClick);

    auto* side = new QVBoxLayout;
    side->addWidget(btnRefeshDel);
    side->addWidget(grpDel);
    side->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(XDBGK, 1);
    layout->addLayout(side);
}

void DeletionPage::FocusGrid()
{
    XDBGK->setFocus(Qt::OtherFocusReason);
}

void DeletionPage::btnDelClick()
{
    const RegisterOperation operation(this);
    fmE->aKasujTowarExecute();
}

void DeletionPage::btnDelAllClick()
{
    // Nothing brings back the goods of a register once they are deleted.
    if (!AskYesNo("Kasowanie towarów"_cp, "Czy skasować wszystkie towary w kasie "_cp + RegisterCode + "?"))
        return;
    const RegisterOperation operation(this);
    Komunikat("", false);
    OpStartTime = TimeNow();
    fmE->aKasujWszystkieTowaryExecute();
}

std::vector<PickedGood> DeletionPage::PickedGoods() const
{
    std::vector<PickedGood> picked;
    const QItemSelectionModel* selection = XDBGK->selectionModel();
    if (selection == nullptr || XDBGK->model() == nullptr)
        return picked;
    for (const QModelIndex& index : selection->selectedRows(0))
        picked.push_back({index.row(), ToCp1250(index.data().toString())});
    return picked;
}

void DeletionPage::UnpickRow(int row)
{
    QItemSelectionModel* selection = XDBGK->selectionModel();
    if (selection != nullptr && XDBGK->model() != nullptr)
        selection->select(XDBGK->model()->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}
