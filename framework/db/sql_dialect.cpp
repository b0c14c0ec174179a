#include "framework/db/sql_dialect.h"

QString SqlDialectName(TSqlDialect dialect)
{
    switch (dialect) {
    case TSqlDialect::SQLite: return QStringLiteral("sqlite");
    case TSqlDialect::PostgreSQL: return QStringLiteral("postgresql");
    case TSqlDialect::Oracle: return QStringLiteral("oracle");
    case TSqlDialect::InterBase: return QStringLiteral("interbase");
    }
    return {};
}

std::optional<TSqlDialect> SqlDialectFromName(QStringView name)
{
    for (const TSqlDialect d :
         {TSqlDialect::SQLite, TSqlDialect::PostgreSQL, TSqlDialect::Oracle, TSqlDialect::InterBase}) {
        if (name.compare(SqlDialectName(d), Qt::CaseInsensitive) == 0) return d;
    }
    return std::nullopt;
}
