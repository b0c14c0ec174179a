#pragma once
// TEdit: a one-line text edit with the events forms bind.
//
// OnChange fires on every change of the text, typed or set by code (SetText), and only when
// the text really changes. When it fires because of SetText, a failure of the handler is
// raised again from SetText in the caller, as any call would; when the operator typed, the
// event guard shows it. OnEnter/OnExit follow the focus rules of focus_events.h.

#include "framework/ui/events.h"
#include "framework/ui/focus_events.h"

#include <QLineEdit>
#include <QPointer>
#include <QValidator>

#include <exception>

enum class TEditCharCase { Normal, UpperCase, LowerCase };

class TEdit : public QLineEdit, public TFocusEvents {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);
    ~TEdit() override;

    // The text as the form reads it (a masked edit gives it without its literals).
    virtual QString Text() const;
    // Sets the text; fires OnChange when it changes and raises what the handler raised.
    virtual void SetText(const QString& text);
    void Clear() { SetText(QString()); }

    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool readOnly) { setReadOnly(readOnly); }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool tabStop);

    // Background, in every state (a disabled edit keeps the colour it was given).
    QColor Color() const;
    void SetColor(const QColor& color);
    QColor FontColor() const;
    void SetFontColor(const QColor& color);
    void SetBold(bool bold);

    // Most characters the operator may type; 0 for no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase charCase);

    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    TNotifyEvent OnChange;

protected:
    // Runs OnChange; a masked or number edit adds its own bookkeeping first.
    virtual void Change();
    // Gives MaxLength to the line edit (a masked edit keeps the mask's own length).
    virtual void ApplyMaxLength();
    // Replaces the shown text as code does (not as typing): the change handler's failure is
    // kept and raised by RaiseChangeFailure.
    void SetShownText(const QString& text);
    void RaiseChangeFailure();
    // Tells the listeners of textChanged (OnChange included) of a change made while their
    // signal was blocked: as code when `byOperator` is false, as the operator otherwise.
    void AnnounceChange(bool byOperator);
    // True while code, not the operator, is changing the text.
    bool SettingByCode() const { return settingByCode_ > 0; }

private:
    void TextChanged();
    void ApplyCharCase();

    QPointer<QValidator> caseValidator_;
    int maxLength_ = 0;
    TEditCharCase charCase_ = TEditCharCase::Normal;
    int settingByCode_ = 0;
    QString lastShown_;  // the text as it was when OnChange last heard of it
    std::exception_ptr changeFailure_;
};
