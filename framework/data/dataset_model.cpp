#include "framework/data/dataset_model.h"

#include "framework/core/exceptions.h"

#include <QtGlobal>

TDataSetModel::TDataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

TClientDataSet* TDataSetModel::dataSet() const { return source_ ? source_->DataSet() : nullptr; }

void TDataSetModel::SetDataSource(TDataSource* source)
{
    for (const auto& c : connections_) disconnect(c);
    connections_.clear();
    source_ = source;
    if (source) {
        connections_ << connect(source, &TDataSource::dataSetAttached, this, &TDataSetModel::reset)
                     << connect(source, &TDataSource::activeChanged, this, &TDataSetModel::reset)
                     << connect(source, &TDataSource::dataSetChanged, this, &TDataSetModel::reset)
                     << connect(source, &TDataSource::rowChanged, this, [this](int row, int) { onRowChanged(row); })
                     << connect(source, &TDataSource::rowInserted, this, &TDataSetModel::onRowInserted)
                     << connect(source, &TDataSource::rowRemoved, this, &TDataSetModel::onRowRemoved)
                     << connect(source, &TDataSource::rowMoved, this, &TDataSetModel::onRowMoved)
                     << connect(source, &QObject::destroyed, this, &TDataSetModel::reset);
    }
    reset();
}

TDataSource* TDataSetModel::DataSource() const { return source_; }

void TDataSetModel::SetColumns(const QStringList& fieldNames)
{
    beginResetModel();
    columns_ = fieldNames;
    rebind();
    endResetModel();
}

QStringList TDataSetModel::Columns() const { return columns_; }

void TDataSetModel::SetColumnField(int column, const QString& fieldName, bool titleChanged)
{
    if (column < 0 || column >= columnCount()) return;
    if (columns_.isEmpty()) {
        // Columns taken from the visible fields become an explicit list.
        const TClientDataSet* ds = dataSet();
        for (int fi : fieldIndexes_)
            columns_ << (ds && fi >= 0 && fi < ds->FieldCount() ? ds->Fields(fi).FieldName() : QString());
    }
    columns_[column] = fieldName;
    const TClientDataSet* ds = dataSet();
    const TField* f = ds ? ds->FindField(fieldName) : nullptr;
    fieldIndexes_[static_cast<size_t>(column)] = f ? f->Index() : -1;
    if (titleChanged) emit headerDataChanged(Qt::Horizontal, column, column);
    if (rows_ > 0) emit dataChanged(index(0, column), index(rows_ - 1, column));
}

TField* TDataSetModel::ColumnField(int column) const
{
    const TClientDataSet* ds = dataSet();
    if (!ds || column < 0 || column >= static_cast<int>(fieldIndexes_.size())) return nullptr;
    const int fi = fieldIndexes_[static_cast<size_t>(column)];
    return fi >= 0 && fi < ds->FieldCount() ? &ds->Fields(fi) : nullptr;
}

void TDataSetModel::rebind()
{
    fieldIndexes_.clear();
    const TClientDataSet* ds = dataSet();
    if (columns_.isEmpty()) {
        if (!ds) return;
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (ds->Fields(i).Visible()) fieldIndexes_.push_back(i);
        return;
    }
    for (const QString& name : columns_) {
        const TField* f = ds ? ds->FindField(name) : nullptr;
        fieldIndexes_.push_back(f ? f->Index() : -1);
    }
}

void TDataSetModel::reset()
{
    beginResetModel();
    rebind();
    const TClientDataSet* ds = dataSet();
    rows_ = ds && ds->Active() ? ds->ViewRowCount() : 0;
    endResetModel();
}

void TDataSetModel::onRowChanged(int viewRow)
{
    if (viewRow < 0 || viewRow >= rows_ || fieldIndexes_.empty()) return;
    // The whole row: a text handler may show one field through another (a money field
    // through the delivery's currency).
    emit dataChanged(index(viewRow, 0), index(viewRow, columnCount() - 1));
}

void TDataSetModel::onRowInserted(int viewRow)
{
    if (viewRow < 0 || viewRow > rows_) {
        reset();
        return;
    }
    beginInsertRows({}, viewRow, viewRow);
    ++rows_;
    endInsertRows();
}

void TDataSetModel::onRowRemoved(int viewRow)
{
    if (viewRow < 0 || viewRow >= rows_) {
        reset();
        return;
    }
    beginRemoveRows({}, viewRow, viewRow);
    --rows_;
    endRemoveRows();
}

void TDataSetModel::onRowMoved(int from, int to)
{
    if (from < 0 || from >= rows_ || to < 0 || to >= rows_) {
        reset();
        return;
    }
    if (from == to) {
        onRowChanged(to);
        return;
    }
    // Qt counts the destination before the move: one past `to` when moving down.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    endMoveRows();
}

int TDataSetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TDataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(fieldIndexes_.size());
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const TClientDataSet* ds = dataSet();
    if (!ds) return {};
    const TField* field = ColumnField(index.column());
    if (!field) return {};
    const TClientDataSet::RowScope scope(*ds, index.row());
    if (!scope.Valid()) return {};
    try {
        return role == Qt::DisplayRole ? field->DisplayText() : field->Text();
    } catch (const std::exception& e) {
        // A text handler failed while a view was painting; nothing may leave into Qt here.
        qWarning("TDataSetModel: text of field %s failed: %s", qPrintable(field->FieldName()), e.what());
        return {};
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (const TField* f = ColumnField(section)) return f->DisplayLabel();
    if (section >= 0 && section < columns_.size()) return columns_[section];
    return {};
}
