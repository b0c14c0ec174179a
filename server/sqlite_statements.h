#pragma once
// The sqlite3 library's own prepared statements of one SQLite connection, kept by text like
// the Qt ones of StatementCache (server/statement_cache.h) and lent the same way: one user at
// a time, a second statement for a text in use, the least recently used dropped when full.
// The hot reads step these directly (server/packet_query.h).

#include "server/statement_slots.h"

#include <QString>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace server {

class SqliteStatements {
public:
    explicit SqliteStatements(sqlite3* handle, std::size_t capacity = 64);
    ~SqliteStatements();  // finalizes them all: before the connection closes
    SqliteStatements(const SqliteStatements&) = delete;
    SqliteStatements& operator=(const SqliteStatements&) = delete;

    class Lease;
    // A statement prepared with `text`; throws ServerFailure when SQLite refuses the text
    // (DatabaseBusy when it could not read the schema in time).
    Lease take(const QString& text);

    sqlite3* handle() const { return handle_; }
    std::size_t size() const { return slots_.size(); }
    std::uint64_t prepared() const { return prepared_; }

private:
    struct Slot : StatementSlotBase {
        sqlite3_stmt* statement = nullptr;
    };
    static void giveBack(Slot* slot);

    sqlite3* handle_;
    StatementSlots<Slot> slots_;
    std::uint64_t prepared_ = 0;
};

// A statement on loan: reset (which ends the read it holds) and its bindings cleared when the
// lease ends.
class SqliteStatements::Lease {
public:
    Lease() = default;
    ~Lease() { reset(); }
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&& other) noexcept;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    sqlite3_stmt* statement() const { return statement_; }
    void reset();

private:
    friend class SqliteStatements;
    Slot* slot_ = nullptr;  // null for a statement of its own (cache full)
    sqlite3_stmt* statement_ = nullptr;
};

}  // namespace server
