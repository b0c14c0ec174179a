#include "framework/db/params.h"

#include "framework/core/exceptions.h"
#include "framework/db/sql_values.h"

#include <cmath>

namespace {

[[noreturn]] void refuse(const QString& name, const wire::Value& value, TFieldType type)
{
    throw EDatabaseError(QStringLiteral("O valor %1 não serve ao parâmetro '%2' (%3).")
                             .arg(value.debugString(), name, wire::fieldTypeName(type)));
}

wire::Value converted(const QString& name, const wire::Value& value, TFieldType type)
{
    using K = wire::Value::Kind;
    if (value.isNull()) return value;
    switch (type) {
    case TFieldType::String:
        switch (value.kind()) {
        case K::Text: return value;
        case K::Integer: return wire::Value(QString::number(value.toInteger()));
        case K::Double: return wire::Value(ShortestNumberText(value.toDouble()));
        case K::DateTime: return wire::Value(value.dateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        default: break;
        }
        break;
    case TFieldType::Float:
        if (value.isNumber()) return wire::Value(value.toDouble());
        if (value.kind() == K::Text) {
            bool ok = false;
            const double d = value.text().trimmed().toDouble(&ok);
            if (ok) return wire::Value(d);
        }
        break;
    case TFieldType::Integer:
        if (value.kind() == K::Integer) return value;
        if (value.kind() == K::Double && std::isfinite(value.toDouble())
            && value.toDouble() == std::floor(value.toDouble()))
            return wire::Value(qint64(value.toDouble()));
        if (value.kind() == K::Text) {
            bool ok = false;
            const qint64 i = value.text().trimmed().toLongLong(&ok);
            if (ok) return wire::Value(i);
        }
        break;
    case TFieldType::DateTime:
        if (value.kind() == K::DateTime) return value;
        if (value.kind() == K::Text) {
            if (const auto dt = ParseDateTimeText(value.text())) return wire::Value(*dt);
        }
        break;
    }
    refuse(name, value, type);
}

}  // namespace

TParam::TParam(TParamDecl decl) : decl_(std::move(decl)) {}

QString TParam::AsString() const
{
    using K = wire::Value::Kind;
    switch (value_.kind()) {
    case K::Null: return {};
    case K::Text: return value_.text();
    case K::Integer: return QString::number(value_.toInteger());
    case K::Double: return ShortestNumberText(value_.toDouble());
    case K::Bool: return value_.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case K::DateTime: return value_.dateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default: return value_.debugString();
    }
}

void TParam::SetDataType(std::optional<TFieldType> type)
{
    decl_.DataType = type;
    if (!type) return;
    try {
        value_ = converted(decl_.Name, value_, *type);
    } catch (const EDatabaseError&) {
        value_ = wire::Value();
    }
}

void TParam::SetValue(const wire::Value& value)
{
    using K = wire::Value::Kind;
    if (value.kind() == K::Array || value.kind() == K::Packet || value.kind() == K::ChangeSet)
        throw EDatabaseError(QStringLiteral("O parâmetro '%1' aceita apenas valores simples.").arg(decl_.Name));
    value_ = decl_.DataType ? converted(decl_.Name, value, *decl_.DataType) : value;
}

TParams::TParams(const std::vector<TParamDecl>& declarations)
{
    for (const TParamDecl& decl : declarations) {
        if (decl.Name.isEmpty() || FindParam(decl.Name) != nullptr) continue;
        items_.push_back(std::make_unique<TParam>(decl));
    }
}

QStringList TParams::Names() const
{
    QStringList names;
    for (const auto& p : items_) names.append(p->Name());
    return names;
}

TParam* TParams::FindParam(QStringView name) const
{
    for (const auto& p : items_)
        if (name.compare(p->Name(), Qt::CaseInsensitive) == 0) return p.get();
    return nullptr;
}

TParam& TParams::ParamByName(QStringView name) const
{
    if (TParam* p = FindParam(name)) return *p;
    throw EDatabaseError(QStringLiteral("Parâmetro '%1' não encontrado.").arg(name.toString()));
}

void TParams::AssignValues(const TParams& other)
{
    for (const auto& p : items_) {
        if (const TParam* source = other.FindParam(p->Name())) {
            try {
                p->SetValue(source->Value());
            } catch (const EDatabaseError&) {
                p->Clear();  // a value of the old declaration that the new type refuses
            }
        }
    }
}
