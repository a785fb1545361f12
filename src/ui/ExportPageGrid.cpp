// The goods grid of the export page: the cursor row, the marks that follow the goods, the count label and the
// single toggles of a good's selection and price lock.
#include "ui/ExportPage.h"

#include "app/ConstUnit.h"
#include "catalogue/Dmutils.h"
#include "db/dbDDM.h"
#include "exchange/FmElzab.h"
#include "ui/DeletionPage.h"
#include "ui/GoodsModel.h"
#include "ui/OperationRunner.h"
#include "ui/PageControls.h"
#include "ui/UiText.h"
#include "util/MyUtil.h"
#include "util/Screen.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace
{
const std::string SelectedCountSql = "select count(*) as il from blok_cen where wybor=1";
} // namespace

// ---- the grid

namespace
{
// Paints the row under the cursor in the cursor colour, unless it is marked.
class CursorRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* view = static_cast<const QAbstractItemView*>(parent());
        if (index.row() == view->currentIndex().row() && !(option.state & QStyle::State_Selected))
            painter->fillRect(option.rect, QColor(0xFF, 0xE8, 0x90));
        QStyledItemDelegate::paint(painter, option, index);
    }
};
} // namespace

GoodsGrid::GoodsGrid(QWidget* parent) : QTableView(parent)
{
    setItemDelegate(new CursorRowDelegate(this));
}

void GoodsGrid::SetColumnWidths(std::vector<std::pair<int, int>> narrow, int nameChars)
{
    narrowWidths_ = std::move(narrow);
    nameChars_ = nameChars;
    roomy_.reset();
    FitColumns();
}

void GoodsGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    FitColumns();
}

void GoodsGrid::FitColumns()
{
    if (model() == nullptr || narrowWidths_.empty())
        return;
    const QFontMetrics metrics = horizontalHeader()->fontMetrics();
    const int extra = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) +
                      style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, horizontalHeader()) + 4;
    std::vector<int> whole;
    int wholeSum = 0;
    for (const auto& [column, narrow] : narrowWidths_) {
        const QString title = model()->headerData(column, Qt::Horizontal).toString();
        whole.push_back(std::max(narrow, metrics.horizontalAdvance(title) + extra));
        wholeSum += whole.back();
    }
    const int nameRoom = fontMetrics().horizontalAdvance(QString(nameChars_, QLatin1Char('n'))) + 12;
    const bool roomy = viewport()->width() - wholeSum >= nameRoom;
    // Only a change between the two keeps a width the operator dragged.
    if (roomy == roomy_)
        return;
    roomy_ = roomy;
    for (std::size_t i = 0; i < narrowWidths_.size(); ++i)
        setColumnWidth(narrowWidths_[i].first, roomy ? whole[i] : narrowWidths_[i].second);
}

void GoodsGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // The whole rows, not only the cells, change their colour.
    for (const QModelIndex& index : {previous, current})
        if (index.isValid())
            viewport()->update(QRect(0, rowViewportPosition(index.row()), viewport()->width(), rowHeight(index.row())));
}

void GoodsGrid::keyPressEvent(QKeyEvent* event)
{
    // Space acts on release, as the page's command; the grid must not mark the row on the press.
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat())
            spaceWithCtrl_ = event->modifiers().testFlag(Qt::ControlModifier);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GoodsGrid::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its presses and releases; the command runs once, on the real release. For Space, Ctrl
    // counts as it was when the key went down.
    if (!event->isAutoRepeat() && onKeyUp) {
        Qt::KeyboardModifiers modifiers = event->modifiers();
        if (event->key() == Qt::Key_Space)
            modifiers.setFlag(Qt::ControlModifier, spaceWithCtrl_);
        onKeyUp(event->key(), modifiers);
    }
    QTableView::keyReleaseEvent(event);
}

// ---- cursor and marks

int ExportPage::CurrentRow() const
{
    return XDBG->currentIndex().isValid() ? XDBG->currentIndex().row() : -1;
}

void ExportPage::SetCurrentRow(int row)
{
    if (model_ == nullptr || model_->rowCount() == 0)
        return;
    row = std::clamp(row, 0, model_->rowCount() - 1);
    const QModelIndex index = model_->index(row, std::max(XDBG->currentIndex().column(), 0));
    // Moving the cursor leaves the marks alone.
    XDBG->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    XDBG->scrollTo(index);
}

void ExportPage::TrackMarks(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (restoringMarks_)
        return;
    for (const QItemSelectionRange& range : deselected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            markedGoods_.erase(model_->Symbol(row));
    for (const QItemSelectionRange& range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            markedGoods_.insert(model_->Symbol(row));
}

void ExportPage::RestoreMarks()
{
    QItemSelection marks;
    int first = -1;
    const int rows = model_->rowCount();
    for (int row = 0; row <= rows; ++row) {
        const bool marked = row < rows && markedGoods_.count(model_->Symbol(row)) > 0;
        if (marked && first < 0)
            first = row;
        if (!marked && first >= 0) {
            marks.select(model_->index(first, 0), model_->index(row - 1, GoodsModel::ColumnCount - 1));
            first = -1;
        }
    }
    const QScopedValueRollback quiet(restoringMarks_, true);
    XDBG->selectionModel()->select(marks, QItemSelectionModel::ClearAndSelect);
}

// ---- count label

void ExportPage::IIfno()
{
    const int rows = model_ != nullptr ? model_->rowCount() : dmu->SDSTowary.RecordCount();
    lbIlosc->setText(QStringLiteral("Ilość pozycji: %1/%2").arg(rows).arg(SelectedCount()));
}

int ExportPage::SelectedCount() const
{
    return static_cast<int>(dm->ReadInteger("il", SelectedCountSql, 0));
}

// ---- single toggles

void ExportPage::XDBGKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (key != Qt::Key_Space)
        return;
    ToggleRow(CurrentRow(), (modifiers & Qt::ControlModifier) ? "blok" : "wybor", true);
}

void ExportPage::XDBGCellClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (index.column() == GoodsModel::ColWybor)
        ToggleRow(index.row(), "wybor", false);
    else if (index.column() == GoodsModel::ColBlok)
        ToggleRow(index.row(), "blok", false);
}

void ExportPage::ToggleRow(int row, const std::string& field, bool moveDown)
{
    if (model_ == nullptr)
        return;
    const int dataRow = model_->DataRow(row);
    if (dataRow < 0)
        return;
    const int rowsBefore = model_->rowCount();
    // The good's row is refreshed in place; it leaves the list when it no longer matches the filters. A mark the
    // database refused is announced, and the cursor stays on the good.
    if (!dmu->ToggleFlag(dataRow, field))
        return;
    const bool left = model_->rowCount() < rowsBefore;
    IIfno(); // the count of marked goods follows each mark
    // The next good is one row down, or already in this row when the toggled good has left the list.
    SetCurrentRow(moveDown && !left ? row + 1 : row);
}
