#pragma once
// How a value reads on a printed report.

#include "framework/wire/value.h"

#include <QLocale>
#include <QString>

// Without a format: numbers in their shortest form and dates as dd/MM/yyyy[ HH:mm:ss], with
// the locale's separators; text as it stands. With a format: a date format ("dd/mm/yyyy
// hh:nn", letters d m y h n s) formats date-times, and ISO date text (as SQLite keeps dates);
// any other format is a number display format ("#,##0.00") for numbers and numeric text.
// A value the format does not apply to is shown plainly. Null gives "".
QString ReportValueText(const wire::Value& value, const QString& format, const QLocale& locale);

// True when a format is a date format rather than a number format.
bool IsDateFormat(const QString& format);
