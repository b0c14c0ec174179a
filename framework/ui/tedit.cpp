#include "framework/ui/tedit.h"

#include "framework/ui/guard.h"

#include <QValidator>

#include <utility>

namespace {

// Forces the letter case of whatever reaches the edit (typed, pasted or set by code).
class CaseValidator : public QValidator {
public:
    CaseValidator(TEditCharCase charCase, QObject* parent) : QValidator(parent), case_(charCase) {}

    void SetCase(TEditCharCase charCase) { case_ = charCase; }

    State validate(QString& input, int& /*pos*/) const override
    {
        input = case_ == TEditCharCase::UpperCase ? input.toUpper() : input.toLower();
        return Acceptable;
    }

private:
    TEditCharCase case_;
};

}  // namespace

TEdit::TEdit(QWidget* parent) : QLineEdit(parent), TFocusEvents(static_cast<QWidget&>(*this))
{
    connect(this, &QLineEdit::textChanged, this, &TEdit::TextChanged);
}

TEdit::~TEdit() = default;

QString TEdit::Text() const { return text(); }

void TEdit::SetText(const QString& text)
{
    SetShownText(text);
    RaiseChangeFailure();
}

void TEdit::SetShownText(const QString& text)
{
    ++settingByCode_;
    setText(text);
    --settingByCode_;
}

void TEdit::RaiseChangeFailure()
{
    if (settingByCode_ > 0 || !changeFailure_) return;
    const std::exception_ptr failure = std::exchange(changeFailure_, nullptr);
    std::rethrow_exception(failure);
}

void TEdit::AnnounceChange(bool byOperator)
{
    if (!byOperator) ++settingByCode_;
    emit textChanged(text());
    if (!byOperator) --settingByCode_;
}

void TEdit::TextChanged()
{
    // QLineEdit also tells of keys a mask refused, with the text unchanged.
    const QString shown = displayText();
    if (shown == lastShown_) return;
    lastShown_ = shown;
    if (settingByCode_ > 0) {
        // Called from code: keep the first failure for the caller, run no more handlers
        // once one has failed (the caller's action stops there).
        if (changeFailure_) return;
        try {
            Change();
        } catch (...) {
            changeFailure_ = std::current_exception();
        }
        return;
    }
    Guard::Run([this] { Change(); });
}

void TEdit::Change()
{
    if (OnChange) OnChange(*this);
}

void TEdit::SetTabStop(bool tabStop) { setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus); }

QColor TEdit::Color() const { return palette().color(QPalette::Active, QPalette::Base); }

void TEdit::SetColor(const QColor& color)
{
    QPalette p = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, color);
    setPalette(p);
}

QColor TEdit::FontColor() const { return palette().color(QPalette::Active, QPalette::Text); }

void TEdit::SetFontColor(const QColor& color)
{
    QPalette p = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) p.setColor(group, QPalette::Text, color);
    setPalette(p);
}

void TEdit::SetBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

void TEdit::SetMaxLength(int length)
{
    maxLength_ = length > 0 ? length : 0;
    ApplyMaxLength();
}

void TEdit::ApplyMaxLength() { setMaxLength(maxLength_ > 0 ? maxLength_ : 32767); }

void TEdit::SetCharCase(TEditCharCase charCase)
{
    charCase_ = charCase;
    ApplyCharCase();
}

void TEdit::ApplyCharCase()
{
    if (charCase_ == TEditCharCase::Normal) {
        setValidator(nullptr);
        return;
    }
    if (caseValidator_)
        static_cast<CaseValidator*>(caseValidator_.data())->SetCase(charCase_);
    else
        caseValidator_ = new CaseValidator(charCase_, this);  // owned by the edit
    setValidator(caseValidator_);
    SetText(text());  // text already there takes the case too
}
