#include "framework/data/datasource.h"

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

TDataSource::~TDataSource()
{
    if (dataSet_) dataSet_->RemoveObserver(this);
}

TClientDataSet* TDataSource::DataSet() const { return dataSet_; }

void TDataSource::SetDataSet(TClientDataSet* dataSet)
{
    if (dataSet == dataSet_) return;
    const TDataSetState before = State();
    if (dataSet_) dataSet_->RemoveObserver(this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->AddObserver(this);
    emit dataSetAttached();
    if (State() != before) StateChanged();
}

TDataSetState TDataSource::State() const { return dataSet_ ? dataSet_->State() : TDataSetState::Inactive; }

void TDataSource::ActiveChanged() { emit activeChanged(); }

void TDataSource::StateChanged()
{
    emit stateChanged();
    if (OnStateChange) OnStateChange(*this);
}

void TDataSource::DataSetChanged()
{
    emit dataSetChanged();
    if (OnDataChange) OnDataChange(*this, nullptr);
}

void TDataSource::RowChanged(int viewRow, const TField* field)
{
    emit rowChanged(viewRow, field ? field->Index() : -1);
    // Only changes of the current record concern the form's handler (as in a field edit).
    if (OnDataChange && dataSet_ && viewRow == dataSet_->RecNo() - 1) OnDataChange(*this, const_cast<TField*>(field));
}

void TDataSource::RowInserted(int viewRow) { emit rowInserted(viewRow); }

void TDataSource::RowRemoved(int viewRow) { emit rowRemoved(viewRow); }

void TDataSource::RowMoved(int from, int to) { emit rowMoved(from, to); }

void TDataSource::CursorMoved(int oldRow, int newRow)
{
    emit cursorMoved(oldRow, newRow);
    if (OnDataChange) OnDataChange(*this, nullptr);
}

void TDataSource::UpdateRecord() { emit updateRecord(); }

void TDataSource::DataSetDestroyed()
{
    const bool wasActive = dataSet_ && dataSet_->Active();
    dataSet_ = nullptr;
    emit dataSetAttached();
    if (wasActive) {
        emit activeChanged();
        StateChanged();
    }
}
