#include "framework/ui/tdbtext.h"

#include "framework/data/field.h"

TDBText::TDBText(QWidget* parent) : TLabel(parent)
{
    link_.Changed = [this](bool) { ShowField(); };
}

TDBText::~TDBText() { link_.Changed = nullptr; }

void TDBText::SetDataSource(TDataSource* source) { link_.SetDataSource(source); }

void TDBText::SetDataField(const QString& fieldName) { link_.SetFieldName(fieldName); }

void TDBText::ShowField()
{
    const TField* field = link_.Field();
    setText(field ? field->DisplayText() : QString());
}
