#include "framework/wire/value.h"

#include "framework/wire/codec.h"

#include <cmath>

namespace wire {

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String: return QStringLiteral("string");
    case FieldType::Float: return QStringLiteral("float");
    case FieldType::DateTime: return QStringLiteral("datetime");
    case FieldType::Integer: return QStringLiteral("integer");
    }
    return {};
}

std::optional<FieldType> fieldTypeFromName(QStringView name)
{
    if (name == u"string") return FieldType::String;
    if (name == u"float") return FieldType::Float;
    if (name == u"datetime") return FieldType::DateTime;
    if (name == u"integer") return FieldType::Integer;
    return std::nullopt;
}

QDateTime makeDateTime(int year, int month, int day, int hour, int minute, int second, int msec)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

QDateTime naive(const QDateTime& dt)
{
    if (!dt.isValid()) return {};
    if (dt.timeSpec() == Qt::UTC) return dt;
    return QDateTime(dt.date(), dt.time(), Qt::UTC);
}

Value::Value(const QDateTime& dt)
{
    if (dt.isValid()) v_ = naive(dt);
}

Value::Value(Array a) : v_(std::make_shared<const Array>(std::move(a))) {}
Value::Value(DataPacket p) : v_(std::make_shared<DataPacket>(std::move(p))) {}
Value::Value(ChangeSet c) : v_(std::make_shared<const ChangeSet>(std::move(c))) {}

namespace {
const char* kindName(Value::Kind kind)
{
    switch (kind) {
    case Value::Kind::Null: return "null";
    case Value::Kind::Bool: return "boolean";
    case Value::Kind::Integer: return "integer";
    case Value::Kind::Double: return "double";
    case Value::Kind::Text: return "text";
    case Value::Kind::DateTime: return "date-time";
    case Value::Kind::Array: return "array";
    case Value::Kind::Packet: return "data packet";
    case Value::Kind::ChangeSet: return "change set";
    }
    return "?";
}

[[noreturn]] void wrongKind(Value::Kind want, Value::Kind have)
{
    throw WireError(
        QStringLiteral("Expected %1, found %2.").arg(QLatin1String(kindName(want)), QLatin1String(kindName(have))));
}
}  // namespace

bool Value::toBool() const
{
    if (auto b = std::get_if<bool>(&v_)) return *b;
    wrongKind(Kind::Bool, kind());
}

qint64 Value::toInteger() const
{
    if (auto i = std::get_if<qint64>(&v_)) return *i;
    if (auto d = std::get_if<double>(&v_)) {
        // Only an integral double in the range of qint64 reads as an integer.
        if (std::isfinite(*d) && std::trunc(*d) == *d && *d >= -9.2233720368547758e18 && *d < 9.2233720368547758e18)
            return static_cast<qint64>(*d);
    }
    wrongKind(Kind::Integer, kind());
}

double Value::toDouble() const
{
    if (auto d = std::get_if<double>(&v_)) return *d;
    if (auto i = std::get_if<qint64>(&v_)) return static_cast<double>(*i);
    wrongKind(Kind::Double, kind());
}

const QString& Value::text() const
{
    if (auto s = std::get_if<QString>(&v_)) return *s;
    wrongKind(Kind::Text, kind());
}

const QDateTime& Value::dateTime() const
{
    if (auto dt = std::get_if<QDateTime>(&v_)) return *dt;
    wrongKind(Kind::DateTime, kind());
}

const Array& Value::array() const
{
    if (auto a = std::get_if<std::shared_ptr<const Array>>(&v_)) return **a;
    wrongKind(Kind::Array, kind());
}

const DataPacket& Value::packet() const
{
    if (auto p = std::get_if<std::shared_ptr<DataPacket>>(&v_)) return **p;
    wrongKind(Kind::Packet, kind());
}

const ChangeSet& Value::changeSet() const
{
    if (auto c = std::get_if<std::shared_ptr<const ChangeSet>>(&v_)) return **c;
    wrongKind(Kind::ChangeSet, kind());
}

DataPacket Value::takePacket()
{
    auto p = std::get_if<std::shared_ptr<DataPacket>>(&v_);
    if (!p) wrongKind(Kind::Packet, kind());
    if (p->use_count() == 1) {
        DataPacket out = std::move(**p);
        v_ = std::monostate{};
        return out;
    }
    return **p;
}

QString Value::debugString() const
{
    switch (kind()) {
    case Kind::Null: return QStringLiteral("null");
    case Kind::Bool: return toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Kind::Integer: return QString::number(std::get<qint64>(v_));
    case Kind::Double: return QString::number(std::get<double>(v_), 'g', 17);
    case Kind::Text: return QLatin1Char('"') + text() + QLatin1Char('"');
    case Kind::DateTime: return dateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    case Kind::Array: {
        QStringList parts;
        for (const auto& item : array()) parts << item.debugString();
        return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    case Kind::Packet:
        return QStringLiteral("<packet %1 fields, %2 rows>").arg(packet().fields.size()).arg(packet().rows.size());
    case Kind::ChangeSet: return QStringLiteral("<change set %1 changes>").arg(changeSet().changes.size());
    }
    return {};
}

bool operator==(const Value& a, const Value& b)
{
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
    case Value::Kind::Null: return true;
    case Value::Kind::Bool: return a.toBool() == b.toBool();
    case Value::Kind::Integer: return a.toInteger() == b.toInteger();
    case Value::Kind::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    case Value::Kind::Text: return a.text() == b.text();
    case Value::Kind::DateTime: return a.dateTime() == b.dateTime();
    case Value::Kind::Array: return a.array() == b.array();
    case Value::Kind::Packet: return a.packet() == b.packet();
    case Value::Kind::ChangeSet: return a.changeSet() == b.changeSet();
    }
    return false;
}

int DataPacket::fieldIndex(QStringView name) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return -1;
}

int ChangeSet::fieldIndex(QStringView name) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace wire
