#pragma once
// Values between Qt SQL and the framework's value type.

#include "framework/data/field.h"
#include "framework/wire/value.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

class QSqlField;

// The value bound for a parameter. Date-times are bound as text "yyyy-MM-dd HH:mm:ss[.zzz]"
// (the wall-clock reading, never shifted by a time zone); a null keeps the declared type.
QVariant SqlBindValue(const wire::Value& value, std::optional<TFieldType> declared);

// A result value converted to a field's type. SQLite hands back whatever a row holds (text
// in a number column, an integer in a text column), so: numbers and numeric text fill float
// and integer fields (empty text gives null); ISO dates, text or not, fill date-time fields;
// anything fills a string field as text. A string longer than the field is refused unless the
// excess is only trailing blanks (a padded CHAR column), which is dropped: a code cut short
// would silently name another record. Refusals raise EDatabaseError naming the column.
wire::Value SqlResultValue(const QVariant& value, const TFieldDef& field);

// True for every numeric type a driver may hand back: integers of any width, float, double.
bool IsNumericType(int typeId);

// The field a column of a query without persistent fields becomes, judged from every value it
// brought and, when it brought none, from its declared type: a date-time when any value is a
// date; a float when every value is a number; otherwise a string as long as its longest value
// (and at least its declared length).
TFieldDef InferFieldDef(const QSqlField& column, const std::vector<QVariant>& values);

// Effective size of a string field (20 when declared with 0).
int EffectiveStringSize(const TFieldDef& field);

// The shortest C-locale text that reads back as the same double ("1234", "0.1").
QString ShortestNumberText(double value);
// A date-time from ISO text ("2026-11-05", "2026-11-05 10:30:00", "2026-11-05T10:30:00.000Z"),
// as a naive wall-clock reading; nothing when the text is not one.
std::optional<QDateTime> ParseDateTimeText(const QString& text);
