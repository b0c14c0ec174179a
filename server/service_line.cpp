#include "server/service_line.h"

#include "server/packet_builder.h"
#include "server/record_layouts.h"
#include "server/sql.h"

#include <QStringList>

#include <cmath>

namespace server {

namespace {

const char* const kColumns[] = {
    "NRITEMPLANSP", "CDSERVICO",   "CDAGRDECO",    "CDAGRDEDE",    "CDCLASSE",        "CDCICLO",      "IDSITSERSP",
    "VRALTXPORT",   "IDTIPSCBOSP", "QTSESOLICSP",  "QTSERVFIXSP",  "QTATUAPRODSP",    "QTSERFATSP",   "QTSESBYUTSP",
    "QTSESBYNUTSP", "QTSESBYPRSP", "QTANTAPRODSP", "QTCORTSERVSP", "QTREALPROD",      "VRPESOSESP",   "IDTIPMANUALSP",
    "IDSEREXTSP",   "IDSTKDTSP",   "CDUSRRESPSP",  "DTHRINCSESP",  "VRPRURESESP",     "VRPRUDOLSESP", "VRPRUSBYSP",
    "PRECOSBYUT",   "PRECOSBYNUT", "VRTOTSERVR",   "VRTOTSERVD",   "VRPRECMANUTSESP", "IDTPPRECO",
};

std::vector<wire::FieldDef> buildColumns()
{
    std::vector<wire::FieldDef> list;
    for (const char* name : kColumns) {
        const int i = layout::indexOf(layout::service(), QString::fromLatin1(name));
        list.push_back(layout::service()[static_cast<std::size_t>(i)]);
    }
    return list;
}

QVariant toSql(const wire::FieldDef& column, const wire::Value& v)
{
    switch (column.type) {
    case wire::FieldType::String: return v.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(v.text());
    case wire::FieldType::Float:
    case wire::FieldType::Integer: return v.isNull() ? QVariant(QMetaType(QMetaType::Double)) : QVariant(v.toDouble());
    case wire::FieldType::DateTime:
        return v.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(timestampText(v.dateTime()));
    }
    return {};
}

QString columnList(const QString& prefix)
{
    QStringList parts;
    for (const char* name : kColumns) parts << prefix + QLatin1String(name);
    return parts.join(QStringLiteral(", "));
}

void bindLine(Sql& q, qint64 delivery, const ServiceLine& line)
{
    q.bind(QStringLiteral(":NRDELIVERY"), delivery);
    for (const wire::FieldDef& column : serviceLineColumns())
        q.bind(QLatin1Char(':') + column.name, toSql(column, line.get(column.name)));
}

}  // namespace

const std::vector<wire::FieldDef>& serviceLineColumns()
{
    static const std::vector<wire::FieldDef> list = buildColumns();
    return list;
}

const wire::Value& ServiceLine::get(const QString& column) const
{
    static const wire::Value null;
    const auto it = values.constFind(column);
    return it == values.constEnd() ? null : *it;
}

QString ServiceLine::text(const QString& column) const
{
    const wire::Value& v = get(column);
    return v.kind() == wire::Value::Kind::Text ? v.text() : QString();
}

std::optional<double> ServiceLine::number(const QString& column) const
{
    const wire::Value& v = get(column);
    if (!v.isNumber()) return std::nullopt;
    return v.toDouble();
}

qint64 ServiceLine::item() const { return static_cast<qint64>(number(QStringLiteral("NRITEMPLANSP")).value_or(0)); }

std::optional<ServiceLine> loadServiceLine(Database& db, qint64 delivery, qint64 item)
{
    Sql q(db, QStringLiteral("SELECT %1 FROM SERVDEL WHERE NRDELIVERY = :N AND NRITEMPLANSP = :I")
                  .arg(columnList(QString())));
    q.bind(QStringLiteral(":N"), delivery).bind(QStringLiteral(":I"), item);
    q.exec();
    if (!q.next()) return std::nullopt;
    ServiceLine line;
    const auto& columns = serviceLineColumns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        line.set(columns[i].name, valueFromSql(columns[i], q.value(static_cast<int>(i))));
    return line;
}

void insertServiceLine(Database& db, qint64 delivery, const ServiceLine& line)
{
    Sql q(db, QStringLiteral("INSERT INTO SERVDEL (NRDELIVERY, %1) VALUES (:NRDELIVERY, %2)")
                  .arg(columnList(QString()), columnList(QStringLiteral(":"))));
    bindLine(q, delivery, line);
    q.exec();
}

void updateServiceLine(Database& db, qint64 delivery, const ServiceLine& line)
{
    QStringList sets;
    for (const char* name : kColumns)
        if (qstrcmp(name, "NRITEMPLANSP") != 0) sets << QStringLiteral("%1 = :%1").arg(QLatin1String(name));
    Sql q(db, QStringLiteral("UPDATE SERVDEL SET %1 WHERE NRDELIVERY = :NRDELIVERY AND NRITEMPLANSP = :NRITEMPLANSP")
                  .arg(sets.join(QStringLiteral(", "))));
    bindLine(q, delivery, line);
    q.exec();
}

void deleteServiceLine(Database& db, qint64 delivery, qint64 item)
{
    Sql q(db, QStringLiteral("DELETE FROM SERVDEL WHERE NRDELIVERY = :N AND NRITEMPLANSP = :I"));
    q.bind(QStringLiteral(":N"), delivery).bind(QStringLiteral(":I"), item);
    q.exec();
}

bool sameStoredValue(wire::FieldType type, const wire::Value& stored, const wire::Value& held)
{
    switch (type) {
    case wire::FieldType::String: {
        auto asText = [](const wire::Value& v) -> std::optional<QString> {
            if (v.isNull()) return QString();
            if (v.kind() == wire::Value::Kind::Text) return v.text();
            return std::nullopt;
        };
        const auto a = asText(stored);
        const auto b = asText(held);
        return a && b && *a == *b;
    }
    case wire::FieldType::Float:
    case wire::FieldType::Integer:
        if (stored.isNull() || held.isNull()) return stored.isNull() && held.isNull();
        if (!stored.isNumber() || !held.isNumber()) return false;
        return std::fabs(stored.toDouble() - held.toDouble()) <= 1e-6;
    case wire::FieldType::DateTime:
        if (stored.isNull() || held.isNull()) return stored.isNull() && held.isNull();
        if (stored.kind() != wire::Value::Kind::DateTime || held.kind() != wire::Value::Kind::DateTime) return false;
        return stored.dateTime().toMSecsSinceEpoch() == held.dateTime().toMSecsSinceEpoch();
    }
    return false;
}

}  // namespace server
