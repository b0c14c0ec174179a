#pragma once
// The find dialog over a dataset: the operator picks a column (the visible fields, by
// label) and types a value; "Procurar" moves the dataset to the first row whose column
// shows the value (partial, without regard to case). A search that finds nothing says so
// in the dialog and leaves it open.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class TClientDataSet;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(TClientDataSet& dataSet, QWidget* parent = nullptr);

    QComboBox* Columns() const { return columns_; }
    QLineEdit* Value() const { return value_; }

    // Runs the search with the chosen column and value; true (and the dialog accepted)
    // when a row was found and made current.
    bool Find();

private:
    TClientDataSet& dataSet_;
    QComboBox* columns_ = nullptr;
    QLineEdit* value_ = nullptr;
    QLabel* status_ = nullptr;
};
