#pragma once
// A Qt item model over a data source, for grids: one row per view row of the dataset, one
// column per chosen field (by name, swappable at run time). Display text comes through the
// field's text handler or display format; edits update the view with dataChanged, inserts and
// deletes with row insertions and removals, never a reset.

#include "framework/data/datasource.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class TDataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDataSetModel(QObject* parent = nullptr);

    void SetDataSource(TDataSource* source);
    TDataSource* DataSource() const;

    // Columns by field name; an empty list shows every visible field.
    void SetColumns(const QStringList& fieldNames);
    QStringList Columns() const;
    // Keeps the column in place; `titleChanged` false spares the header a relayout when the
    // view shows the column under a title of its own that stays as it was.
    void SetColumnField(int column, const QString& fieldName, bool titleChanged = true);
    TField* ColumnField(int column) const;  // nullptr when unbound

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // DisplayRole: display text; EditRole: edit text. The raw value is not offered as a
    // QVariant: ask the field.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TClientDataSet* dataSet() const;
    void rebind();
    void reset();
    void onRowChanged(int viewRow);
    void onRowInserted(int viewRow);
    void onRowRemoved(int viewRow);
    void onRowMoved(int from, int to);

    QPointer<TDataSource> source_;
    QStringList columns_;            // as asked; empty: every visible field
    std::vector<int> fieldIndexes_;  // per column; -1 when the name is not a field
    // Rows as last told to the views: between a change of the dataset and its notification
    // the views must keep seeing the old count.
    int rows_ = 0;
    QList<QMetaObject::Connection> connections_;
};
