#include "server/sql.h"

#include "framework/wire/value.h"

#include <QSqlError>

#include <cstdio>

namespace server {

namespace {

// SQLite result codes of a lock that could not be taken (primary code, low byte).
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;

}  // namespace

DatabaseBusy::DatabaseBusy(bool conflict)
    : ServerFailure(QStringLiteral("O banco de dados está ocupado. Tente novamente em instantes.")), conflict_(conflict)
{}

void raiseDatabaseFailure(const QString& what, const QString& detail)
{
    std::fprintf(stderr, "ate02700-server: falha no banco de dados (%s): %s\n", what.toUtf8().constData(),
                 detail.simplified().toUtf8().constData());
    throw ServerFailure(
        QStringLiteral("Falha no banco de dados: a operação não foi concluída. "
                       "O detalhe está no registro do servidor."));
}

BusyKind busyKind(Database& db, const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    if (db.engine() == DatabaseUrl::Engine::SQLite) {
        bool ok = false;
        const int n = code.toInt(&ok);
        if (ok && ((n & 0xff) == kSqliteBusy || (n & 0xff) == kSqliteLocked)) return BusyKind::LockWait;
        return error.databaseText().contains(QLatin1String("database is locked")) ? BusyKind::LockWait : BusyKind::None;
    }
    // deadlock_detected, serialization_failure: the database rolled the transaction back.
    if (code == QLatin1String("40P01") || code == QLatin1String("40001")) return BusyKind::Conflict;
    // lock_not_available (lock_timeout), query_canceled (statement_timeout).
    if (code == QLatin1String("55P03") || code == QLatin1String("57014")) return BusyKind::LockWait;
    return BusyKind::None;
}

bool isBusyError(Database& db, const QSqlError& error) { return busyKind(db, error) != BusyKind::None; }

void raiseSqlError(Database& db, const QSqlError& error, const QString& what)
{
    const BusyKind busy = busyKind(db, error);
    if (busy != BusyKind::None) throw DatabaseBusy(busy == BusyKind::Conflict);
    QString detail = error.databaseText().trimmed();
    if (detail.isEmpty()) detail = error.driverText().trimmed();
    if (!error.nativeErrorCode().isEmpty() && !detail.contains(error.nativeErrorCode()))
        detail += QStringLiteral(" [%1]").arg(error.nativeErrorCode());
    raiseDatabaseFailure(what, detail);
}

Sql::Sql(Database& db, QString text) : db_(db), text_(std::move(text))
{
    // A forward-only PostgreSQL query streams its rows and is cut off by the next statement
    // on the connection; reading nests queries, so PostgreSQL results are fetched whole.
    // (The statement cache prepares with the same setting.)
}

Sql& Sql::bind(const QString& placeholder, const QVariant& value)
{
    if (!prepared_) {
        QSqlError failure;
        prepared_ = db_.statements().take(text_, failure);
        if (!prepared_) raiseSqlError(db_, failure, QStringLiteral("preparar"));
    }
    prepared_.bind(placeholder, value);
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
    const bool ok = prepared_ ? prepared_.query().exec() : query().exec(text_);
    if (!ok) raiseSqlError(db_, query().lastError(), text_.simplified().left(60));
}

QSqlQuery& Sql::query()
{
    if (prepared_) return prepared_.query();
    if (!direct_) {
        direct_.emplace(db_.sql());
        direct_->setForwardOnly(db_.engine() == DatabaseUrl::Engine::SQLite);
    }
    return *direct_;
}

bool Sql::next() { return query().next(); }

QVariant Sql::value(int column) const { return query().value(column); }

bool Sql::isNull(int column) const { return query().isNull(column); }

int Sql::rowsAffected() const { return query().numRowsAffected(); }

namespace {

// Two-digit fields of the text forms: "yyyy-MM-dd HH:mm:ss.zzz" is written and read for every
// date-time of every row, so neither goes through Qt's format parser (tens of microseconds
// a value).
void putDigits(char16_t* out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    }
}

// "yyyy-MM-dd" into out[0, 10).
void putDate(char16_t* out, QDate date)
{
    putDigits(out, date.year(), 4);
    out[4] = u'-';
    putDigits(out + 5, date.month(), 2);
    out[7] = u'-';
    putDigits(out + 8, date.day(), 2);
}

// The number written in text[at, at + count) in decimal digits, -1 when any is not a digit.
int digitsAt(QStringView text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool isSeparator(QChar c, char16_t expected) { return c.unicode() == expected; }

}  // namespace

QString timestampText(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    if (!d.isValid() || !t.isValid() || d.year() < 1 || d.year() > 9999)
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QString text(23, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    putDate(out, d);
    out[10] = u' ';
    putDigits(out + 11, t.hour(), 2);
    out[13] = u':';
    putDigits(out + 14, t.minute(), 2);
    out[16] = u':';
    putDigits(out + 17, t.second(), 2);
    out[19] = u'.';
    putDigits(out + 20, t.msec(), 3);
    return text;
}

QString dateText(QDate date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) return date.toString(QStringLiteral("yyyy-MM-dd"));
    QString text(10, Qt::Uninitialized);
    putDate(reinterpret_cast<char16_t*>(text.data()), date);
    return text;
}

QDateTime parseTimestamp(QStringView text)
{
    text = text.trimmed();
    if (text.endsWith(u'Z')) text.chop(1);
    // yyyy-MM-dd
    if (text.size() < 10 || !isSeparator(text[4], u'-') || !isSeparator(text[7], u'-')) return {};
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0) return {};
    const QDate date(year, month, day);
    if (!date.isValid()) return {};
    if (text.size() == 10) return QDateTime(date, QTime(0, 0), Qt::UTC);
    // [ T]HH:mm:ss
    if (text.size() < 19 || !(isSeparator(text[10], u' ') || isSeparator(text[10], u'T'))
        || !isSeparator(text[13], u':') || !isSeparator(text[16], u':'))
        return {};
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
    if (hour < 0 || minute < 0 || second < 0) return {};
    // .fraction: milliseconds; PostgreSQL may give microseconds, of which the milliseconds count.
    int msec = 0;
    if (text.size() > 19) {
        if (!isSeparator(text[19], u'.') || text.size() == 20) return {};
        const qsizetype digits = text.size() - 20;
        for (qsizetype i = 20; i < text.size(); ++i)
            if (text[i].unicode() < u'0' || text[i].unicode() > u'9') return {};
        for (qsizetype i = 0; i < 3; ++i) msec = msec * 10 + (i < digits ? text[20 + i].unicode() - u'0' : 0);
    }
    const QTime time(hour, minute, second, msec);
    if (!time.isValid()) return {};
    return QDateTime(date, time, Qt::UTC);
}

QDateTime readTimestamp(const QVariant& value)
{
    if (value.isNull()) return {};
    if (value.metaType().id() == QMetaType::QDateTime) return wire::naive(value.toDateTime());
    if (value.metaType().id() == QMetaType::QDate) return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    if (value.metaType().id() == QMetaType::QString)
        return parseTimestamp(*static_cast<const QString*>(value.constData()));
    return parseTimestamp(value.toString());
}

QDate readDate(const QVariant& value)
{
    if (value.isNull()) return {};
    if (value.metaType().id() == QMetaType::QDate) return value.toDate();
    const QDateTime dt = readTimestamp(value);
    return dt.isValid() ? dt.date() : QDate();
}

}  // namespace server
