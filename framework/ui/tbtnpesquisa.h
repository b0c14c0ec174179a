#pragma once
// TBtnPesquisa: the small lookup button beside a code edit. A click (or F4 in the
// associated edit):
//   1. runs OnBeforePesq(sender, continue) with continue true; stops when it is set false;
//   2. opens the data source's dataset if it is closed (a query runs its SQL there);
//   3. when the list is empty, shows EmptyError (if there is one) as information and stops;
//   4. shows the lookup list of the dialogs service (titled Title; typing searches, a click
//      on a column title does not sort) and, when the operator picks a row, runs
//      OnAfterPesq with that row current;
//   5. after a pick, gives the focus to the associated edit.
// A failure anywhere is shown by the event guard and ends the lookup.

#include "framework/data/datasource.h"
#include "framework/ui/tspeedbutton.h"

#include <QPointer>

class TDataSource;

class TBtnPesquisa : public TSpeedButton {
    Q_OBJECT
public:
    explicit TBtnPesquisa(QWidget* parent = nullptr);
    ~TBtnPesquisa() override;

    QWidget* Associate() const { return associate_; }
    void SetAssociate(QWidget* edit);
    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source) { source_ = source; }
    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    QString EmptyError() const { return emptyError_; }
    void SetEmptyError(const QString& text) { emptyError_ = text; }

    // Runs the lookup as a click does, but a failure reaches the caller. True when a row
    // was picked.
    bool Execute();

    std::function<void(QObject& sender, bool& continueLookup)> OnBeforePesq;
    TNotifyEvent OnAfterPesq;

protected:
    void DoClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> associate_;
    QPointer<TDataSource> source_;
    QString title_;
    QString emptyError_;
};
