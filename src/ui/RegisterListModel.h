#pragma once
// The register list as the grid dbgWK sees it: one column "Kasa" over the rows of a data set, each shown
// through the display rule of the register code.
#include <QAbstractTableModel>

#include <functional>
#include <string>

class DataSet;
class Value;

class RegisterListModel : public QAbstractTableModel
{
public:
    using DisplayRule = std::function<std::string(const Value&)>;

    RegisterListModel(const DataSet& rows, DisplayRule rule, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The data set has been reopened: show its rows anew.
    void Reload();

private:
    const DataSet& rows_;
    DisplayRule rule_;
};
