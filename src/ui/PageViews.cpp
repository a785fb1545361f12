#include "ui/PageViews.h"

#include "catalogue/Dmutils.h"
#include "exchange/FmElzab.h"
#include "ui/DeletionPage.h"
#include "ui/ExportPage.h"
#include "ui/OperationRunner.h"
#include "ui/ParamsPage.h"
#include "ui/ReadoutPage.h"
#include "ui/RegisterGoodsPage.h"
#include "ui/UMain.h"

#include <QEvent>
#include <QPushButton>

PageViews::PageViews(TFrm& window)
    : QObject(&window), window_(&window), exportPage_(window.tbsTowary), readoutPage_(window.tbsOdczyt),
      registerGoodsPage_(window.tbsWykazTow), deletionPage_(window.tbsDel), paramsPage_(window.tbsParam),
      runner_(window.operations)
{
    registerGoodsPage_->SetDeletionPage(deletionPage_);
    connect(deletionPage_->btnRefeshDel, &QPushButton::clicked, registerGoodsPage_,
            &RegisterGoodsPage::btnRefeshDelClick);
    Install();
    window.installEventFilter(this);
}

PageViews::~PageViews()
{
    if (dmu) {
        if (dmu->goodsPage == exportPage_)
            dmu->goodsPage = nullptr;
        if (dmu->settingsPage == paramsPage_)
            dmu->settingsPage = nullptr;
        if (dmu->readoutPanel == readoutPage_)
            dmu->readoutPanel = nullptr;
    }
    if (fmE) {
        if (fmE->callRunner == runner_)
            fmE->callRunner = nullptr;
        if (fmE->view == this)
            fmE->view = nullptr;
        if (fmE->exportPage == exportPage_)
            fmE->exportPage = nullptr;
    }
}

void PageViews::Install()
{
    if (dmu) {
        dmu->goodsPage = exportPage_;
        dmu->settingsPage = paramsPage_;
        dmu->readoutPanel = readoutPage_;
    }
    if (fmE) {
        fmE->callRunner = runner_;
        fmE->view = this;
        fmE->exportPage = exportPage_;
    }
}

bool PageViews::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Show && fmE && fmE->view != this)
        Install();
    return QObject::eventFilter(watched, event);
}

// ---- IExchangeView

void PageViews::MemoClear()
{
    readoutPage_->MemoClear();
}

void PageViews::MemoInsertFirst(const std::string& line)
{
    readoutPage_->MemoInsertFirst(line);
}

void PageViews::MemoAppend(const std::vector<std::string>& lines)
{
    readoutPage_->MemoAppend(lines);
}

void PageViews::SetRegisterGoods(const std::vector<std::string>& lines)
{
    registerGoodsPage_->SetRegisterGoods(lines);
}

std::vector<PickedGood> PageViews::PickedGoods() const
{
    return deletionPage_->PickedGoods();
}

void PageViews::UnpickRow(int row)
{
    deletionPage_->UnpickRow(row);
}
