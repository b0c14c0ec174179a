#include "framework/report/report_value_text.h"

#include "framework/data/value_text.h"
#include "framework/db/sql_values.h"

bool IsDateFormat(const QString& format)
{
    bool quoted = false;
    QChar quote;
    bool dateLetter = false;
    for (const QChar c : format) {
        if (quoted) {
            if (c == quote) quoted = false;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quoted = true;
            quote = c;
            continue;
        }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) return false;
        if (QStringLiteral("dmyhnsDMYHNS").contains(c)) dateLetter = true;
    }
    return dateLetter;
}

QString ReportValueText(const wire::Value& value, const QString& format, const QLocale& locale)
{
    using K = wire::Value::Kind;
    switch (value.kind()) {
    case K::Null: return {};
    case K::Integer:
    case K::Double: {
        const double d = value.toDouble();
        if (format.isEmpty() || IsDateFormat(format)) {
            if (value.kind() == K::Integer) return QString::number(value.toInteger());
            return datatext::shortestNumber(d, locale);
        }
        return datatext::formatFloat(d, format, locale);
    }
    case K::DateTime:
        if (format.isEmpty() || !IsDateFormat(format)) return datatext::formatDateTime(value.dateTime());
        return datatext::formatDateTime(value.dateTime(), format);
    case K::Text: {
        if (format.isEmpty()) return value.text();
        if (IsDateFormat(format)) {
            if (const auto dt = ParseDateTimeText(value.text())) return datatext::formatDateTime(*dt, format);
            return value.text();
        }
        if (const auto d = datatext::parseNumber(value.text())) return datatext::formatFloat(*d, format, locale);
        return value.text();
    }
    case K::Bool: return value.toBool() ? QStringLiteral("S") : QStringLiteral("N");
    default: return value.debugString();
    }
}
