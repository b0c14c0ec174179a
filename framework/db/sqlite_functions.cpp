#include "framework/db/sqlite_functions.h"

#include "framework/core/exceptions.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace {

void nvl(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 2) {
        sqlite3_result_error(context, "NVL takes two arguments", -1);
        return;
    }
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) != SQLITE_NULL ? argv[0] : argv[1]);
}

}  // namespace

void RegisterSqliteFunctions(QSqlDatabase& db)
{
    const QVariant handle = db.isOpen() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw EDatabaseError(QStringLiteral("A conexão não é uma conexão SQLite aberta."));
    sqlite3* raw = *static_cast<sqlite3* const*>(handle.constData());
    if (raw == nullptr) throw EDatabaseError(QStringLiteral("A conexão não é uma conexão SQLite aberta."));
    const int rc = sqlite3_create_function_v2(raw, "NVL", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &nvl, nullptr,
                                              nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw EDatabaseError(
            QStringLiteral("Não foi possível registrar a função NVL: %1").arg(QString::fromUtf8(sqlite3_errmsg(raw))));
}
