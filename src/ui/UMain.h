#pragma once
// The main window: the register list, the sales date, the pages of the program, the status line and the
// help buttons. Its creation shows the log-in window; its first showing loads the working data.
#include "app/ConstUnit.h"

#include <QMainWindow>
#include <QMap>

class DeletionPage;
class ErrorReportPage;
class ExportPage;
class OperationRunner;
class HelpWindow;
class ParamsPage;
class QDateEdit;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class ReadoutPage;
class RegisterGoodsPage;
class RegisterListModel;

class TFrm : public QMainWindow, public IStatusLine, public IDatePicker
{
public:
    // Runs FormCreate: shows the log-in window modally before returning.
    explicit TFrm(QWidget* parent = nullptr);
    ~TFrm() override;

    // ---- controls
    QPushButton* btnExit;
    QDateEdit* dtpSprz;
    QPushButton* btnHlp;
    QTableView* dbgWK;
    QTabWidget* PCtrlMain;
    QWidget* tbsPraca;
    QTabWidget* PCtrlPraca;
    ReadoutPage* tbsOdczyt;
    ExportPage* tbsTowary;
    DeletionPage* tbsDel;
    RegisterGoodsPage* tbsWykazTow;
    ParamsPage* tbsParam;
    ErrorReportPage* tbsErrLog;
    QWidget* tbsOpis;
    QLineEdit* edErr;
    // "Trwa wymiana danych z kasą…" while a register operation runs.
    QLabel* lbBusy;
    QPushButton* btnHelp;
    // Register operations: input given during one never acts afterwards.
    OperationRunner* operations;

    // ---- event handlers
    void FormCreate();
    void FormShow();
    void PCtrlMainChange();
    void PCtrlPracaChange();
    void dtpSprzExit();
    void btnHelpClick();
    void btnHlpClick();
    void btnExitClick();
    void FormClose();

    // The help topic of a page or a sub-page of "Praca z kasami" (0: none).
    int HelpTopicOf(QWidget* subPage) const;
    // The topic of the page in front, which F1 opens.
    int CurrentHelpTopic() const;
    // The help window, once a topic has been opened.
    HelpWindow* helpWindow() const { return helpWindow_; }

    // IStatusLine: the status line edErr.
    void ShowStatus(const std::string& text, bool error) override;
    // IDatePicker: the sales date picker dtpSprz.
    Date PickedDate() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildTopBar();
    QWidget* BuildBottomBar();
    void BuildPages();
    void OpenRegisterList();
    void RegisterRowChanged(int row);
    bool FormKeyUp(int key);
    std::string HelpFilePath() const;
    void OpenHelp(int topic);

    RegisterListModel* registerModel_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    QMap<QWidget*, int> helpTopics_;
    bool shown_ = false;
    bool fillingRegisterList_ = false;
};

extern TFrm* Frm;
