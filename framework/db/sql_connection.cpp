#include "framework/db/sql_connection.h"

#include "framework/core/exceptions.h"

QSqlDatabase AddSqlConnection(const TDbUrl& url, const QString& connectionName, int busyTimeoutMs)
{
    const QString driver = url.DriverName();
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw EDatabaseError(QStringLiteral("O driver de banco de dados %1 não está instalado.").arg(driver));
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, connectionName);
    if (url.dialect == TSqlDialect::SQLite) {
        db.setDatabaseName(url.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        return db;
    }
    db.setHostName(url.host);
    db.setPort(url.port);
    db.setDatabaseName(url.database);
    db.setUserName(url.user);
    db.setPassword(url.password);
    if (url.dialect == TSqlDialect::PostgreSQL) db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    return db;
}
