#include "tests/support/test_database.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>
#include <stdexcept>

namespace testsupport {

namespace {

std::runtime_error failure(const QString& text) { return std::runtime_error(text.toStdString()); }

// Runs one statement on the maintenance connection to the cluster of ATE_TEST_PG_URL.
void runOnCluster(const QUrl& url, const QString& statement)
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("ate-test-admin-%1").arg(counter.fetch_add(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(url.path().mid(1));
        if (!db.open()) {
            const QString error = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw failure(QStringLiteral("PostgreSQL de teste inacessível: %1").arg(error));
        }
        QSqlQuery query(db);
        const bool ok = query.exec(statement);
        const QString error = query.lastError().text();
        query = QSqlQuery();
        db.close();
        if (!ok) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw failure(QStringLiteral("PostgreSQL de teste: \"%1\" falhou: %2").arg(statement, error));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

}  // namespace

TempDir::TempDir()
{
    if (!dir_.isValid())
        throw failure(QStringLiteral("Não foi possível criar uma pasta temporária: %1").arg(dir_.errorString()));
}

std::optional<QString> postgresqlTestUrl()
{
    const QString url = qEnvironmentVariable("ATE_TEST_PG_URL");
    if (url.isEmpty()) return std::nullopt;
    return url;
}

QString engineName(TestDatabase::Engine engine)
{
    return engine == TestDatabase::Engine::SQLite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
}

TestDatabase::TestDatabase(Engine engine, QString url, QString scratchName)
    : engine_(engine), url_(std::move(url)), scratchName_(std::move(scratchName))
{
    if (engine_ == Engine::SQLite) url_ = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("ate.db"));
}

TestDatabase::~TestDatabase()
{
    if (scratchName_.isEmpty()) return;
    try {
        // FORCE: a server that was killed may still hold connections for a moment.
        runOnCluster(QUrl(*postgresqlTestUrl()),
                     QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(scratchName_));
    } catch (const std::exception&) {
        // The cluster is thrown away at the end of the run anyway.
    }
}

std::unique_ptr<TestDatabase> TestDatabase::sqlite()
{
    return std::unique_ptr<TestDatabase>(new TestDatabase(Engine::SQLite, {}, {}));
}

std::unique_ptr<TestDatabase> TestDatabase::postgresql()
{
    const auto base = postgresqlTestUrl();
    if (!base) return nullptr;
    QUrl url(*base);
    if (!url.isValid() || url.scheme() != QLatin1String("postgresql"))
        throw failure(QStringLiteral("ATE_TEST_PG_URL inválida: %1").arg(*base));

    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("ate_t_%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(counter.fetch_add(1))
                             .arg(QDateTime::currentMSecsSinceEpoch() % 100000);
    runOnCluster(url, QStringLiteral("CREATE DATABASE %1").arg(name));
    url.setPath(QLatin1Char('/') + name);
    return std::unique_ptr<TestDatabase>(new TestDatabase(Engine::PostgreSQL, url.toString(), name));
}

DirectConnection::DirectConnection(const TestDatabase& database)
{
    static std::atomic<int> counter{0};
    name_ = QStringLiteral("ate-test-direct-%1").arg(counter.fetch_add(1));
    if (database.engine() == TestDatabase::Engine::SQLite) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(database.url().mid(QStringLiteral("sqlite:").size()));
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        const QUrl url(database.url());
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        db_.setHostName(url.host());
        db_.setPort(url.port(5432));
        db_.setUserName(url.userName());
        db_.setPassword(url.password());
        db_.setDatabaseName(url.path().mid(1));
    }
    if (!db_.open()) {
        const QString error = db_.lastError().text();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw failure(QStringLiteral("Conexão direta ao banco de teste falhou: %1").arg(error));
    }
}

DirectConnection::~DirectConnection()
{
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void DirectConnection::exec(const QString& statement)
{
    QSqlQuery query(db_);
    if (!query.exec(statement))
        throw failure(QStringLiteral("\"%1\" falhou: %2").arg(statement, query.lastError().text()));
}

QVariantList DirectConnection::column(const QString& statement)
{
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.exec(statement))
        throw failure(QStringLiteral("\"%1\" falhou: %2").arg(statement, query.lastError().text()));
    QVariantList values;
    while (query.next()) values.push_back(query.value(0));
    return values;
}

QVariant DirectConnection::scalar(const QString& statement)
{
    const QVariantList values = column(statement);
    return values.isEmpty() ? QVariant() : values.front();
}

WriteLock::WriteLock(const TestDatabase& database) : connection_(database)
{
    if (database.engine() == TestDatabase::Engine::SQLite) {
        connection_.exec(QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        connection_.exec(QStringLiteral("BEGIN"));
        connection_.exec(QStringLiteral("LOCK TABLE DELIVERY IN ACCESS EXCLUSIVE MODE"));
    }
    held_ = true;
}

WriteLock::~WriteLock()
{
    try {
        release();
    } catch (const std::exception&) {
        // Closing the connection rolls back as well.
    }
}

void WriteLock::release()
{
    if (!held_) return;
    held_ = false;
    connection_.exec(QStringLiteral("ROLLBACK"));
}

std::unique_ptr<TestDatabase> TestDatabase::create(Engine engine)
{
    return engine == Engine::SQLite ? sqlite() : postgresql();
}

}  // namespace testsupport
