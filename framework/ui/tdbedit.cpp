#include "framework/ui/tdbedit.h"

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"
#include "framework/ui/guard.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace {

// True for a key that changes the text of an edit.
bool ChangesText(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete) return true;
    for (const auto key :
         {QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo, QKeySequence::DeleteEndOfWord,
          QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine}) {
        if (event.matches(key)) return true;
    }
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint()
           && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

}  // namespace

TDBEdit::TDBEdit(QWidget* parent) : TMaskEdit(parent)
{
    link_.Changed = [this](bool reset) { FieldChanged(reset); };
    link_.UpdateRecord = [this] { UpdateRecord(); };
    connect(this, &QLineEdit::textEdited, this, [this] { Typed(); });
    ApplyReadOnly();
}

TDBEdit::~TDBEdit()
{
    link_.Changed = nullptr;
    link_.UpdateRecord = nullptr;
}

void TDBEdit::SetDataSource(TDataSource* source) { link_.SetDataSource(source); }

void TDBEdit::SetDataField(const QString& fieldName) { link_.SetFieldName(fieldName); }

void TDBEdit::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    ApplyReadOnly();
}

void TDBEdit::ApplyReadOnly() { QLineEdit::setReadOnly(readOnly_ || !link_.CanModify()); }

void TDBEdit::FieldChanged(bool reset)
{
    if (reset) modified_ = false;
    ApplyReadOnly();
    if (!modified_) ShowField();
}

void TDBEdit::ApplyFieldSettings()
{
    const TField* field = link_.Field();
    const QString mask = field ? field->EditMask() : QString();
    if (mask != EditMask()) {
        showing_ = true;
        try {
            SetEditMask(mask);
        } catch (...) {
            showing_ = false;
            throw;
        }
        showing_ = false;
    }
    const int length = field && field->DataType() == TFieldType::String ? field->Size() : 0;
    if (length != MaxLength()) SetMaxLength(length);
}

void TDBEdit::ShowField()
{
    ApplyFieldSettings();
    const TField* field = link_.Field();
    QString text;
    if (field) {
        // A masked edit always shows the value through its mask; otherwise the display text
        // is for looking at and the edit text for changing.
        const bool editing = hasFocus() && !isReadOnly();
        text = IsMasked() || editing ? field->Text() : field->DisplayText();
    }
    if (text == Text()) return;  // the same text: leave the cursor and the selection alone
    showing_ = true;
    try {
        SetText(text);
    } catch (...) {
        showing_ = false;
        setModified(false);
        throw;
    }
    showing_ = false;
    setModified(false);
}

bool TDBEdit::BeginTyping()
{
    if (readOnly_ || !link_.CanModify()) return false;
    if (link_.Editing()) return true;
    bool editing = false;
    Guard::Run([this, &editing] { editing = link_.Edit(); });
    return editing;
}

void TDBEdit::Typed()
{
    if (showing_) return;
    if (!link_.Editing() && !BeginTyping()) {
        // Pasted or dropped while the dataset refused to edit: the field's text comes back.
        modified_ = false;
        ShowField();
        return;
    }
    modified_ = true;
}

void TDBEdit::UpdateRecord()
{
    if (!modified_) return;
    TField* field = link_.Field();
    if (!field) return;
    try {
        if (!link_.Editing()) link_.Edit();
        ValidateEdit();
        field->SetText(Text());
    } catch (...) {
        selectAll();
        throw;
    }
    modified_ = false;
    setModified(false);
    if (!hasFocus()) ShowField();
}

void TDBEdit::DoExit()
{
    UpdateRecord();
    TMaskEdit::DoExit();
}

void TDBEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && modified_) {
        // The operator abandons the typing: the field's value comes back.
        modified_ = false;
        ShowField();
        selectAll();
        event->accept();
        return;
    }
    if (ChangesText(*event) && !BeginTyping()) {
        event->accept();  // the dataset refused to edit: nothing is typed
        return;
    }
    TMaskEdit::keyPressEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent* event)
{
    ApplyReadOnly();  // the field's flag may have changed since the record was shown
    if (!modified_) Guard::Run([this] { ShowField(); });
    TMaskEdit::focusInEvent(event);
}

void TDBEdit::focusOutEvent(QFocusEvent* event)
{
    TMaskEdit::focusOutEvent(event);
    if (!modified_) Guard::Run([this] { ShowField(); });
}
