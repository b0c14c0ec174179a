#include "server/sqlite_statements.h"

#include "server/database.h"

#include <sqlite3.h>

#include <utility>

namespace server {

SqliteStatements::SqliteStatements(sqlite3* handle, std::size_t capacity) : handle_(handle), slots_(capacity) {}

SqliteStatements::~SqliteStatements()
{
    for (auto& slot : slots_) sqlite3_finalize(slot->statement);
}

SqliteStatements::Lease SqliteStatements::take(const QString& text)
{
    Lease lease;
    if (Slot* slot = slots_.lend(text)) {
        lease.slot_ = slot;
        lease.statement_ = slot->statement;
        return lease;
    }
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare16_v3(handle_, text.utf16(), static_cast<int>(text.size() * 2),
                                        SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    ++prepared_;
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        // Reading the schema to prepare waits for locks like any read.
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) throw DatabaseBusy();
        raiseDatabaseFailure(QStringLiteral("preparar"), QString::fromUtf8(sqlite3_errmsg(handle_)));
    }
    Slot* slot = slots_.place();
    if (!slot) {
        // Every statement is on loan (deeply nested reads): this one is used once and dropped.
        lease.statement_ = statement;
        return lease;
    }
    sqlite3_finalize(slot->statement);  // the one it held, if any
    slot->statement = statement;
    lease.slot_ = slots_.hold(*slot, text);
    lease.statement_ = statement;
    return lease;
}

void SqliteStatements::giveBack(Slot* slot)
{
    sqlite3_reset(slot->statement);
    sqlite3_clear_bindings(slot->statement);
    slot->inUse = false;
}

SqliteStatements::Lease::Lease(Lease&& other) noexcept
    : slot_(std::exchange(other.slot_, nullptr)), statement_(std::exchange(other.statement_, nullptr))
{}

SqliteStatements::Lease& SqliteStatements::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        reset();
        slot_ = std::exchange(other.slot_, nullptr);
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

void SqliteStatements::Lease::reset()
{
    if (slot_)
        giveBack(slot_);
    else if (statement_)
        sqlite3_finalize(statement_);
    slot_ = nullptr;
    statement_ = nullptr;
}

}  // namespace server
