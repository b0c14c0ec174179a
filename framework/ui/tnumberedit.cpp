#include "framework/ui/tnumberedit.h"

#include <QLocale>
#include <QRegularExpressionValidator>

#include <cmath>

TNumberEdit::TNumberEdit(QWidget* parent) : TEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetDecimals(2);
}

void TNumberEdit::SetDecimals(int decimals)
{
    decimals_ = decimals < 0 ? 0 : decimals;
    // What the operator may type: a sign, digits and the decimal separator.
    const QLocale locale;
    const QString point = QRegularExpression::escape(locale.decimalPoint());
    const QString pattern =
        decimals_ > 0 ? QStringLiteral("-?\\d*(%1\\d{0,%2})?").arg(point).arg(decimals_) : QStringLiteral("-?\\d*");
    if (!typing_) typing_ = new QRegularExpressionValidator(this);  // owned by the edit
    typing_->setRegularExpression(QRegularExpression(pattern));
    setValidator(typing_);
    Reformat();
}

void TNumberEdit::SetThousandSeparator(bool on)
{
    thousands_ = on;
    Reformat();
}

void TNumberEdit::SetCurrency(bool on)
{
    currency_ = on;
    Reformat();
}

QString TNumberEdit::FormatNumber(double value) const
{
    QLocale locale;
    if (!thousands_) locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const QString number = locale.toString(value, 'f', decimals_);
    return currency_ ? locale.currencySymbol() + QLatin1Char(' ') + number : number;
}

QString TNumberEdit::EditingText(double value) const
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals_);
}

void TNumberEdit::SetNumber(double value)
{
    number_ = std::isfinite(value) ? value : 0;
    ShowNumber();
    RaiseChangeFailure();
}

void TNumberEdit::ShowNumber() { SetShownText(editing_ ? EditingText(number_) : FormatNumber(number_)); }

void TNumberEdit::Reformat()
{
    reformatting_ = true;
    ShowNumber();
    reformatting_ = false;
}

void TNumberEdit::Change()
{
    if (reformatting_) return;  // the same number shown another way is no change
    if (editing_ && !SettingByCode()) {
        // Typed: the number follows the text (an empty text or a lone sign is zero).
        bool ok = false;
        const double typed = QLocale().toDouble(text(), &ok);
        number_ = ok ? typed : 0;
    }
    TEdit::Change();
}

void TNumberEdit::focusInEvent(QFocusEvent* event)
{
    if (!isReadOnly()) {
        editing_ = true;
        Reformat();
        selectAll();
    }
    TEdit::focusInEvent(event);
}

void TNumberEdit::focusOutEvent(QFocusEvent* event)
{
    if (editing_) {
        editing_ = false;
        Reformat();
    }
    TEdit::focusOutEvent(event);
}
