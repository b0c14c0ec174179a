#include "framework/ui/find_dialog.h"

#include "framework/data/clientdataset.h"
#include "framework/ui/dataset_search.h"
#include "framework/ui/guard.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(TClientDataSet& dataSet, QWidget* parent) : QDialog(parent), dataSet_(dataSet)
{
    setWindowTitle(QStringLiteral("Procurar"));
    setObjectName(QStringLiteral("findDialog"));

    columns_ = new QComboBox(this);
    columns_->setObjectName(QStringLiteral("column"));
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const TField& field = dataSet.Fields(i);
        if (field.Visible()) columns_->addItem(field.DisplayLabel(), field.FieldName());
    }
    value_ = new QLineEdit(this);
    value_->setObjectName(QStringLiteral("value"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Coluna:"), columns_);
    form->addRow(QStringLiteral("&Valor:"), value_);

    auto* buttons = new QDialogButtonBox(this);
    auto* find = buttons->addButton(QStringLiteral("&Procurar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    find->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Guard::Run([this] { Find(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(value_, &QLineEdit::textEdited, status_, &QLabel::clear);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    value_->setFocus();
}

bool TFindDialog::Find()
{
    const TField* field = dataSet_.FindField(columns_->currentData().toString());
    if (!field || value_->text().isEmpty()) {
        status_->setText(QStringLiteral("Informe o valor a procurar."));
        return false;
    }
    const int row = DataSetSearch::FindRow(dataSet_, *field, value_->text());
    if (row < 0) {
        status_->setText(QStringLiteral("Nenhum registro encontrado."));
        value_->selectAll();
        value_->setFocus();
        return false;
    }
    dataSet_.MoveToRow(row);
    accept();
    return true;
}
