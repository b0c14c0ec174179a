#include "server/database.h"

#include "server/sql.h"
#include "server/sqlite_statements.h"
#include "server/statement_cache.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace server {

namespace {

constexpr int kLockTimeoutMs = 5000;

}  // namespace

struct Database::Impl {
    DatabaseUrl url;
    QString name;
    QSqlDatabase db;
    std::unique_ptr<StatementCache> statements;
    std::unique_ptr<SqliteStatements> sqliteStatements;
    qsizetype answerLimit = 0;
};

Database::Database() : d_(std::make_unique<Impl>()) {}

Database::~Database()
{
    const QString name = d_->name;
    d_->sqliteStatements.reset();  // prepared statements go before their connection
    d_->statements.reset();
    d_->db.close();
    d_->db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

QSqlDatabase& Database::sql() { return d_->db; }
StatementCache& Database::statements() { return *d_->statements; }

SqliteStatements* Database::sqliteStatements()
{
    if (d_->sqliteStatements) return d_->sqliteStatements.get();
    if (engine() != DatabaseUrl::Engine::SQLite) return nullptr;
    const QVariant handle = d_->db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    if (connection == nullptr) return nullptr;
    d_->sqliteStatements = std::make_unique<SqliteStatements>(connection);
    return d_->sqliteStatements.get();
}
const DatabaseUrl& Database::url() const { return d_->url; }
DatabaseUrl::Engine Database::engine() const { return d_->url.engine; }

bool Database::tableExists(const QString& name)
{
    if (engine() == DatabaseUrl::Engine::SQLite) {
        Sql q(*this, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND UPPER(name) = :N"));
        q.bind(QStringLiteral(":N"), name.toUpper());
        q.exec();
        return q.next() && q.value(0).toInt() > 0;
    }
    Sql q(*this, QStringLiteral("SELECT COUNT(*) FROM information_schema.tables "
                                "WHERE table_schema = current_schema() AND table_name = :N"));
    q.bind(QStringLiteral(":N"), name.toLower());
    q.exec();
    return q.next() && q.value(0).toInt() > 0;
}

std::unique_ptr<Database> Database::open(const DatabaseUrl& url, const QString& connectionName)
{
    if (QSqlDatabase::contains(connectionName))
        throw ServerFailure(QStringLiteral("Conexão ao banco de dados \"%1\" já aberta.").arg(connectionName));

    std::unique_ptr<Database> db(new Database());
    db->d_->url = url;
    db->d_->name = connectionName;
    const bool sqlite = url.engine == DatabaseUrl::Engine::SQLite;
    db->d_->db = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
                                           connectionName);
    QSqlDatabase& q = db->d_->db;
    // Forward-only on SQLite only: see Sql.
    db->d_->statements = std::make_unique<StatementCache>(q, sqlite);
    if (!q.isValid())
        throw ServerFailure(QStringLiteral("O driver do banco de dados (%1) não está instalado.")
                                .arg(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL")));
    if (sqlite) {
        q.setDatabaseName(url.path);
        q.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLockTimeoutMs));
    } else {
        q.setHostName(url.host);
        q.setPort(url.port);
        q.setUserName(url.user);
        q.setPassword(url.password);
        q.setDatabaseName(url.database);
        q.setConnectOptions(QStringLiteral("connect_timeout=10"));
    }
    if (!q.open())
        throw ServerFailure(QStringLiteral("Não foi possível abrir o banco de dados %1: %2")
                                .arg(url.display(), q.lastError().text().trimmed()));

    if (sqlite) {
        // WAL lets readers go on while one writer works; NORMAL sync is safe with WAL.
        Sql(*db, QStringLiteral("PRAGMA journal_mode = WAL")).exec();
        Sql(*db, QStringLiteral("PRAGMA synchronous = NORMAL")).exec();
        Sql(*db, QStringLiteral("PRAGMA foreign_keys = ON")).exec();
    } else {
        Sql(*db, QStringLiteral("SET client_min_messages = warning")).exec();
        Sql(*db, QStringLiteral("SET lock_timeout = %1").arg(kLockTimeoutMs)).exec();
        if (!url.schema.isEmpty()) {
            // The name was checked to be a plain identifier when the URL was parsed.
            Sql exists(*db, QStringLiteral("SELECT COUNT(*) FROM pg_namespace WHERE nspname = :S"));
            exists.bind(QStringLiteral(":S"), url.schema);
            exists.exec();
            if (!exists.next() || exists.value(0).toInt() == 0) {
                try {
                    Sql(*db, QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(url.schema)).exec();
                } catch (const ServerFailure&) {
                    // Another connection created it at the same moment; the search path
                    // below fails if it really is missing.
                }
            }
            Sql(*db, QStringLiteral("SET search_path TO %1").arg(url.schema)).exec();
        }
    }
    return db;
}

void Database::setAnswerLimit(qsizetype bytes) { d_->answerLimit = bytes; }

qsizetype Database::answerLimit() const { return d_->answerLimit; }

void Database::setLockTimeout(int milliseconds)
{
    if (engine() == DatabaseUrl::Engine::SQLite)
        Sql(*this, QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds)).exec();
    else
        Sql(*this, QStringLiteral("SET lock_timeout = %1").arg(milliseconds)).exec();
}

}  // namespace server
