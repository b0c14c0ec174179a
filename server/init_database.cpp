#include "server/database.h"

#include "server/schema_migrations.h"
#include "server/seed.h"
#include "server/transaction.h"

#include <QUuid>

namespace server {

void initDatabase(const DatabaseUrl& url, const std::optional<SeedSpec>& seed)
{
    const QString connection = QStringLiteral("ate-init-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const std::unique_ptr<Database> db = Database::open(url, connection);
    applyMigrations(*db);
    if (!seed) return;

    // Seeding holds the write lock for a while: let other writers wait longer for it.
    db->setLockTimeout(60000);
    WriteTransaction tx(*db);
    if (seed->kind == SeedSpec::Kind::Demo) {
        // The demo is seeded once; running it again finds it there and leaves it.
        if (demoSeeded(*db)) return;
        seedDemo(*db);
    } else {
        seedScale(*db, seed->deliveries);
    }
    tx.commit();
}

}  // namespace server
