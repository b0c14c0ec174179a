#include "server/method_args.h"

#include "server/value_limits.h"

#include <cmath>

namespace server {

namespace {

QString kindName(wire::Value::Kind kind)
{
    switch (kind) {
    case wire::Value::Kind::Null: return QStringLiteral("nulo");
    case wire::Value::Kind::Bool: return QStringLiteral("lógico");
    case wire::Value::Kind::Integer: return QStringLiteral("inteiro");
    case wire::Value::Kind::Double: return QStringLiteral("número");
    case wire::Value::Kind::Text: return QStringLiteral("texto");
    case wire::Value::Kind::DateTime: return QStringLiteral("data-hora");
    case wire::Value::Kind::Array: return QStringLiteral("lista");
    case wire::Value::Kind::Packet: return QStringLiteral("pacote de dados");
    case wire::Value::Kind::ChangeSet: return QStringLiteral("pacote de alterações");
    }
    return {};
}

}  // namespace

MethodArgs::MethodArgs(const QString& method, wire::Array& args, int expected) : method_(method), args_(args)
{
    if (static_cast<int>(args.size()) != expected)
        throw ArgumentError(
            QStringLiteral("%1: esperados %2 argumentos, recebidos %3.").arg(method).arg(expected).arg(args.size()));
}

const wire::Value& MethodArgs::at(int index) const { return args_[static_cast<std::size_t>(index)]; }

void MethodArgs::fail(int index, const char* what, const QString& expected) const
{
    throw ArgumentError(QStringLiteral("%1: o argumento %2 (%3) deve ser %4; recebido %5.")
                            .arg(method_)
                            .arg(index + 1)
                            .arg(QString::fromUtf8(what), expected, kindName(at(index).kind())));
}

void MethodArgs::refuse(int index, const char* what, const QString& problem) const
{
    throw ArgumentError(QStringLiteral("%1: o argumento %2 (%3) %4.")
                            .arg(method_)
                            .arg(index + 1)
                            .arg(QString::fromUtf8(what), problem));
}

QString MethodArgs::text(int index, const char* what) const
{
    const wire::Value& v = at(index);
    if (v.isNull()) return {};
    if (v.kind() != wire::Value::Kind::Text) fail(index, what, QStringLiteral("texto"));
    // PostgreSQL cannot hold it in a text; SQLite would keep it and cut the text short later.
    if (limits::hasNul(v.text()))
        refuse(index, what, QStringLiteral("contém o caractere nulo (código 0), que não é aceito"));
    return v.text();
}

QDateTime MethodArgs::dateTime(int index, const char* what) const
{
    const wire::Value& v = at(index);
    if (v.kind() != wire::Value::Kind::DateTime) fail(index, what, QStringLiteral("data-hora"));
    return v.dateTime();
}

double MethodArgs::number(int index, const char* what) const
{
    const wire::Value& v = at(index);
    if (!v.isNumber()) fail(index, what, QStringLiteral("número"));
    if (const auto wrong = limits::nonFiniteName(v.toDouble()))
        refuse(index, what, QStringLiteral("deve ser um número finito; recebido %1").arg(*wrong));
    return v.toDouble();
}

qint64 MethodArgs::integer(int index, const char* what) const
{
    const wire::Value& v = at(index);
    if (v.kind() == wire::Value::Kind::Integer) return v.toInteger();
    if (v.kind() == wire::Value::Kind::Double) {
        const double d = v.toDouble();
        if (const auto wrong = limits::nonFiniteName(d))
            refuse(index, what, QStringLiteral("deve ser um número inteiro; recebido %1").arg(*wrong));
        if (d == std::trunc(d) && std::fabs(d) < 9e15) return static_cast<qint64>(d);
        refuse(index, what, QStringLiteral("deve ser um número inteiro; recebido %1").arg(QString::number(d, 'g', 15)));
    }
    fail(index, what, QStringLiteral("inteiro"));
}

qint64 MethodArgs::key(int index, const char* what, bool asText) const
{
    const qint64 value = asText ? integerText(index, what) : integer(index, what);
    if (!limits::fitsInteger(value))
        refuse(index, what,
               QStringLiteral("deve estar entre %1 e %2; recebido %3")
                   .arg(limits::kIntegerMin)
                   .arg(limits::kIntegerMax)
                   .arg(value));
    return value;
}

qint64 MethodArgs::integerText(int index, const char* what) const
{
    const wire::Value& v = at(index);
    if (v.kind() == wire::Value::Kind::Text) {
        bool ok = false;
        const qint64 n = v.text().trimmed().toLongLong(&ok);
        if (ok) return n;
        throw ArgumentError(QStringLiteral("%1: o argumento %2 (%3) deve ser um número inteiro; recebido \"%4\".")
                                .arg(method_)
                                .arg(index + 1)
                                .arg(QString::fromUtf8(what), v.text().left(40)));
    }
    if (v.isNumber()) return integer(index, what);
    fail(index, what, QStringLiteral("texto com um número inteiro"));
}

const wire::DataPacket& MethodArgs::packet(int index, const char* what) const
{
    const wire::Value& v = at(index);
    if (v.kind() != wire::Value::Kind::Packet) fail(index, what, QStringLiteral("pacote de dados"));
    return v.packet();
}

wire::DataPacket MethodArgs::packetOrEmpty(int index, const char* what) const
{
    if (at(index).isNull()) return {};
    return packet(index, what);
}

const wire::ChangeSet& MethodArgs::changeSet(int index, const char* what) const
{
    const wire::Value& v = at(index);
    if (v.kind() != wire::Value::Kind::ChangeSet) fail(index, what, QStringLiteral("pacote de alterações"));
    return v.changeSet();
}

}  // namespace server
