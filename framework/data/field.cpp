#include "framework/data/field.h"

#include "framework/core/exceptions.h"
#include "framework/data/clientdataset.h"
#include "framework/data/clientdataset_impl.h"
#include "framework/data/value_text.h"

#include <QLocale>

#include <cmath>

namespace {

constexpr int kDefaultStringSize = 20;

using K = wire::Value::Kind;

[[noreturn]] void refuse(const TField& field, const wire::Value& value)
{
    throw EDatabaseError(
        QStringLiteral("O campo '%1' não aceita o valor %2.").arg(field.DisplayLabel(), value.debugString()));
}

[[noreturn]] void notANumber(const TField& field, const QString& text)
{
    throw EDatabaseError(
        QStringLiteral("'%1' não é um número válido para o campo '%2'.").arg(text, field.DisplayLabel()));
}

[[noreturn]] void notAnInteger(const TField& field, const QString& text)
{
    throw EDatabaseError(
        QStringLiteral("'%1' não é um número inteiro válido para o campo '%2'.").arg(text, field.DisplayLabel()));
}

[[noreturn]] void notADate(const TField& field, const QString& text)
{
    throw EDatabaseError(
        QStringLiteral("'%1' não é uma data válida para o campo '%2'.").arg(text, field.DisplayLabel()));
}

bool integralDouble(double d) { return std::isfinite(d) && std::trunc(d) == d && std::fabs(d) < 9.2e18; }

// A value brought to the kind the field stores. Text is read in C form (AsString's form).
wire::Value toFieldKind(const TField& field, const wire::Value& v)
{
    if (v.isNull()) return {};
    switch (field.DataType()) {
    case wire::FieldType::String:
        switch (v.kind()) {
        case K::Text: return v.text().isEmpty() ? wire::Value() : v;
        case K::Integer: return QString::number(v.toInteger());
        case K::Double: return datatext::shortestNumber(v.toDouble());
        case K::DateTime: return datatext::formatDateTime(v.dateTime());
        default: refuse(field, v);
        }
    case wire::FieldType::Float:
        switch (v.kind()) {
        case K::Double:
            if (!std::isfinite(v.toDouble())) refuse(field, v);
            return v;
        case K::Integer: return static_cast<double>(v.toInteger());
        case K::Text: {
            if (v.text().trimmed().isEmpty()) return {};
            const auto d = datatext::parseNumber(v.text());
            if (!d) notANumber(field, v.text());
            return *d;
        }
        default: refuse(field, v);
        }
    case wire::FieldType::Integer:
        switch (v.kind()) {
        case K::Integer: return v;
        case K::Double:
            if (!integralDouble(v.toDouble())) refuse(field, v);
            return static_cast<qint64>(v.toDouble());
        case K::Text: {
            if (v.text().trimmed().isEmpty()) return {};
            const auto i = datatext::parseInteger(v.text());
            if (!i) notAnInteger(field, v.text());
            return *i;
        }
        default: refuse(field, v);
        }
    case wire::FieldType::DateTime:
        switch (v.kind()) {
        case K::DateTime: return v;
        case K::Text: {
            if (v.text().trimmed().isEmpty()) return {};
            const auto dt = datatext::parseDateTime(v.text());
            if (!dt) notADate(field, v.text());
            return *dt;
        }
        default: refuse(field, v);
        }
    }
    refuse(field, v);
}

QString plainText(const wire::Value* v)
{
    if (!v) return {};
    switch (v->kind()) {
    case K::Text: return v->text();
    case K::Integer: return QString::number(v->toInteger());
    case K::Double: return datatext::shortestNumber(v->toDouble());
    case K::DateTime: return datatext::formatDateTime(v->dateTime());
    case K::Bool: return v->toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return {};
    }
}

}  // namespace

TField::TField(TClientDataSet& owner, int index, TFieldDef def) : owner_(owner), index_(index), def_(std::move(def)) {}

int TField::Size() const
{
    if (def_.DataType == wire::FieldType::String) return def_.Size > 0 ? def_.Size : kDefaultStringSize;
    return def_.Size;
}

QString TField::DisplayLabel() const { return def_.DisplayLabel.isEmpty() ? def_.Name : def_.DisplayLabel; }

void TField::SetDisplayLabel(const QString& label)
{
    def_.DisplayLabel = label;
    owner_.impl().notifyLayout();
}

void TField::SetDisplayFormat(const QString& format)
{
    def_.DisplayFormat = format;
    owner_.impl().notifyLayout();
}

void TField::SetEditMask(const QString& mask) { def_.EditMask = mask; }

int TField::DisplayWidth() const
{
    if (def_.DisplayWidth > 0) return def_.DisplayWidth;
    switch (def_.DataType) {
    case wire::FieldType::String: return Size();
    case wire::FieldType::Float: return 10;
    case wire::FieldType::Integer: return 11;
    case wire::FieldType::DateTime: return 19;  // dd/MM/yyyy HH:mm:ss
    }
    return 10;
}

void TField::SetDisplayWidth(int width)
{
    def_.DisplayWidth = width;
    owner_.impl().notifyLayout();
}

void TField::SetVisible(bool visible)
{
    def_.Visible = visible;
    owner_.impl().notifyLayout();
}

void TField::SetReadOnly(bool readOnly) { def_.ReadOnly = readOnly; }

void TField::SetRequired(bool required) { def_.Required = required; }

// ---------------------------------------------------------------- reading

wire::Value TField::Value() const
{
    const wire::Value* v = owner_.impl().cell(index_);
    return v ? *v : wire::Value();
}

bool TField::IsNull() const
{
    const wire::Value* v = owner_.impl().cell(index_);
    return !v || v->isNull() || (v->kind() == K::Text && v->text().isEmpty());
}

QString TField::AsString() const { return plainText(owner_.impl().cell(index_)); }

double TField::AsFloat() const
{
    const wire::Value* v = owner_.impl().cell(index_);
    if (!v) return 0;
    switch (v->kind()) {
    case K::Integer:
    case K::Double: return v->toDouble();
    case K::Text: {
        if (v->text().trimmed().isEmpty()) return 0;
        const auto d = datatext::parseNumber(v->text());
        if (!d) notANumber(*this, v->text());
        return *d;
    }
    case K::Null: return 0;
    default: refuse(*this, *v);
    }
}

qint64 TField::AsInteger() const
{
    const wire::Value* v = owner_.impl().cell(index_);
    if (!v) return 0;
    switch (v->kind()) {
    case K::Integer: return v->toInteger();
    case K::Double: {
        const double d = std::round(v->toDouble());
        if (!integralDouble(d)) refuse(*this, *v);
        return static_cast<qint64>(d);
    }
    case K::Text: {
        if (v->text().trimmed().isEmpty()) return 0;
        const auto i = datatext::parseInteger(v->text());
        if (!i) notAnInteger(*this, v->text());
        return *i;
    }
    case K::Null: return 0;
    default: refuse(*this, *v);
    }
}

QDateTime TField::AsDateTime() const
{
    const wire::Value* v = owner_.impl().cell(index_);
    if (!v || v->isNull()) return {};
    if (v->kind() == K::DateTime) return v->dateTime();
    if (v->kind() == K::Text) {
        if (v->text().trimmed().isEmpty()) return {};
        const auto dt = datatext::parseDateTime(v->text());
        if (!dt) notADate(*this, v->text());
        return *dt;
    }
    refuse(*this, *v);
}

wire::Value TField::OldValue() const
{
    const wire::Value* v = owner_.impl().oldCell(index_);
    return v ? *v : wire::Value();
}

// ---------------------------------------------------------------- writing

void TField::SetValue(const wire::Value& value) { owner_.impl().writeField(*this, toFieldKind(*this, value)); }

void TField::SetAsString(const QString& text) { SetValue(wire::Value(text)); }

void TField::SetAsFloat(double value) { SetValue(wire::Value(value)); }

void TField::SetAsInteger(qint64 value) { SetValue(wire::Value(value)); }

void TField::SetAsDateTime(const QDateTime& value) { SetValue(value.isValid() ? wire::Value(value) : wire::Value()); }

void TField::Clear() { SetValue(wire::Value()); }

// ---------------------------------------------------------------- operator texts

QString TField::DisplayText() const
{
    const wire::Value* v = owner_.impl().cell(index_);
    QString text;
    if (v) {
        switch (v->kind()) {
        case K::Integer:
            text = def_.DisplayFormat.isEmpty() ? QString::number(v->toInteger())
                                                : datatext::formatFloat(v->toDouble(), def_.DisplayFormat, QLocale());
            break;
        case K::Double:
            text = def_.DisplayFormat.isEmpty() ? datatext::shortestNumber(v->toDouble(), QLocale())
                                                : datatext::formatFloat(v->toDouble(), def_.DisplayFormat, QLocale());
            break;
        case K::DateTime: text = datatext::formatDateTime(v->dateTime(), def_.DisplayFormat); break;
        default: text = plainText(v); break;
        }
    }
    // The handler sees the default text and may replace it. Fields are never const objects;
    // the handler's signature is the forms' own.
    if (OnGetText) OnGetText(const_cast<TField&>(*this), text, true);
    return text;
}

QString TField::Text() const
{
    const wire::Value* v = owner_.impl().cell(index_);
    QString text;
    if (v) text = v->kind() == K::Double ? datatext::shortestNumber(v->toDouble(), QLocale()) : plainText(v);
    if (OnGetText) OnGetText(const_cast<TField&>(*this), text, false);
    return text;
}

void TField::SetText(const QString& text)
{
    if (text.trimmed().isEmpty() && def_.DataType != wire::FieldType::String) {
        Clear();
        return;
    }
    switch (def_.DataType) {
    case wire::FieldType::String: SetValue(wire::Value(text)); return;
    case wire::FieldType::Float: {
        const auto d = datatext::parseLocaleNumber(text, QLocale());
        if (!d) notANumber(*this, text);
        SetValue(*d);
        return;
    }
    case wire::FieldType::Integer: {
        const auto i = datatext::parseLocaleInteger(text, QLocale());
        if (!i) notAnInteger(*this, text);
        SetValue(*i);
        return;
    }
    case wire::FieldType::DateTime: {
        const auto dt = datatext::parseDateTime(text);
        if (!dt) notADate(*this, text);
        SetValue(*dt);
        return;
    }
    }
}
