#pragma once
// The lookup list: the visible fields of a data source's dataset, in field order, under
// their labels. The operator types to find the first row whose search column (the first
// column, or the column the list is sorted by) starts with the typed text, moves with the
// arrows, picks with Enter (or a double click) and gives up with Esc. The picked row
// becomes the dataset's current row.

#include "framework/ui/dialogs.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;
class TDataSetModel;
class TDataSource;

class TLookupDialog : public QDialog {
    Q_OBJECT
public:
    TLookupDialog(TDataSource& source, const QString& title, TChooseRowOptions options, QWidget* parent = nullptr);

    // Finds the first row whose search column starts with `text` and makes it current in
    // the list; false when none does (the list stays where it was).
    bool Search(const QString& text);
    int SearchColumn() const;

    QTableView* Grid() const { return grid_; }
    QLineEdit* SearchEdit() const { return search_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SearchEdited(const QString& text);
    void Choose();
    void SizeColumns();
    void ShowSearchLabel();

    TDataSource& source_;
    TChooseRowOptions options_;
    TDataSetModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QTableView* grid_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLabel* searchLabel_ = nullptr;
};
