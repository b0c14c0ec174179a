#include "server/packet_query.h"

#include "server/packet_builder.h"
#include "server/sql.h"
#include "server/sqlite_statements.h"

#include "framework/wire/codec.h"

#include <sqlite3.h>

namespace server {

namespace {

[[noreturn]] void sqliteFailure(sqlite3* handle, int rc, const QString& text)
{
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) throw DatabaseBusy();
    raiseDatabaseFailure(text.simplified().left(60), QString::fromUtf8(sqlite3_errmsg(handle)));
}

// Binds as Qt's SQLite driver binds: numbers as numbers, everything else as text.
int bindValue(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull()) return sqlite3_bind_null(statement, index);
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool: return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return sqlite3_bind_double(statement, index, value.toDouble());
    case QMetaType::QString: {
        const auto& text = *static_cast<const QString*>(value.constData());
        return sqlite3_bind_text16(statement, index, text.utf16(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
    }
    default: {
        const QString text = value.toString();
        return sqlite3_bind_text16(statement, index, text.utf16(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
    }
    }
}

// The position of a placeholder (":NAME", plain ASCII in our texts); 0 when the text has none.
int parameterIndex(sqlite3_stmt* statement, const QString& placeholder)
{
    char name[64];
    if (placeholder.size() >= static_cast<qsizetype>(sizeof name))
        return sqlite3_bind_parameter_index(statement, placeholder.toUtf8().constData());
    for (qsizetype i = 0; i < placeholder.size(); ++i) {
        const char16_t c = placeholder[i].unicode();
        if (c >= 0x80) return sqlite3_bind_parameter_index(statement, placeholder.toUtf8().constData());
        name[i] = static_cast<char>(c);
    }
    name[placeholder.size()] = '\0';
    return sqlite3_bind_parameter_index(statement, name);
}

QStringView textOf(sqlite3_stmt* statement, int column)
{
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
    const int bytes = sqlite3_column_bytes16(statement, column);
    return data ? QStringView(data, bytes / 2) : QStringView();
}

// The column as Qt's SQLite driver would give it, for the conversions that are left to
// valueFromSql.
QVariant variantOf(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
    }
    case SQLITE_NULL: return QVariant();
    default: return QVariant(textOf(statement, column).toString());
    }
}

// One column into the value of its field; the usual cases straight from SQLite's own value.
wire::Value cell(const wire::FieldDef& field, sqlite3_stmt* statement, int column)
{
    const int type = sqlite3_column_type(statement, column);
    if (type == SQLITE_NULL) return {};
    switch (field.type) {
    case wire::FieldType::String:
        if (type == SQLITE_TEXT) return wire::Value(textOf(statement, column).toString());
        break;
    case wire::FieldType::Float:
        if (type == SQLITE_FLOAT || type == SQLITE_INTEGER)
            return wire::Value(sqlite3_column_double(statement, column));
        break;
    case wire::FieldType::Integer:
        if (type == SQLITE_INTEGER) return wire::Value(qint64(sqlite3_column_int64(statement, column)));
        break;
    case wire::FieldType::DateTime:
        if (type == SQLITE_TEXT) {
            const QDateTime dt = parseTimestamp(textOf(statement, column));
            return dt.isValid() ? wire::Value(dt) : wire::Value();
        }
        break;
    }
    return valueFromSql(field, variantOf(statement, column));
}

// What a value takes on the wire, near enough to hold a list to the frame limit (texts are
// counted as UTF-8).
qsizetype wireBytes(const wire::Value& value)
{
    switch (value.kind()) {
    case wire::Value::Kind::Null:
    case wire::Value::Kind::Bool: return 1;
    case wire::Value::Kind::Integer:
    case wire::Value::Kind::Double: return 9;
    case wire::Value::Kind::DateTime: return 26;
    case wire::Value::Kind::Text: {
        const QString& text = value.text();
        qsizetype bytes = 5 + text.size();
        for (const QChar c : text)
            if (c.unicode() >= 0x80) bytes += c.unicode() >= 0x800 && !c.isSurrogate() ? 2 : 1;
        return bytes;
    }
    default: return wire::encodeValue(value).size();
    }
}

}  // namespace

PacketQuery::PacketQuery(Database& db, QString text)
    : db_(db),
      text_(std::move(text)),
      refusal_(QStringLiteral("A resposta passa do limite de %1 bytes por mensagem do servidor.")),
      limit_(db.answerLimit())
{}

PacketQuery& PacketQuery::refuseOver(QString text)
{
    refusal_ = std::move(text);
    return *this;
}

void PacketQuery::count(const wire::Row& row)
{
    if (limit_ <= 0) return;
    bytes_ += 5;
    for (const wire::Value& cell : row) bytes_ += wireBytes(cell);
    if (bytes_ > limit_) throw ServerFailure(refusal_.arg(limit_));
}

PacketQuery& PacketQuery::bind(const QString& placeholder, const QVariant& value)
{
    binds_.emplace_back(placeholder, value);
    return *this;
}

PacketQuery& PacketQuery::bindTimestamp(const QString& placeholder, const std::optional<QDateTime>& value)
{
    return bind(placeholder,
                value && value->isValid() ? QVariant(timestampText(*value)) : QVariant(QMetaType(QMetaType::QString)));
}

wire::DataPacket PacketQuery::viaSql(const std::vector<wire::FieldDef>& fields)
{
    Sql q(db_, text_);
    for (const auto& [placeholder, value] : binds_) q.bind(placeholder, value);
    q.exec();
    wire::DataPacket packet;
    packet.fields = fields;
    const int n = static_cast<int>(fields.size());
    while (q.next()) {
        wire::Row& row = packet.rows.emplace_back();
        row.reserve(fields.size());
        for (int i = 0; i < n; ++i) row.push_back(valueFromSql(fields[static_cast<std::size_t>(i)], q.value(i)));
        count(row);
    }
    return packet;
}

wire::DataPacket PacketQuery::packet(const std::vector<wire::FieldDef>& fields)
{
    SqliteStatements* statements = db_.sqliteStatements();
    if (!statements) return viaSql(fields);

    const SqliteStatements::Lease lease = statements->take(text_);
    sqlite3_stmt* statement = lease.statement();
    for (const auto& [placeholder, value] : binds_) {
        const int index = parameterIndex(statement, placeholder);
        if (index == 0) continue;  // as Qt does with a name the text does not hold
        const int rc = bindValue(statement, index, value);
        if (rc != SQLITE_OK) sqliteFailure(statements->handle(), rc, text_);
    }

    wire::DataPacket packet;
    packet.fields = fields;
    const int columns = std::min(static_cast<int>(fields.size()), sqlite3_column_count(statement));
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) sqliteFailure(statements->handle(), rc, text_);
        wire::Row& row = packet.rows.emplace_back();
        row.reserve(fields.size());
        for (int i = 0; i < columns; ++i) row.push_back(cell(fields[static_cast<std::size_t>(i)], statement, i));
        // Fields the query does not give are null, as packetFromQuery leaves them.
        row.resize(fields.size());
        count(row);
    }
    return packet;
}

}  // namespace server
