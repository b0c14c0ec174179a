#include "framework/ui/tmaskedit.h"

#include "framework/core/exceptions.h"

#include <QKeyEvent>
#include <QSignalBlocker>

TMaskEdit::TMaskEdit(QWidget* parent) : TEdit(parent) {}

void TMaskEdit::SetEditMask(const QString& mask)
{
    const QString before = Text();
    {
        const QSignalBlocker quiet(this);  // one change is told below, if any
        mask_ = TEditMask::Parse(mask);
        setInputMask(mask_.InputMask());
        ApplyMaxLength();
        SetText(before);
    }
    if (Text() != before) {
        AnnounceChange(false);
        RaiseChangeFailure();
    }
}

QString TMaskEdit::Text() const { return mask_.IsMasked() ? mask_.TextOf(displayText()) : TEdit::Text(); }

QString TMaskEdit::EditText() const { return mask_.IsMasked() ? displayText() : text(); }

bool TMaskEdit::IsEmpty() const { return mask_.IsMasked() ? mask_.IsBlank(displayText()) : text().isEmpty(); }

void TMaskEdit::SetText(const QString& text)
{
    if (!mask_.IsMasked()) {
        TEdit::SetText(text);
        return;
    }
    ShowEditText(mask_.EditTextOf(text), false);
    RaiseChangeFailure();
}

// QLineEdit fits a text to its mask by searching forward for a place each character fits,
// which moves characters when a required position before them is blank. Filling the
// positions one by one keeps every character where the mask text has it.
void TMaskEdit::ShowEditText(const QString& editText, bool byOperator)
{
    if (editText == displayText()) return;
    {
        const QSignalBlocker quiet(this);
        setText(QString());
        for (int i = 0; i < mask_.Length() && i < editText.size(); ++i) {
            if (editText[i] == mask_.Blank()
                || mask_.Positions()[static_cast<std::size_t>(i)].kind == TEditMask::Kind::Literal)
                continue;
            setCursorPosition(i);
            insert(QString(editText[i]));
        }
        setCursorPosition(0);
        setModified(false);
    }
    AnnounceChange(byOperator);  // one change, told once
}

void TMaskEdit::ApplyMaxLength()
{
    // Without a mask the limit applies as in any edit; a mask sets its own length.
    if (!mask_.IsMasked()) TEdit::ApplyMaxLength();
}

void TMaskEdit::ValidateEdit()
{
    if (!mask_.IsMasked() || mask_.IsBlank(displayText())) return;
    const int missing = mask_.FirstMissing(displayText());
    if (missing < 0) return;
    setCursorPosition(missing);
    throw Exception(QStringLiteral("Valor inválido. Use a tecla Esc para abandonar as alterações."));
}

void TMaskEdit::DoEnter()
{
    textOnEnter_ = EditText();
    TEdit::DoEnter();
}

void TMaskEdit::DoExit()
{
    if (isModified()) ValidateEdit();
    TEdit::DoExit();
}

void TMaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && mask_.IsMasked() && isModified() && !isReadOnly()) {
        // The operator abandons the changes made since entering the edit.
        ShowEditText(textOnEnter_, true);
        setModified(false);
        selectAll();
        event->accept();
        return;
    }
    TEdit::keyPressEvent(event);
}
