#pragma once
// The dialogs service of the desktop: real message boxes over the active window, the
// lookup list (lookup_dialog.h) and the find dialog (find_dialog.h).

#include "framework/ui/dialogs.h"

class TDesktopDialogs : public TDialogs {
public:
    TModalResult MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) override;
    void ShowError(const QString& text) override;
    std::optional<QString> InputQuery(const QString& caption, const QString& prompt, const QString& initial) override;
    bool ChooseRow(TDataSource& source, const QString& title, TChooseRowOptions options) override;
    bool FindInDataSet(TClientDataSet& dataSet) override;

    // Texts keep their line breaks whatever their form (CR LF, CR or LF).
    static QString DisplayText(const QString& text);
};
