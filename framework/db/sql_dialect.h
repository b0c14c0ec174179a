#pragma once
// The SQL dialects the framework tells apart. Texts that must differ per database are kept
// per dialect (a query's SQL / SQL_ORACLE / SQL_IB, a report's sql.<dialect> sections) and the
// one for the database in use is chosen; nothing is patched at run time.

#include <QString>

#include <optional>

enum class TSqlDialect {
    SQLite,  // the generic texts
    PostgreSQL,
    Oracle,
    InterBase,
};

// "sqlite", "postgresql", "oracle", "interbase"
QString SqlDialectName(TSqlDialect dialect);
std::optional<TSqlDialect> SqlDialectFromName(QStringView name);
