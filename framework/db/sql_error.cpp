#include "framework/db/sql_error.h"

#include <QSqlError>

QString SqlErrorText(const QSqlError& error)
{
    const QString database = error.databaseText().trimmed();
    if (!database.isEmpty()) return database;
    const QString driver = error.driverText().trimmed();
    return driver.isEmpty() ? error.text().trimmed() : driver;
}
