#include "framework/db/sql_values.h"

#include "framework/core/exceptions.h"

#include <QDate>
#include <QDateTime>
#include <QSqlField>

#include <algorithm>
#include <cmath>

namespace {

QString dateTimeText(const QDateTime& dt)
{
    return dt.toString(dt.time().msec() != 0 ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                             : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool isNumeric(const QVariant& v) { return IsNumericType(v.typeId()); }

bool isDateType(int typeId) { return typeId == QMetaType::QDateTime || typeId == QMetaType::QDate; }

bool isIntegral(const QVariant& v)
{
    return isNumeric(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

[[noreturn]] void refuse(const QVariant& value, const TFieldDef& field, const QString& expected)
{
    throw EDatabaseError(QStringLiteral("A coluna '%1' da consulta trouxe o valor '%2', que não é %3.")
                             .arg(field.Name, value.toString(), expected));
}

}  // namespace

bool IsNumericType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong: return true;
    default: return false;
    }
}

TFieldDef InferFieldDef(const QSqlField& column, const std::vector<QVariant>& values)
{
    TFieldDef def;
    def.Name = column.name();
    const int declared = column.metaType().id();
    bool anyValue = false, allNumbers = true, anyDate = false;
    int longest = 0;
    for (const QVariant& v : values) {
        if (v.isNull() || !v.isValid()) continue;
        anyValue = true;
        if (isDateType(v.typeId())) anyDate = true;
        if (!IsNumericType(v.typeId())) allNumbers = false;
        longest = std::max(longest, int(v.toString().size()));
    }
    if (anyDate || (!anyValue && isDateType(declared))) {
        def.DataType = TFieldType::DateTime;
    } else if ((anyValue && allNumbers) || (!anyValue && IsNumericType(declared))) {
        def.DataType = TFieldType::Float;
    } else {
        def.DataType = TFieldType::String;
        def.Size = std::max({1, longest, column.length() > 0 ? column.length() : 0});
    }
    return def;
}

int EffectiveStringSize(const TFieldDef& field) { return field.Size > 0 ? field.Size : 20; }

QString ShortestNumberText(double value)
{
    for (int precision = 1; precision <= 17; ++precision) {
        const QString text = QString::number(value, 'g', precision);
        if (text.toDouble() == value) return text;
    }
    return QString::number(value, 'g', 17);
}

std::optional<QDateTime> ParseDateTimeText(const QString& text)
{
    const QString t = text.trimmed();
    for (const auto format : {Qt::ISODateWithMs, Qt::ISODate}) {
        const QDateTime dt = QDateTime::fromString(t, format);
        if (dt.isValid()) return wire::naive(dt);
    }
    for (const char* pattern : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(pattern));
        if (dt.isValid()) return wire::naive(dt);
    }
    return std::nullopt;
}

QVariant SqlBindValue(const wire::Value& value, std::optional<TFieldType> declared)
{
    using K = wire::Value::Kind;
    switch (value.kind()) {
    case K::Null: {
        const TFieldType type = declared.value_or(TFieldType::String);
        switch (type) {
        case TFieldType::Float: return QVariant(QMetaType::fromType<double>());
        case TFieldType::Integer: return QVariant(QMetaType::fromType<qlonglong>());
        case TFieldType::String:
        case TFieldType::DateTime: return QVariant(QMetaType::fromType<QString>());
        }
        return QVariant(QMetaType::fromType<QString>());
    }
    case K::Bool: return QVariant(value.toBool());
    case K::Integer: return QVariant(qlonglong(value.toInteger()));
    case K::Double: return QVariant(value.toDouble());
    case K::Text: return QVariant(value.text());
    case K::DateTime: return QVariant(dateTimeText(value.dateTime()));
    default: break;
    }
    throw EDatabaseError(QStringLiteral("Valor de parâmetro não suportado: %1").arg(value.debugString()));
}

wire::Value SqlResultValue(const QVariant& value, const TFieldDef& field)
{
    if (value.isNull() || !value.isValid()) return {};
    switch (field.DataType) {
    case TFieldType::String: {
        QString text;
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            text = ShortestNumberText(value.toDouble());
        else if (value.typeId() == QMetaType::QDateTime)
            text = dateTimeText(wire::naive(value.toDateTime()));
        else
            text = value.toString();
        const int size = EffectiveStringSize(field);
        if (text.size() > size) {
            if (QStringView(text).mid(size).trimmed().isEmpty())
                text.truncate(size);
            else
                throw EDatabaseError(
                    QStringLiteral("O valor '%1' da coluna '%2' excede o tamanho de %3 caracteres do campo.")
                        .arg(text, field.Name)
                        .arg(size));
        }
        return wire::Value(text);
    }
    case TFieldType::Float: {
        if (isNumeric(value)) return wire::Value(value.toDouble());
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString().trimmed();
            if (text.isEmpty()) return {};
            bool ok = false;
            const double d = text.toDouble(&ok);
            if (ok && std::isfinite(d)) return wire::Value(d);
        }
        refuse(value, field, QStringLiteral("um número"));
    }
    case TFieldType::Integer: {
        if (isIntegral(value)) return wire::Value(qint64(value.toLongLong()));
        if (isNumeric(value)) {
            const double d = value.toDouble();
            if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15) return wire::Value(qint64(d));
        } else if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString().trimmed();
            if (text.isEmpty()) return {};
            bool ok = false;
            const qint64 i = text.toLongLong(&ok);
            if (ok) return wire::Value(i);
        }
        refuse(value, field, QStringLiteral("um número inteiro"));
    }
    case TFieldType::DateTime: {
        if (value.typeId() == QMetaType::QDateTime) return wire::Value(wire::naive(value.toDateTime()));
        if (value.typeId() == QMetaType::QDate) return wire::Value(wire::naive(value.toDate().startOfDay()));
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString();
            if (text.trimmed().isEmpty()) return {};
            if (const auto dt = ParseDateTimeText(text)) return wire::Value(*dt);
        }
        refuse(value, field, QStringLiteral("uma data"));
    }
    }
    refuse(value, field, QStringLiteral("do tipo do campo"));
}
