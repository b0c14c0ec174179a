#pragma once
// The dialogs service of a host run without an operator (--screenshot): nothing waits for a
// click. Texts go to standard error; a question is answered No (else Cancel, else OK); a
// prompt, a lookup list or a find dialog is cancelled. It counts the errors shown, so the
// run can end with a failure status.

#include "framework/ui/dialogs.h"

class TUnattendedDialogs : public TDialogs {
public:
    int ErrorCount() const { return errors_; }

    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) override;
    void ShowError(const QString& text) override;
    std::optional<QString> InputQuery(const QString& caption, const QString& prompt, const QString& initial) override;
    bool ChooseRow(TDataSource& source, const QString& title, TChooseRowOptions options) override;
    bool FindInDataSet(TClientDataSet& dataSet) override;

private:
    int errors_ = 0;
};
