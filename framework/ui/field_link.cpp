#include "framework/ui/field_link.h"

#include "framework/data/datasource.h"

TFieldDataLink::~TFieldDataLink() { Disconnect(); }

void TFieldDataLink::SetDataSource(TDataSource* source)
{
    if (source == source_) return;
    Disconnect();
    source_ = source;
    Connect();
    Tell(true);
}

void TFieldDataLink::SetFieldName(const QString& name)
{
    if (name == fieldName_) return;
    fieldName_ = name;
    Tell(true);
}

TClientDataSet* TFieldDataLink::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

TField* TFieldDataLink::Field() const
{
    const TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || fieldName_.isEmpty()) return nullptr;
    return dataSet->FindField(fieldName_);
}

bool TFieldDataLink::Active() const
{
    const TClientDataSet* dataSet = DataSet();
    return dataSet && dataSet->Active();
}

bool TFieldDataLink::Editing() const
{
    const TClientDataSet* dataSet = DataSet();
    return dataSet && (dataSet->State() == TDataSetState::Edit || dataSet->State() == TDataSetState::Insert);
}

bool TFieldDataLink::CanModify() const
{
    const TField* field = Field();
    return field && !field->ReadOnly();
}

bool TFieldDataLink::Edit()
{
    TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active()) return false;
    if (dataSet->State() == TDataSetState::Browse) dataSet->Edit();
    return Editing();
}

void TFieldDataLink::Connect()
{
    if (!source_) return;
    TDataSource* s = source_;
    const auto reset = [this] { Tell(true); };
    connections_.push_back(QObject::connect(s, &TDataSource::activeChanged, s, reset));
    connections_.push_back(QObject::connect(s, &TDataSource::dataSetChanged, s, reset));
    connections_.push_back(QObject::connect(s, &TDataSource::dataSetAttached, s, reset));
    connections_.push_back(QObject::connect(s, &TDataSource::cursorMoved, s, reset));
    connections_.push_back(QObject::connect(s, &TDataSource::stateChanged, s, [this] {
        // Back to browse (post or cancel): the record shows what it holds now.
        Tell(!Editing());
    }));
    connections_.push_back(QObject::connect(s, &TDataSource::rowChanged, s, [this](int viewRow, int fieldIndex) {
        const TClientDataSet* dataSet = DataSet();
        if (!dataSet || viewRow != dataSet->RecNo() - 1) return;
        const TField* field = Field();
        if (fieldIndex < 0 || (field && field->Index() == fieldIndex)) Tell(true);
    }));
    connections_.push_back(QObject::connect(s, &TDataSource::updateRecord, s, [this] {
        if (UpdateRecord) UpdateRecord();
    }));
    connections_.push_back(QObject::connect(s, &QObject::destroyed, s, [this] {
        connections_.clear();
        source_.clear();
        Tell(true);
    }));
}

void TFieldDataLink::Disconnect()
{
    for (const auto& connection : connections_) QObject::disconnect(connection);
    connections_.clear();
}

void TFieldDataLink::Tell(bool reset)
{
    if (Changed) Changed(reset);
}
