#include "server/batch_insert.h"

#include "server/sql.h"

#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace server {

BatchInsert::BatchInsert(Database& db, const QString& table, const QStringList& columns, int rowsPerStatement)
    : db_(db), table_(table), columns_(columns), perStatement_(std::max(1, rowsPerStatement)), full_(db.sql())
{
    pending_.reserve(static_cast<std::size_t>(perStatement_ * columns_.size()));
}

BatchInsert::~BatchInsert()
{
    if (sqliteStatement_ != nullptr) sqlite3_finalize(sqliteStatement_);
}

QString BatchInsert::statement(int rows) const
{
    const QString one =
        QLatin1Char('(') + QStringList(columns_.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(table_, columns_.join(QLatin1Char(',')), QStringList(rows, one).join(QLatin1Char(',')));
}

void BatchInsert::add(std::vector<QVariant> row)
{
    if (static_cast<qsizetype>(row.size()) != columns_.size())
        throw ServerFailure(QStringLiteral("Carga de %1: linha com %2 valores para %3 colunas.")
                                .arg(table_)
                                .arg(row.size())
                                .arg(columns_.size()));
    for (QVariant& v : row) pending_.push_back(std::move(v));
    if (static_cast<qsizetype>(pending_.size()) >= perStatement_ * columns_.size()) send(perStatement_);
}

void BatchInsert::flush()
{
    const int rows = static_cast<int>(static_cast<qsizetype>(pending_.size()) / columns_.size());
    if (rows > 0) send(rows);
}

void BatchInsert::send(int rows)
{
    if (db_.engine() == DatabaseUrl::Engine::SQLite) {
        sendSqlite(rows);
        return;
    }
    QSqlQuery partial(db_.sql());
    QSqlQuery& q = rows == perStatement_ ? full_ : partial;
    if (&q == &partial || !fullPrepared_) {
        if (!q.prepare(statement(rows))) raiseSqlError(db_, q.lastError(), QStringLiteral("carga de ") + table_);
        if (&q == &full_) fullPrepared_ = true;
    }
    for (int i = 0; i < static_cast<int>(pending_.size()); ++i) q.bindValue(i, pending_[static_cast<std::size_t>(i)]);
    if (!q.exec()) raiseSqlError(db_, q.lastError(), QStringLiteral("carga de ") + table_);
    written_ += rows;
    pending_.clear();
}

namespace {

[[noreturn]] void sqliteFailure(sqlite3* handle, int rc, const QString& table)
{
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) throw DatabaseBusy();
    raiseDatabaseFailure(QStringLiteral("carga de ") + table, QString::fromUtf8(sqlite3_errmsg(handle)));
}

}  // namespace

void BatchInsert::sendSqlite(int rows)
{
    const QVariant handleValue = db_.sql().driver()->handle();
    sqlite3* handle = handleValue.isValid() && qstrcmp(handleValue.typeName(), "sqlite3*") == 0
                          ? *static_cast<sqlite3* const*>(handleValue.constData())
                          : nullptr;
    if (handle == nullptr) throw ServerFailure(QStringLiteral("Conexão SQLite indisponível para a carga."));
    if (sqliteStatement_ == nullptr) {
        const QByteArray sql = statement(1).toUtf8();
        const int rc =
            sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &sqliteStatement_, nullptr);
        if (rc != SQLITE_OK) sqliteFailure(handle, rc, table_);
    }
    const int columns = static_cast<int>(columns_.size());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QVariant& v = pending_[static_cast<std::size_t>(r * columns + c)];
            int rc = SQLITE_OK;
            if (v.isNull()) {
                rc = sqlite3_bind_null(sqliteStatement_, c + 1);
            } else {
                switch (v.metaType().id()) {
                case QMetaType::Int:
                case QMetaType::LongLong:
                case QMetaType::UInt:
                case QMetaType::ULongLong:
                case QMetaType::Bool: rc = sqlite3_bind_int64(sqliteStatement_, c + 1, v.toLongLong()); break;
                case QMetaType::Double:
                case QMetaType::Float: rc = sqlite3_bind_double(sqliteStatement_, c + 1, v.toDouble()); break;
                default: {
                    const QByteArray text = v.toString().toUtf8();
                    rc = sqlite3_bind_text(sqliteStatement_, c + 1, text.constData(), static_cast<int>(text.size()),
                                           SQLITE_TRANSIENT);
                }
                }
            }
            if (rc != SQLITE_OK) sqliteFailure(handle, rc, table_);
        }
        const int rc = sqlite3_step(sqliteStatement_);
        sqlite3_reset(sqliteStatement_);
        if (rc != SQLITE_DONE) sqliteFailure(handle, rc, table_);
    }
    written_ += rows;
    pending_.clear();
}

}  // namespace server
