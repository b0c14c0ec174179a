#pragma once
// The versioned schema: every change to the tables is a numbered migration, applied once, in
// its own transaction, and recorded in SCHEMAVERSAO. Where the SQL differs between SQLite and
// PostgreSQL the migration carries one text per engine; nothing is rewritten at run time.

#include "server/database.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace server {

struct Migration {
    int version = 0;
    QString description;
    QStringList sqlite;    // statements for SQLite
    QStringList postgres;  // statements for PostgreSQL
};

// Every migration, in version order.
const std::vector<Migration>& schemaMigrations();

// Applies the migrations the database lacks. Returns how many were applied. Safe to run
// from several processes at once: the runs are serialised by the database.
int applyMigrations(Database& db);

// The highest version recorded in the database (0 for an empty database).
int schemaVersion(Database& db);

}  // namespace server
