#pragma once
// TNumberEdit: a number, right aligned, shown with a fixed number of decimals, with or
// without the thousands separator, optionally as currency (the locale's symbol). While the
// operator edits it the number is shown plainly; leaving it shows it formatted again.

#include "framework/ui/tedit.h"

#include <QPointer>
#include <QRegularExpressionValidator>

class TNumberEdit : public TEdit {
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget* parent = nullptr);

    double Number() const { return number_; }
    // Shows the number; fires OnChange when the text changes.
    void SetNumber(double value);

    int Decimals() const { return decimals_; }
    void SetDecimals(int decimals);
    bool ThousandSeparator() const { return thousands_; }
    void SetThousandSeparator(bool on);
    bool Currency() const { return currency_; }
    void SetCurrency(bool on);

    // The text shown for a number with the current settings (not being edited).
    QString FormatNumber(double value) const;

protected:
    void Change() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString EditingText(double value) const;
    void ShowNumber();
    void Reformat();

    QPointer<QRegularExpressionValidator> typing_;
    bool reformatting_ = false;
    double number_ = 0;
    int decimals_ = 2;
    bool thousands_ = true;
    bool currency_ = false;
    bool editing_ = false;
};
