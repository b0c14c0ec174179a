#include "tests/server_limits/limits_support.h"

#include "tests/support/server_fixture.h"

#include <variant>

namespace limitstest {

std::unique_ptr<testsupport::TestDatabase> emptyDatabase()
{
    auto db = testsupport::TestDatabase::sqlite();
    testsupport::initDatabase(db->url(), {});
    return db;
}

server::net::ServeOptions serveOptions(QStringList args)
{
    args.prepend(QStringLiteral("serve"));
    args.append({QStringLiteral("--db"), QStringLiteral("sqlite:/tmp/a.db")});
    return std::get<server::net::ServeCommand>(server::net::parseCommandLine(args)).options;
}

}  // namespace limitstest
