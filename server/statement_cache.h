#pragma once
// The prepared statements of one connection, kept by text for the life of the connection.
// Preparing costs more than running most of the server's statements (SQLite compiles the
// text; PostgreSQL takes a round trip to the server and back), and the methods run the same
// few texts over and over.
//
// A statement is lent to one user at a time: a text in use by an outer loop and asked for
// again inside it gets a second statement. The cache keeps a bounded number; when full, the
// statement unused for longest goes.

#include "server/statement_slots.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QSqlDatabase;

namespace server {

class StatementCache {
public:
    // `forwardOnly` for every statement it prepares (see Sql).
    StatementCache(QSqlDatabase& db, bool forwardOnly, std::size_t capacity = 128);
    ~StatementCache();
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    class Lease;
    // A statement prepared with `text`, or nothing when the driver refused to prepare it (the
    // driver's error is then in `failure`).
    Lease take(const QString& text, QSqlError& failure);

    std::size_t size() const { return slots_.size(); }
    // How many statements were prepared (as opposed to taken from the cache), for tests.
    std::uint64_t prepared() const { return prepared_; }
    // Drops every statement (each is finished first); used before the connection closes.
    void clear();

private:
    struct Slot : StatementSlotBase {
        QSqlQuery query;
        std::vector<QString> bound;  // placeholders bound by the current user
    };
    void giveBack(Slot* slot);

    QSqlDatabase& db_;
    bool forwardOnly_;
    StatementSlots<Slot> slots_;
    std::uint64_t prepared_ = 0;
};

// A statement on loan: the query is finished (its result released, which on SQLite ends the
// read it holds) and its bindings cleared when the lease ends.
class StatementCache::Lease {
public:
    Lease() = default;
    ~Lease() { reset(); }
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&& other) noexcept;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    explicit operator bool() const { return query_ != nullptr; }
    QSqlQuery& query() const { return *query_; }
    // Binds a placeholder (":NAME"); the binding is cleared when the lease ends.
    void bind(const QString& placeholder, const QVariant& value);
    void reset();

private:
    friend class StatementCache;
    StatementCache* cache_ = nullptr;
    Slot* slot_ = nullptr;  // null for a statement of its own (cache full)
    std::unique_ptr<QSqlQuery> own_;
    QSqlQuery* query_ = nullptr;
};

}  // namespace server
