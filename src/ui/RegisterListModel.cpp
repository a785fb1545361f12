#include "ui/RegisterListModel.h"

#include "db/DataSet.h"
#include "ui/UiText.h"

RegisterListModel::RegisterListModel(const DataSet& rows, DisplayRule rule, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), rule_(std::move(rule))
{
}

int RegisterListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !rows_.Active())
        return 0;
    return rows_.RecordCount();
}

int RegisterListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant RegisterListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return FromCp1250(rule_(rows_.At(index.row(), "kod_kasa")));
}

QVariant RegisterListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return QStringLiteral("Kasa");
    return QAbstractTableModel::headerData(section, orientation, role);
}

void RegisterListModel::Reload()
{
    beginResetModel();
    endResetModel();
}
