#pragma once
// One SQL statement on a server connection: bind by name, run, read. Every failure becomes a
// ServerFailure with a Portuguese text (the database's own text only in the log); a lock wait
// that ran out, or a deadlock the database broke, becomes DatabaseBusy.
// A statement with parameters is prepared once per connection and borrowed from the
// connection's cache (server/statement_cache.h) for the life of the Sql object.

#include "server/database.h"
#include "server/statement_cache.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <optional>

class QSqlError;

namespace server {

class Sql {
public:
    Sql(Database& db, QString text);

    // Binds a placeholder (":NAME"). Null values need a type: use the typed helpers.
    Sql& bind(const QString& placeholder, const QVariant& value);
    Sql& bindText(const QString& placeholder, const std::optional<QString>& value);
    Sql& bindNumber(const QString& placeholder, const std::optional<double>& value);
    Sql& bindTimestamp(const QString& placeholder, const std::optional<QDateTime>& value);
    Sql& bindDate(const QString& placeholder, QDate value);

    void exec();
    bool next();
    QVariant value(int column) const;
    bool isNull(int column) const;
    int rowsAffected() const;
    // Ends the reading of the result (a statement left open holds a read snapshot).
    void finish() { query().finish(); }
    QSqlQuery& query();
    const QSqlQuery& query() const { return const_cast<Sql*>(this)->query(); }

private:
    Database& db_;
    QString text_;
    std::optional<QSqlQuery> direct_;  // statements without parameters, run directly
    StatementCache::Lease prepared_;   // statements with parameters
};

// Raises the failure that matches a driver error: DatabaseBusy for a lock, otherwise a
// failure whose text names no SQL (the detail is logged).
[[noreturn]] void raiseSqlError(Database& db, const QSqlError& error, const QString& what);
enum class BusyKind { None, LockWait, Conflict };
BusyKind busyKind(Database& db, const QSqlError& error);
bool isBusyError(Database& db, const QSqlError& error);

// How date-times and dates are written to the database: the branch's wall-clock reading,
// "yyyy-MM-dd HH:mm:ss.zzz" and "yyyy-MM-dd". Text order is time order on SQLite, and
// PostgreSQL reads both as TIMESTAMP and DATE.
QString timestampText(const QDateTime& dt);
QString dateText(QDate date);
// A date-time read back (QDateTime from PostgreSQL, text from SQLite), naive; invalid when
// the value is null or unreadable.
QDateTime readTimestamp(const QVariant& value);
// The text forms: "yyyy-MM-dd HH:mm:ss[.f...]" (a "T" for the blank, a trailing "Z" and
// surrounding blanks allowed; the first three fraction digits are the milliseconds) or
// "yyyy-MM-dd"; invalid for anything else, including dates and times that do not exist.
QDateTime parseTimestamp(QStringView text);
QDate readDate(const QVariant& value);

}  // namespace server
