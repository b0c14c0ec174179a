#pragma once
// TDBEdit: an edit bound to one field of a data source's dataset.
//
//   dbeVrPeTaxa->SetDataSource(dtsDelivery);
//   dbeVrPeTaxa->SetDataField(QStringLiteral("VRPETXAERO"));
//
// - It shows the field's display text (OnGetText, display format) while it does not have the
//   focus, and its edit text while it has it. It follows every move and change of the
//   dataset. With the dataset closed or the field absent it is empty.
// - It takes the field's edit mask and, for a text field, its size as the longest input.
// - Typing (or pasting) while the dataset browses first puts it in edit state, as a user
//   starting a change would; when that is refused (BeforeEdit raised) nothing is typed.
// - What was typed goes into the field when the edit is left and when the dataset posts.
//   A text the field refuses keeps the focus in the edit (the exit is refused) and refuses
//   the post. Esc gives back the field's value.
// - It is read-only when the control or the field is read-only, or the dataset is closed.

#include "framework/ui/field_link.h"
#include "framework/ui/tmaskedit.h"

class TDataSource;
class TField;

class TDBEdit : public TMaskEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* source);
    QString DataField() const { return link_.FieldName(); }
    void SetDataField(const QString& fieldName);
    TField* Field() const { return link_.Field(); }

    // The control's own read-only flag (the effective one also depends on the field).
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // True while the text holds typing not yet written into the field.
    bool Modified() const { return modified_; }
    // Writes pending typing into the field now (raises what the field raised).
    void UpdateRecord();

protected:
    void DoExit() override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowField();
    void FieldChanged(bool reset);
    void ApplyFieldSettings();
    void ApplyReadOnly();
    void Typed();
    bool BeginTyping();

    TFieldDataLink link_;
    bool readOnly_ = false;
    bool modified_ = false;
    bool showing_ = false;
    const TField* boundField_ = nullptr;  // the field the mask and length were taken from
};
