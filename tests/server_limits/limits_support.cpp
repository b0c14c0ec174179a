#include "tests/server_limits/limits_support.h"

#include "tests/support/server_fixture.h"

#include <gtest/gtest.h>

#include <string>
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

void expectRefusedNamingTheOption(std::span<const std::pair<const char*, const char*>> cases)
{
    for (const auto& [option, value] : cases) {
        SCOPED_TRACE(std::string(option) + " " + value);
        try {
            serveOptions({QString::fromLatin1(option), QString::fromLatin1(value)});
            ADD_FAILURE() << "accepted";
        } catch (const server::net::UsageError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromLatin1(option))) << e.Message().toStdString();
        }
    }
}

}  // namespace limitstest
