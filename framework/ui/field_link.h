#pragma once
// TFieldDataLink: what binds one data-aware control to one field of a data source's
// dataset. It resolves the field by name whenever the binding may have changed (another
// dataset, fields replaced, the dataset opened), and tells the control when the field's
// value in the current record may show differently (cursor moved, rows replaced, the field
// or the whole row changed, the state changed) and when a post wants pending input written.

#include "framework/data/datasource.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class TFieldDataLink {
public:
    TFieldDataLink() = default;
    ~TFieldDataLink();
    TFieldDataLink(const TFieldDataLink&) = delete;
    TFieldDataLink& operator=(const TFieldDataLink&) = delete;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name);

    TClientDataSet* DataSet() const;
    // The field in the dataset, nullptr when unbound, absent or the dataset is closed.
    TField* Field() const;
    bool Active() const;   // the dataset is open
    bool Editing() const;  // edit or insert state
    // True when the control may change the field: open, field present and not read-only.
    bool CanModify() const;

    // Puts the dataset in edit state when it browses (its events run and may raise);
    // true when it is editing afterwards.
    bool Edit();

    // The control's reactions. `Changed(reset)`: show the field again; `reset` is true when
    // any typed input must be dropped (another record, rows replaced, state back to browse).
    std::function<void(bool reset)> Changed;
    std::function<void()> UpdateRecord;

private:
    void Connect();
    void Disconnect();
    void Tell(bool reset);

    QPointer<TDataSource> source_;
    QString fieldName_;
    std::vector<QMetaObject::Connection> connections_;
};
