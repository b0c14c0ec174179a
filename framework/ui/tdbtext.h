#pragma once
// TDBText: a label that shows one field of the current record of a data source's dataset,
// as its display text (OnGetText, display format). Empty while the dataset is closed or
// the field is absent. It follows every move and change of the dataset.

#include "framework/ui/field_link.h"
#include "framework/ui/tlabel.h"

class TDataSource;
class TField;

class TDBText : public TLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);
    ~TDBText() override;

    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source);
    QString DataField() const { return link_.FieldName(); }
    void SetDataField(const QString& fieldName);
    TField* Field() const { return link_.Field(); }

private:
    void ShowField();

    TFieldDataLink link_;
};
