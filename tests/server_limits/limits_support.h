#pragma once
// What the server-limits suites share: an empty database for a server process, and the
// options `serve` reads from a command line.

#include "server/net/command_line.h"
#include "tests/support/test_database.h"

#include <QStringList>

#include <memory>

namespace limitstest {

// A SQLite database with the schema and no rows.
std::unique_ptr<testsupport::TestDatabase> emptyDatabase();

// The options of `serve ARGS --db sqlite:/tmp/a.db`.
server::net::ServeOptions serveOptions(QStringList args);

}  // namespace limitstest
