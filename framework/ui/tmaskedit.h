#pragma once
// TMaskEdit: an edit that takes an edit mask (see edit_mask.h for the notation), or no
// mask at all (then it is a plain edit, with CharCase and MaxLength).
//
// Text() is the text without the literals when the mask says so (">aaaa;0; " gives "AB"
// for "AB  "); EditText() is what the operator sees. Leaving the edit after changing it
// while a required position is still blank is refused with a message; Esc gives back the
// text the edit had when it was entered.

#include "framework/ui/edit_mask.h"
#include "framework/ui/tedit.h"

class TMaskEdit : public TEdit {
    Q_OBJECT
public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    const QString& EditMask() const { return mask_.Source(); }
    // Keeps the current text, fitted to the new mask.
    void SetEditMask(const QString& mask);
    bool IsMasked() const { return mask_.IsMasked(); }
    const TEditMask& Mask() const { return mask_; }

    QString Text() const override;
    void SetText(const QString& text) override;
    // The text as shown, literals and blanks included.
    QString EditText() const;
    // True when no input position holds a character (an unmasked edit: when it is empty).
    bool IsEmpty() const;

    // Refuses (Exception with the message) an edit text with a required position blank.
    void ValidateEdit();

protected:
    void ApplyMaxLength() override;
    void DoEnter() override;
    void DoExit() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowEditText(const QString& editText, bool byOperator);

    TEditMask mask_;
    QString textOnEnter_;
};
