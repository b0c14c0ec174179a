#pragma once
// TDataSource: the link between a dataset and the controls bound to it. Controls never bind
// to a dataset directly; they connect to these signals.

#include "framework/data/clientdataset.h"

#include <QObject>
#include <QPointer>

#include <functional>

class TDataSource : public QObject, private TDataSetObserver {
    Q_OBJECT
public:
    explicit TDataSource(QObject* owner = nullptr);
    ~TDataSource() override;

    TClientDataSet* DataSet() const;
    void SetDataSet(TClientDataSet* dataSet);
    TDataSetState State() const;  // Inactive without a dataset

    // Form handlers.
    std::function<void(TDataSource& sender)> OnStateChange;
    std::function<void(TDataSource& sender, TField* field)> OnDataChange;

signals:
    void activeChanged();
    void stateChanged();
    void dataSetChanged();
    void rowChanged(int viewRow, int fieldIndex);  // fieldIndex -1: whole row
    void rowInserted(int viewRow);
    void rowRemoved(int viewRow);
    void rowMoved(int fromViewRow, int toViewRow);
    void cursorMoved(int oldViewRow, int newViewRow);
    void updateRecord();
    void dataSetAttached();  // SetDataSet changed the dataset

private:
    void ActiveChanged() override;
    void StateChanged() override;
    void DataSetChanged() override;
    void RowChanged(int viewRow, const TField* field) override;
    void RowInserted(int viewRow) override;
    void RowRemoved(int viewRow) override;
    void RowMoved(int from, int to) override;
    void CursorMoved(int oldRow, int newRow) override;
    void UpdateRecord() override;
    void DataSetDestroyed() override;

    TClientDataSet* dataSet_ = nullptr;
};
