#pragma once
// TDBNavigator: first, prior, next and last buttons over a data source's dataset. A click
// moves the dataset as the operator moving in a grid would (a pending edit is posted first;
// a refused post or scroll keeps the row, and its failure is shown by the event guard).
// First and prior are enabled while the dataset is open and not at its beginning (Bof, or
// the first row); next and last while it is open and not at its end (Eof, or the last row).

#include "framework/data/datasource.h"
#include "framework/ui/events.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QToolButton;

enum class TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast };

class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);

    QToolButton& Button(TNavigateBtn button) const;
    // Moves as the button does, its failure reaching the caller.
    void BtnClick(TNavigateBtn button);

    // Runs after a button moved the dataset (or tried to).
    std::function<void(TDBNavigator& sender, TNavigateBtn button)> OnClick;

private:
    void ShowState();
    void Connect();

    QPointer<TDataSource> source_;
    std::vector<QMetaObject::Connection> connections_;
    std::array<QToolButton*, 4> buttons_{};
};
