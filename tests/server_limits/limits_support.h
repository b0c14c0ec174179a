#pragma once
// What the server-limits suites share: an empty database for a server process, and the
// options `serve` reads from a command line.

#include "server/net/command_line.h"
#include "tests/support/test_database.h"

#include <QStringList>

#include <memory>
#include <span>
#include <utility>

namespace limitstest {

// A SQLite database with the schema and no rows.
std::unique_ptr<testsupport::TestDatabase> emptyDatabase();

// The options of `serve ARGS --db sqlite:/tmp/a.db`.
server::net::ServeOptions serveOptions(QStringList args);

// Each (option, value) is refused by `serve` with a usage error that names the option.
void expectRefusedNamingTheOption(std::span<const std::pair<const char*, const char*>> cases);

}  // namespace limitstest
