#pragma once
// The sub-page "Eksport towarów do kasy" (tbsTowary): the goods catalogue with price locks and selections, its
// filters, the search field and the export to a register or to the Eureka goods file.
#include "catalogue/CatalogueView.h"
#include "exchange/ExportView.h"

#include <QTableView>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

class GoodsModel;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QItemSelection;
class QLabel;
class ElidedLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class RadioGroup;

// The goods grid: whole rows, several rows can be marked, and the Space bar (with or without Ctrl) belongs to the
// page's commands instead of the grid's own row marking. The row under the cursor stays highlighted also while
// the grid does not have the focus, as the operator follows the cursor through commands and exports.
class GoodsGrid : public QTableView
{
public:
    explicit GoodsGrid(QWidget* parent = nullptr);
    // Called on the release of a key, with the modifiers held at that moment.
    std::function<void(int key, Qt::KeyboardModifiers modifiers)> onKeyUp;
    // The widths of the columns before the name (which takes the rest): narrow enough for a small screen. Where the
    // grid is wide enough to show whole headers and still keep `nameChars` letters of the name, the columns widen
    // to their headers.
    void SetColumnWidths(std::vector<std::pair<int, int>> narrow, int nameChars);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Whether Ctrl was held when the Space bar went down: Space acts on its release, and people often let go of
    // Ctrl a moment before Space.
    bool spaceWithCtrl_ = false;
    void FitColumns();
    std::vector<std::pair<int, int>> narrowWidths_;
    int nameChars_ = 0;
    std::optional<bool> roomy_; // whether the whole headers are shown; unknown before the first fit
};

class ExportPage : public QWidget, public IGoodsPage, public IExportPage
{
public:
    explicit ExportPage(QWidget* parent = nullptr);
    ~ExportPage() override;

    // Called by the main window when it is first shown: bind the goods grid to the catalogue view.
    void BindGoods();
    // True while the goods group list holds no group.
    bool GroupListEmpty() const;
    void FocusGoodsGrid();
    // F2: the search field takes the focus.
    void FocusSearch();

    // ---- controls, left column
    QListWidget* cbGrupy;
    RadioGroup* rgBlok;
    RadioGroup* rgViewBlok;
    RadioGroup* rgWybor;
    RadioGroup* rgViewWybor;
    QGroupBox* grpEksport;
    QRadioButton* rgKasa;
    QRadioButton* rgEureka;
    QPushButton* btnEksport;
    QCheckBox* cbStopExpo;
    RadioGroup* rgDane;
    QPushButton* BitBtn1;
    // ---- controls, right side
    QToolButton* btnFirst;
    QToolButton* btnPrior;
    QToolButton* btnNext;
    QToolButton* btnLast;
    GoodsGrid* XDBG;
    QLabel* lbIlosc;
    // Names the view the grid shows (price locks, marks, groups): the view's radio groups act as commands and keep
    // no choice of their own.
    ElidedLabel* lbWidok;
    QWidget* pnlPostep;
    QProgressBar* pbEksport;
    // "Zatrzymaj" beside the progress: stops a register export between two goods (as Escape does).
    QPushButton* btnStop;
    QFrame* pnlEureka;
    QLineEdit* lbePlikE;
    QPushButton* BtnExpoCnt;
    QPushButton* BtnExpoCan;
    QGroupBox* grpSeek;
    QRadioButton* rbSeekAsort;
    QRadioButton* rbSeekNazwa;
    QRadioButton* rbSeekKod;
    QLineEdit* edSeek;
    QToolButton* btnSeek;
    QMenu* pm;
    QAction* aTestNazwa;

    GoodsModel* Model() const { return model_; }
    // The grid's cursor, as a grid row (-1 when the list is empty).
    int CurrentRow() const;
    void SetCurrentRow(int row);

    // ---- operations and event handlers
    void IIfno();
    void ShowActiveView();
    void ApplyGroupFilter();
    void btnSelAllClick();
    void BtnUnSelAllClick();
    void BtnInvertClick();
    void XDBGKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void XDBGCellClick(const QModelIndex& index);
    void rgBlokClick();
    void rgViewBlokClick();
    void rgWyborClick();
    // "zmienione od ostatniego eksportu": selects the goods of the view that need sending to the current register.
    void SelectChangedClick();
    void rgViewWyborClick();
    void edSeekKeyUp(int key);
    void rbSeekClick();
    void btnEksportClick();
    void rgKasaClick();
    void rgEurekaClick();
    void BtnExpoCntClick();
    void BtnExpoCanClick();
    void btnStopClick();
    void BitBtn1Click();
    void aTestNazwaExecute();

    // ---- IGoodsPage
    void SetPriceColumn(int column, const std::string& field) override;
    void RefreshCount() override;
    void SetGroups(const std::vector<std::string>& items) override;
    void GoodsViewReopened() override;
    void GoodsRowChanged(int row) override;
    void GoodsRowRemoving(int row) override;
    void GoodsRowRemoved(int row) override;
    void GoodsCurrentRow(int row) override;

    // ---- IExportPage
    bool FullData() const override;
    bool StopOnFirstError() const override;
    std::string EurekaFileName() const override;
    void ShowProgress(std::size_t done, std::size_t total, const std::string& symbol) override;
    void UntickGroups() override;
    bool StopRequested() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The left column: the goods groups, the bulk commands (BuildBulkCommands: price locks, selection and the
    // export's choices, BuildExportChoices) and "Odśwież wykaz".
    QWidget* BuildLeftColumn();
    QLayout* BuildBulkCommands(QWidget* column);
    void BuildExportChoices(QWidget* column);
    // The right side: the navigator, the goods grid with its menu (BuildGoodsGrid), the count and the export's
    // progress (BuildCountRow), the Eureka file panel (BuildEurekaPanel) and the search.
    QWidget* BuildRightSide();
    void BuildGoodsGrid(QWidget* side);
    QLayout* BuildCountRow(QWidget* side);
    QWidget* BuildEurekaPanel(QWidget* side);
    QWidget* BuildNavigator();
    QWidget* BuildSearch();
    // Flips the flag of the good in grid row `row`; the cursor then stands on that row, or with `moveDown` on the
    // next good.
    void ToggleRow(int row, const std::string& field, bool moveDown);
    // Moves the cursor to the first good in list order whose search field begins with `text`, letter case
    // ignored; the cursor stays when none does.
    void Seek(const QString& text);
    int SelectedCount() const;
    // The export of the selected goods to the register, with the stop button shown.
    void ExportToRegister();
    void HideProgress();
    // The marks and the cursor follow the goods through a re-read of the list.
    void TrackMarks(const QItemSelection& selected, const QItemSelection& deselected);
    void RestoreMarks();

    GoodsModel* model_ = nullptr;
    std::string shownQuery_;                      // the query of the rows the grid shows
    std::string currentGood_;                     // asort of the good under the cursor
    std::unordered_set<std::string> markedGoods_; // asort of the marked goods
    bool restoringMarks_ = false;
    bool stopRequested_ = false;
};
