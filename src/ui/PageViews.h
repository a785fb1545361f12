#pragma once
// Connects the main window's working pages with the modules that write into them: the catalogue module reaches
// the export page, the parameters page and the readout page through its interfaces; the exchange module reaches
// the readout, register goods and deletion pages through IExchangeView (implemented here by forwarding) and the
// export page through IExportPage. Also links the pages that act on each other's buttons.
#include "exchange/ExchangeView.h"

#include <QObject>

class DeletionPage;
class ExportPage;
class OperationRunner;
class ParamsPage;
class ReadoutPage;
class RegisterGoodsPage;
class TFrm;

class PageViews : public QObject, public IExchangeView
{
public:
    // Installs the pages into the catalogue module at once and into the exchange module as soon as it exists
    // (the program creates it after the main window, before showing it). A child of the window.
    explicit PageViews(TFrm& window);
    // Takes the pages out of the modules again.
    ~PageViews() override;

    // Installs the pages into the modules that exist now.
    void Install();

    // ---- IExchangeView
    void MemoClear() override;
    void MemoInsertFirst(const std::string& line) override;
    void MemoAppend(const std::vector<std::string>& lines) override;
    void SetRegisterGoods(const std::vector<std::string>& lines) override;
    std::vector<PickedGood> PickedGoods() const override;
    void UnpickRow(int row) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QObject* window_;
    ExportPage* exportPage_;
    ReadoutPage* readoutPage_;
    RegisterGoodsPage* registerGoodsPage_;
    DeletionPage* deletionPage_;
    ParamsPage* paramsPage_;
    OperationRunner* runner_;
};
