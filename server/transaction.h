#pragma once
// A write transaction that takes the write lock up front. On SQLite it is BEGIN IMMEDIATE
// (one writer at a time, waiting up to the busy timeout); on PostgreSQL an ordinary
// transaction in which the writer locks the rows it must serialise (SELECT ... FOR UPDATE,
// bounded by lock_timeout). Rolled back unless committed.

#include "server/database.h"

namespace server {

class WriteTransaction {
public:
    explicit WriteTransaction(Database& db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void commit();
    void rollback();
    bool active() const { return active_; }

    // " FOR UPDATE" on PostgreSQL, nothing on SQLite (where the whole database is already
    // locked for writing): appended to the SELECT that reads what the write will change.
    const char* forUpdate() const;

private:
    Database& db_;
    bool active_ = false;
};

}  // namespace server
