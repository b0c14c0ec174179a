#include "server/sql.h"

#include "framework/wire/value.h"

#include <QSqlError>

namespace server {

namespace {

// SQLite result codes of a lock that could not be taken (primary code, low byte).
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;

}  // namespace

DatabaseBusy::DatabaseBusy()
    : ServerFailure(QStringLiteral("O banco de dados está ocupado. Tente novamente em instantes."))
{
}

bool isBusyError(Database& db, const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    if (db.engine() == DatabaseUrl::Engine::SQLite) {
        bool ok = false;
        const int n = code.toInt(&ok);
        if (ok && ((n & 0xff) == kSqliteBusy || (n & 0xff) == kSqliteLocked)) return true;
        return error.databaseText().contains(QLatin1String("database is locked"));
    }
    // lock_not_available (lock_timeout), deadlock_detected, serialization_failure,
    // query_canceled (statement_timeout).
    return code == QLatin1String("55P03") || code == QLatin1String("40P01") ||
           code == QLatin1String("40001") || code == QLatin1String("57014");
}

void raiseSqlError(Database& db, const QSqlError& error, const QString& what)
{
    if (isBusyError(db, error)) throw DatabaseBusy();
    QString detail = error.databaseText().trimmed();
    if (detail.isEmpty()) detail = error.driverText().trimmed();
    throw ServerFailure(QStringLiteral("Falha no banco de dados (%1): %2").arg(what, detail));
}

Sql::Sql(Database& db, QString text) : db_(db), text_(std::move(text)), q_(db.sql())
{
    // A forward-only PostgreSQL query streams its rows and is cut off by the next statement
    // on the connection; reading nests queries, so PostgreSQL results are fetched whole.
    q_.setForwardOnly(db.engine() == DatabaseUrl::Engine::SQLite);
}

Sql& Sql::bind(const QString& placeholder, const QVariant& value)
{
    if (!prepared_) {
        if (!q_.prepare(text_)) raiseSqlError(db_, q_.lastError(), QStringLiteral("preparar"));
        prepared_ = true;
    }
    q_.bindValue(placeholder, value);
    return *this;
}

Sql& Sql::bindText(const QString& placeholder, const std::optional<QString>& value)
{
    return bind(placeholder, value ? QVariant(*value) : QVariant(QMetaType(QMetaType::QString)));
}

Sql& Sql::bindNumber(const QString& placeholder, const std::optional<double>& value)
{
    return bind(placeholder, value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double)));
}

Sql& Sql::bindTimestamp(const QString& placeholder, const std::optional<QDateTime>& value)
{
    return bindText(placeholder, value && value->isValid() ? std::optional(timestampText(*value)) : std::nullopt);
}

Sql& Sql::bindDate(const QString& placeholder, QDate value)
{
    return bindText(placeholder, value.isValid() ? std::optional(dateText(value)) : std::nullopt);
}

void Sql::exec()
{
    // Statements without parameters run directly: PostgreSQL cannot prepare DDL.
    const bool ok = prepared_ ? q_.exec() : q_.exec(text_);
    if (!ok) raiseSqlError(db_, q_.lastError(), text_.simplified().left(60));
}

bool Sql::next() { return q_.next(); }

QVariant Sql::value(int column) const { return q_.value(column); }

bool Sql::isNull(int column) const { return q_.isNull(column); }

int Sql::rowsAffected() const { return q_.numRowsAffected(); }

QString timestampText(const QDateTime& dt)
{
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString dateText(QDate date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QDateTime readTimestamp(const QVariant& value)
{
    if (value.isNull()) return {};
    if (value.metaType().id() == QMetaType::QDateTime) return wire::naive(value.toDateTime());
    if (value.metaType().id() == QMetaType::QDate) return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    QString text = value.toString().trimmed();
    if (text.size() >= 19 && text.at(10) == QLatin1Char('T')) text[10] = QLatin1Char(' ');
    if (text.endsWith(QLatin1Char('Z'))) text.chop(1);
    for (const auto* format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd"}) {
        QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
        if (dt.isValid()) return wire::naive(dt);
    }
    // PostgreSQL may give microseconds: keep the milliseconds.
    if (text.size() > 23 && text.at(19) == QLatin1Char('.')) {
        QDateTime dt = QDateTime::fromString(text.left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (dt.isValid()) return wire::naive(dt);
    }
    return {};
}

QDate readDate(const QVariant& value)
{
    if (value.isNull()) return {};
    if (value.metaType().id() == QMetaType::QDate) return value.toDate();
    const QDateTime dt = readTimestamp(value);
    return dt.isValid() ? dt.date() : QDate();
}

}  // namespace server
