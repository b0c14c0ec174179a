#pragma once
// A field of a client dataset: its declaration (name, type, size, label, formats, flags)
// and typed access to its value in the dataset's current record.

#include "framework/wire/value.h"

#include <QDateTime>
#include <QString>

#include <functional>

class TClientDataSet;

using TFieldType = wire::FieldType;

// Declaration of a persistent field, in the order the dataset lists its fields.
struct TFieldDef {
    QString Name{};
    TFieldType DataType = TFieldType::String;
    int Size = 0;             // strings: maximum length; 0 means the default of 20
    QString DisplayLabel{};   // column title wherever the field is shown; the name when empty
    QString DisplayFormat{};  // "#,##0.00", "0", "0.00%": applied when shown, not when edited
    QString EditMask{};       // mask in the form ">aaaa;0; " used by edit controls
    int DisplayWidth = 0;     // characters; 0 means derived from the size or type
    bool Visible = true;      // shown by default (grids without columns, lookup dialogs)
    bool ReadOnly = false;    // cannot be changed through any control
    bool Required = false;    // a null value is refused at post
    bool FixedChar = false;   // fixed-length string
    QString Origin{};         // provider origin ("PARAMGERAL.IDALTERDELIV"); informational
};

class TField {
public:
    TField(TClientDataSet& owner, int index, TFieldDef def);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    // Declaration.
    const QString& FieldName() const { return def_.Name; }
    TFieldType DataType() const { return def_.DataType; }
    int Size() const;  // effective size (20 for a string declared with 0)
    int Index() const { return index_; }
    TClientDataSet& DataSet() const { return owner_; }
    const TFieldDef& Def() const { return def_; }

    QString DisplayLabel() const;  // label, or the field name when none
    void SetDisplayLabel(const QString& label);
    const QString& DisplayFormat() const { return def_.DisplayFormat; }
    void SetDisplayFormat(const QString& format);
    const QString& EditMask() const { return def_.EditMask; }
    void SetEditMask(const QString& mask);
    int DisplayWidth() const;
    void SetDisplayWidth(int width);
    bool Visible() const { return def_.Visible; }
    void SetVisible(bool visible);
    bool ReadOnly() const { return def_.ReadOnly; }
    void SetReadOnly(bool readOnly);
    bool Required() const { return def_.Required; }
    void SetRequired(bool required);

    // Value in the current record: the edit buffer while the dataset is in edit or insert
    // state, or the record being read inside TClientDataSet::ReadRow.
    wire::Value Value() const;
    bool IsNull() const;
    QString AsString() const;      // "" for null; numbers in C locale, shortest form ("1234", "1.5")
    double AsFloat() const;        // 0 for null; text is parsed
    qint64 AsInteger() const;      // 0 for null
    QDateTime AsDateTime() const;  // invalid for null

    // Writes go to the edit buffer; the dataset must be in edit or insert state
    // (EDatabaseError otherwise). A compatible value is converted to the field's type
    // (integer to float, numeric text to a number); an incompatible one is refused.
    // Each change of value fires OnChange and notifies the data sources.
    void SetValue(const wire::Value& value);
    void SetAsString(const QString& text);
    void SetAsFloat(double value);
    void SetAsInteger(qint64 value);
    void SetAsDateTime(const QDateTime& value);
    void Clear();

    // The value at the start of the current edit (edit state), the loaded value of the
    // record in browse state, null for a record being inserted.
    wire::Value OldValue() const;

    // Text shown to the operator: OnGetText (display flag true) when bound, otherwise the
    // display format with the locale's separators, otherwise the plain text.
    QString DisplayText() const;
    // Text for editing: OnGetText (display flag false) when bound, otherwise the plain text
    // (numbers with the locale's decimal separator, dates dd/MM/yyyy[ HH:mm:ss]).
    QString Text() const;
    // Sets the value from text typed in a control: empty text gives null; numbers use the
    // locale's separators; dates dd/MM/yyyy. Refuses unparsable text with EDatabaseError.
    void SetText(const QString& text);

    std::function<void(TField& sender)> OnChange;
    std::function<void(TField& sender, QString& text, bool displayText)> OnGetText;

private:
    friend class TClientDataSet;  // renumbers fields a packet replaced (index -1: detached)

    TClientDataSet& owner_;
    int index_;
    TFieldDef def_;
};
