#pragma once
// The goods grid XDBG as a table model: a thin adapter over the catalogue view (Tdmu::SDSTowary), which holds the
// rows. The model owns only the order in which the rows are shown (a permutation of the data set's rows), so a
// sort never copies a row.
#include <QAbstractTableModel>

#include <array>
#include <functional>
#include <string>
#include <vector>

class DataSet;
class Value;

class GoodsModel : public QAbstractTableModel
{
public:
    // The grid's columns, in order.
    enum Column { ColWybor, ColAsort, ColPrice, ColBlok, ColVat, ColGrupa, ColNazwa, ColumnCount };

    // How a price is shown (Tdmu::PriceGetText).
    using PriceText = std::function<std::string(const Value&)>;

    GoodsModel(const DataSet& rows, PriceText priceText, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Column -1 restores the order the server returned.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Points the column at `column` at the field `field`, titles it with the field's name and shows its values as
    // prices.
    void SetPriceColumn(int column, const std::string& field);

    // ---- what the catalogue tells about its data set
    // The data set was reopened or re-read: all rows anew, in the current sort order.
    void Reopened();
    // Data set row `row` was replaced in place.
    void RowChanged(int row);
    // Data set row `row` is about to leave / has left the data set.
    void RowRemoving(int row);
    void RowRemoved(int row);

    // Row positions: grid row -> data set row and back; -1 when there is none.
    int DataRow(int viewRow) const;
    int ViewRow(int dataRow) const;
    // A field of the row shown at grid row `viewRow`, as the data set holds it (Windows-1250); empty when none.
    std::string FieldText(int viewRow, const std::string& field) const;
    // The goods symbol ("asort") shown at grid row `viewRow`.
    std::string Symbol(int viewRow) const;

    // The field a column shows.
    const std::string& ColumnField(int column) const { return fields_[column]; }

private:
    // Positions of the columns' fields in the data set, looked up again whenever the fields may have changed.
    void ResolveFields();
    const Value* Cell(int viewRow, int column) const;
    void RebuildIdentity();
    void ApplySort();
    void RebuildViewIndex();

    const DataSet& rows_;
    PriceText priceText_;
    std::array<std::string, ColumnCount> fields_;
    std::array<QString, ColumnCount> titles_;
    std::array<int, ColumnCount> fieldIndex_{};
    int priceColumn_ = ColPrice;
    bool removing_ = false;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    std::vector<int> order_;  // grid row -> data set row
    std::vector<int> viewOf_; // data set row -> grid row
};
