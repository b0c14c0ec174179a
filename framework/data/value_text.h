#pragma once
// Text forms of field values. Three audiences: the server and the code (C locale, shortest
// form: "1234", "1.5"), the operator reading (display formats such as "#,##0.00" with the
// separators of QLocale()), and the operator typing (the locale's separators, dates
// dd/MM/yyyy[ HH:mm[:ss]]).

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

namespace datatext {

// Shortest text that reads back as the same double, with '.' and no grouping; whole numbers
// without decimals ("1234"), very large or small magnitudes in exponent form ("1E+21").
QString shortestNumber(double value);
// The same digits with the decimal separator of `locale` (no grouping).
QString shortestNumber(double value, const QLocale& locale);

// A number display-format picture: digit placeholders 0 and #, ',' for thousands grouping,
// '.' for the decimal point, up to three sections "positive;negative;zero", text in single or
// double quotes and any other character copied as it stands ('%' included: it does not
// scale). Rounds half away from zero on the decimal digits of the value. An empty picture
// gives the shortest form in the locale.
QString formatFloat(double value, QStringView picture, const QLocale& locale);

// dd/MM/yyyy when the time is midnight, dd/MM/yyyy HH:mm:ss otherwise; "" for an invalid value.
QString formatDateTime(const QDateTime& value);
// A date display-format picture ("dd/mm/yyyy hh:nn:ss"; 'm' right after an hour means minutes).
QString formatDateTime(const QDateTime& value, QStringView picture);

// Text typed by the operator: blanks around are ignored, group separators are allowed.
std::optional<double> parseLocaleNumber(QStringView text, const QLocale& locale);
std::optional<qint64> parseLocaleInteger(QStringView text, const QLocale& locale);
// Text in C form ("1234.5", "-2", "1e3"); blanks around are ignored.
std::optional<double> parseNumber(QStringView text);
std::optional<qint64> parseInteger(QStringView text);
// dd/MM/yyyy[ HH:mm[:ss]] (one or two digits for day, month, hour; a two-digit year is taken
// as 1950..2049); the result is naive (Qt::UTC spec, see wire::naive).
std::optional<QDateTime> parseDateTime(QStringView text);

}  // namespace datatext
