#include "ui/GoodsModel.h"

#include "db/DataSet.h"
#include "ui/UiText.h"

#include <QBrush>
#include <QCollator>
#include <QCollatorSortKey>
#include <QFont>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <optional>

namespace
{
bool IsNumber(const Value& value)
{
    const auto& data = value.Data();
    return std::holds_alternative<int64_t>(data) || std::holds_alternative<Decimal>(data) ||
           std::holds_alternative<double>(data);
}
} // namespace

GoodsModel::GoodsModel(const DataSet& rows, PriceText priceText, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows),
      priceText_(std::move(priceText)), fields_{"wybor", "asort", "", "blok", "Stawka_vat", "grupa", "nazwa"},
      titles_{QStringLiteral("  "),        QStringLiteral("Asortyment"), QString(),
              QStringLiteral("Blok.ceny"), QStringLiteral("VAT"),        QStringLiteral("Grupa as."),
              QStringLiteral("Nazwa as.")}
{
    ResolveFields();
    RebuildIdentity();
}

int GoodsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int GoodsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

void GoodsModel::ResolveFields()
{
    for (int column = 0; column < ColumnCount; ++column)
        fieldIndex_[column] = fields_[column].empty() ? -1 : rows_.Fields.IndexOf(fields_[column]);
}

const Value* GoodsModel::Cell(int viewRow, int column) const
{
    const int row = DataRow(viewRow);
    if (row < 0 || column < 0 || column >= ColumnCount)
        return nullptr;
    const int field = fieldIndex_[column];
    const Row& values = rows_.Rows[row];
    if (field < 0 || field >= static_cast<int>(values.size()))
        return nullptr;
    return &values[field];
}

QVariant GoodsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int column = index.column();
    const bool checkColumn = column == ColWybor || column == ColBlok;
    switch (role) {
    case Qt::DisplayRole: {
        if (checkColumn)
            return {};
        const Value* value = Cell(index.row(), column);
        if (value == nullptr)
            return {};
        if (column == priceColumn_)
            return FromCp1250(priceText_ ? priceText_(*value) : value->AsString());
        return FromCp1250(value->AsString());
    }
    case Qt::CheckStateRole: {
        if (!checkColumn)
            return {};
        const Value* value = Cell(index.row(), column);
        if (value == nullptr)
            return {};
        return value->AsInteger() == 1 ? Qt::Checked : Qt::Unchecked;
    }
    case Qt::TextAlignmentRole:
        if (column == priceColumn_)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (column == ColVat || column == ColGrupa || checkColumn)
            return QVariant(Qt::AlignCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole:
        if (column == priceColumn_) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant GoodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The tooltip gives the whole title where a narrow column cuts it.
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::ToolTipRole) && section >= 0 &&
        section < ColumnCount)
        return titles_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GoodsModel::flags(const QModelIndex& index) const
{
    // Read-only; the check boxes change only through the page's commands, never by the view itself.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GoodsModel::SetPriceColumn(int column, const std::string& field)
{
    if (column < 0 || column >= ColumnCount)
        return;
    priceColumn_ = column;
    fields_[column] = field;
    titles_[column] = FromCp1250(field);
    ResolveFields();
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (!order_.empty())
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

// ---- rows

int GoodsModel::DataRow(int viewRow) const
{
    if (viewRow < 0 || viewRow >= static_cast<int>(order_.size()))
        return -1;
    const int row = order_[viewRow];
    return row < rows_.RecordCount() ? row : -1;
}

int GoodsModel::ViewRow(int dataRow) const
{
    if (dataRow < 0 || dataRow >= static_cast<int>(viewOf_.size()))
        return -1;
    return viewOf_[dataRow];
}

std::string GoodsModel::FieldText(int viewRow, const std::string& field) const
{
    const int row = DataRow(viewRow);
    const int column = rows_.Fields.IndexOf(field);
    if (row < 0 || column < 0)
        return {};
    return rows_.Rows[row][column].AsString();
}

std::string GoodsModel::Symbol(int viewRow) const
{
    const Value* value = Cell(viewRow, ColAsort);
    return value != nullptr ? value->AsString() : std::string();
}

void GoodsModel::RebuildIdentity()
{
    order_.resize(rows_.Active() ? rows_.Rows.size() : 0);
    std::iota(order_.begin(), order_.end(), 0);
    RebuildViewIndex();
}

void GoodsModel::RebuildViewIndex()
{
    viewOf_.assign(order_.size(), -1);
    for (size_t view = 0; view < order_.size(); ++view)
        if (order_[view] >= 0 && order_[view] < static_cast<int>(viewOf_.size()))
            viewOf_[order_[view]] = static_cast<int>(view);
}

void GoodsModel::Reopened()
{
    beginResetModel();
    ResolveFields();
    RebuildIdentity();
    ApplySort();
    endResetModel();
}

void GoodsModel::RowChanged(int row)
{
    // The row keeps its place in the grid, also when the changed value is the one sorted by: the operator's
    // cursor moves on from where the good was.
    const int view = ViewRow(row);
    if (view >= 0)
        emit dataChanged(index(view, 0), index(view, ColumnCount - 1));
}

void GoodsModel::RowRemoving(int row)
{
    const int view = ViewRow(row);
    if (view < 0)
        return;
    beginRemoveRows({}, view, view);
    removing_ = true;
    order_.erase(order_.begin() + view);
    // The data set rows behind the one leaving move up by one.
    for (int& dataRow : order_)
        if (dataRow > row)
            --dataRow;
    RebuildViewIndex();
}

void GoodsModel::RowRemoved(int /*row*/)
{
    // The grid learns of the removal only once the data set has dropped the row.
    if (!removing_)
        return;
    removing_ = false;
    endRemoveRows();
    if (static_cast<int>(order_.size()) != rows_.RecordCount())
        Reopened(); // the data set changed otherwise than announced
}

// ---- sorting

void GoodsModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> dataRows;
    dataRows.reserve(before.size());
    for (const QModelIndex& index : before)
        dataRows.push_back(DataRow(index.row()));

    sortColumn_ = column >= 0 && column < ColumnCount ? column : -1;
    sortOrder_ = order;
    RebuildIdentity();
    ApplySort();

    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i) {
        const int view = ViewRow(dataRows[i]);
        after.push_back(view < 0 ? QModelIndex() : index(view, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GoodsModel::ApplySort()
{
    if (sortColumn_ < 0 || order_.empty())
        return;
    const int field = fieldIndex_[sortColumn_];
    if (field < 0)
        return;
    const auto value = [&](int row) -> const Value& { return rows_.Rows[row][field]; };

    bool numeric = true;
    for (int row : order_)
        if (!value(row).IsNull() && !IsNumber(value(row))) {
            numeric = false;
            break;
        }

    // Keys are computed once per row; NULL sorts first.
    const size_t count = rows_.Rows.size();
    std::vector<char> isNull(count);
    std::vector<double> numbers;
    std::vector<std::optional<QCollatorSortKey>> texts;
    QCollator collator{QLocale(QLocale::Polish, QLocale::Poland)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true); // symbol 9 before symbol 10
    if (numeric)
        numbers.resize(count);
    else
        texts.resize(count);
    for (int row : order_) {
        const Value& v = value(row);
        isNull[row] = v.IsNull();
        if (v.IsNull())
            continue;
        if (numeric)
            numbers[row] = v.AsFloat();
        else
            texts[row].emplace(collator.sortKey(FromCp1250(v.AsString())));
    }

    const auto less = [&](int a, int b) {
        if (isNull[a] || isNull[b])
            return isNull[a] && !isNull[b];
        if (numeric)
            return numbers[a] < numbers[b];
        return texts[a]->compare(*texts[b]) < 0;
    };
    if (sortOrder_ == Qt::AscendingOrder)
        std::stable_sort(order_.begin(), order_.end(), less);
    else
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return less(b, a); });
    RebuildViewIndex();
}
