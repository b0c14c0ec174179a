#pragma once
// Many rows into one table, fast. On PostgreSQL several rows go in one INSERT statement (one
// round trip per batch instead of per row); on SQLite one prepared statement of the sqlite3
// library is stepped per row, without the per-value cost of the Qt layer. Rows are sent when
// a batch is full and on flush(); call flush() before relying on the rows, and before the
// transaction commits.

#include "server/database.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <vector>

struct sqlite3_stmt;

namespace server {

class BatchInsert {
public:
    BatchInsert(Database& db, const QString& table, const QStringList& columns, int rowsPerStatement = 100);
    ~BatchInsert();
    BatchInsert(const BatchInsert&) = delete;
    BatchInsert& operator=(const BatchInsert&) = delete;

    void add(std::vector<QVariant> row);
    void flush();
    qint64 rowsWritten() const { return written_; }

private:
    void send(int rows);
    void sendSqlite(int rows);
    QString statement(int rows) const;

    Database& db_;
    QString table_;
    QStringList columns_;
    int perStatement_;
    std::vector<QVariant> pending_;  // row-major
    QSqlQuery full_;
    bool fullPrepared_ = false;
    sqlite3_stmt* sqliteStatement_ = nullptr;
    qint64 written_ = 0;
};

}  // namespace server
