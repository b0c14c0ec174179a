#pragma once
// SQL functions the module's texts use that SQLite lacks, registered on one connection.

class QSqlDatabase;

// Registers NVL(a, b) — a when it is not null, else b, keeping the type of the value
// returned — on an open QSQLITE connection. EDatabaseError when the connection is not an
// open SQLite connection of the sqlite3 library this program is linked with.
void RegisterSqliteFunctions(QSqlDatabase& db);
