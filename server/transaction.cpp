#include "server/transaction.h"

#include "server/sql.h"

#include <QSqlError>

namespace server {

WriteTransaction::WriteTransaction(Database& db) : db_(db)
{
    Sql(db_, db_.engine() == DatabaseUrl::Engine::SQLite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))
        .exec();
    active_ = true;
}

WriteTransaction::~WriteTransaction()
{
    if (!active_) return;
    try {
        rollback();
    } catch (const std::exception&) {
        // A rollback that fails leaves nothing committed: the connection ends the transaction.
    }
}

void WriteTransaction::commit()
{
    if (!active_) return;
    try {
        Sql(db_, QStringLiteral("COMMIT")).exec();
    } catch (const std::exception&) {
        rollback();  // a commit that failed must not leave the transaction open
        throw;
    }
    active_ = false;
}

void WriteTransaction::rollback()
{
    if (!active_) return;
    active_ = false;
    Sql(db_, QStringLiteral("ROLLBACK")).exec();
}

const char* WriteTransaction::forUpdate() const
{
    return db_.engine() == DatabaseUrl::Engine::PostgreSQL ? " FOR UPDATE" : "";
}

}  // namespace server
