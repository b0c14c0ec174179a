#pragma once
// A read whose rows become a data packet: the lists the methods answer with. On SQLite the
// sqlite3 library's statement (kept per connection, server/sqlite_statements.h) is stepped
// and each column read straight into the wire value of its field; the Qt layer would copy
// every row into variants first and describe the columns again on every run. On PostgreSQL
// the rows come through Sql. Either way a column converts to its field's type exactly as
// valueFromSql converts it (server/packet_builder.h).
//
//   PacketQuery q(db, QStringLiteral("SELECT ... WHERE CDFILIAL = :F"));
//   q.bind(QStringLiteral(":F"), branch);
//   return q.packet(layout::delivery());

#include "framework/wire/value.h"
#include "server/database.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace server {

class PacketQuery {
public:
    PacketQuery(Database& db, QString text);

    // As Sql's: a placeholder (":NAME") and its value; null values need a type.
    PacketQuery& bind(const QString& placeholder, const QVariant& value);
    PacketQuery& bindTimestamp(const QString& placeholder, const std::optional<QDateTime>& value);

    // The text of the ServerFailure thrown when the rows would pass the connection's answer
    // limit (Database::answerLimit) on the wire; "%1" in it becomes the limit. Rows are
    // counted as they are read, so a list too large is refused before it is built whole.
    PacketQuery& refuseOver(QString text);

    // Runs the statement; column i fills field i. Failures as Sql's.
    wire::DataPacket packet(const std::vector<wire::FieldDef>& fields);

private:
    wire::DataPacket viaSql(const std::vector<wire::FieldDef>& fields);
    // Adds the row's wire size to what the packet takes; throws past the limit.
    void count(const wire::Row& row);

    Database& db_;
    QString text_;
    std::vector<std::pair<QString, QVariant>> binds_;
    QString refusal_;
    qsizetype limit_ = 0;
    qsizetype bytes_ = 0;
};

}  // namespace server
